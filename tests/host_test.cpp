// Start-up, loading scripts, the command drop, quitting and unloading.
#include <functional>
#include <gtest/gtest.h>

#include "base/files.hpp"
#include "harness.hpp"
#include "host/host.hpp"
#include "script_trace.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

const std::wstring kBoot = kAppFolder + L"boot.scp";

std::string OpenScriptSetting(const std::wstring& tip) {
  return Bytes(Block(L"openScript", {L"set tooltip \"" + tip + L"\""}));
}

std::string FailingOpenScript(const wchar_t* word) {
  return Bytes(Block(L"openScript", {word}));
}

bool Enabled(Harness& h, TimerId timer) {
  return h.fake.Timer(timer).enabled;
}

TEST(StartUp, AddsTheIconBeforeRunningBootScp) {
  Harness h;
  h.fake.AddFile(kBoot, OpenScriptSetting(L"booted"));
  h.app.SilentErrors = true;
  h.app.download.DownloadBusy = true;
  StartUp(h.app);

  ASSERT_EQ(h.fake.trayCalls.size(), 3u);
  EXPECT_EQ(h.fake.trayCalls[0].message, kNimAdd);
  EXPECT_EQ(h.fake.trayCalls[0].record.szTip, FixedWidth(L"Velmora", kTipChars));
  EXPECT_EQ(h.fake.trayCalls[2].message, kNimModify);
  EXPECT_EQ(h.fake.trayCalls[2].record.szTip, FixedWidth(L"booted", kTipChars));
  EXPECT_FALSE(h.app.SilentErrors);
  EXPECT_FALSE(h.app.download.DownloadBusy);
  EXPECT_FALSE(Enabled(h, TimerId::Swap));
  EXPECT_TRUE(Enabled(h, TimerId::Poll));
  EXPECT_FALSE(Enabled(h, TimerId::TimerEvent));
  // Start-up gives every timer its half-second interval; the platform's
  // timers start with none.
  for (const TimerId timer : {TimerId::Swap, TimerId::Poll, TimerId::TimerEvent}) {
    EXPECT_EQ(h.fake.Timer(timer).interval, 500u) << static_cast<int>(timer);
  }
  EXPECT_TRUE(h.fake.hostHidden);
  EXPECT_TRUE(h.fake.boxes.empty());
  EXPECT_EQ(h.fake.closePosts, 0);
}

TEST(StartUp, ReadsLastIdOnlyFromAnExistingSettingsFile) {
  Harness withIni;
  withIni.fake.AddFile(kBoot, OpenScriptSetting(L"x"));
  withIni.fake.AddFile(kAppFolder + kSettingsFileName, "[Updates]\r\nLastID=v7\r\n");
  StartUp(withIni.app);
  EXPECT_EQ(withIni.app.download.LastID, L"v7");

  Harness withoutIni;
  withoutIni.fake.AddFile(kBoot, OpenScriptSetting(L"x"));
  withoutIni.app.download.LastID = L"stale";
  StartUp(withoutIni.app);
  EXPECT_EQ(withoutIni.app.download.LastID, L"");
}

TEST(StartUp, ABootScpThatCannotRunTellsTheUserAndQuits) {
  // Missing, held open by another program, without permission, or without a
  // whole openScript: there is no script to run, and an icon without one
  // could only be ended by force.
  const wchar_t* kCannotRead = L"Cannot read 'boot.scp' script file. Velmora cannot continue.";
  const struct {
    const char* name;
    std::function<void(fake::FakePlatform&)> arrange;
    const wchar_t* text;
    const wchar_t* caption;
    // A script that cannot be read stops before start-up's own steps; one
    // without a whole openScript runs the quit sequence after them.
    bool startUpFinished;
  } cases[] = {
      {"missing", [](fake::FakePlatform& fake) { fake.AddFile(kAppFolder + L"other.scp", "x"); },
       L"Cannot locate 'boot.scp' script file. Velmora cannot continue.", L"File Missing", false},
      {"in use",
       [](fake::FakePlatform& fake) {
         fake.AddFile(kBoot, OpenScriptSetting(L"booted"));
         fake.File(kBoot)->inUse = true;
       },
       kCannotRead, L"File Unreadable", false},
      {"unreadable",
       [](fake::FakePlatform& fake) {
         fake.AddFile(kBoot, OpenScriptSetting(L"booted"));
         fake.File(kBoot)->unreadable = true;
       },
       kCannotRead, L"File Unreadable", false},
      {"no openScript",
       [](fake::FakePlatform& fake) { fake.AddFile(kBoot, Bytes(Block(L"click", {L"nothing"}))); },
       L"Velmora requires an 'on openScript' handler in order to function properly. Velmora "
       L"cannot continue.",
       L"Handler Not Found", true},
      {"openScript never ends",
       [](fake::FakePlatform& fake) {
         fake.AddFile(kBoot, Bytes(Script({L"on openScript", L"beep", L"on leftClick", L"beep",
                                           L"end leftClick"})));
       },
       L"An 'on openScript' was found without a corresponding 'end openScript'. Velmora cannot "
       L"continue.",
       L"Handler Not Terminated Properly", true},
  };
  for (const auto& c : cases) {
    Harness h;
    c.arrange(h.fake);
    const std::vector<std::wstring> before = h.fake.FileNames();
    StartUp(h.app);
    ASSERT_EQ(h.fake.boxes.size(), 1u) << c.name;
    EXPECT_EQ(h.fake.boxes[0].text, c.text) << c.name;
    EXPECT_EQ(h.fake.boxes[0].caption, c.caption) << c.name;
    EXPECT_EQ(h.fake.boxes[0].style, kBoxIconError) << c.name;
    // The icon came first, and one close request follows.
    EXPECT_EQ(h.fake.trayCalls.front().message, kNimAdd) << c.name;
    EXPECT_EQ(h.fake.closePosts, 1) << c.name;
    EXPECT_EQ(h.fake.trayCalls.back().message == kNimDelete, c.startUpFinished) << c.name;
    EXPECT_EQ(h.fake.cursorRestores, c.startUpFinished ? 1 : 0) << c.name;
    EXPECT_EQ(h.fake.hostHidden, c.startUpFinished) << c.name;
    EXPECT_FALSE(Enabled(h, TimerId::Poll)) << c.name;
    EXPECT_EQ(h.fake.beeps, 0) << c.name;
    EXPECT_EQ(h.app.tray.TooltipText, L"") << c.name;
    EXPECT_EQ(h.fake.FileNames(), before) << c.name;
  }
}

TEST(StartUp, AFailingOpenScriptLeavesTheCommandDropOff) {
  Harness h;
  h.fake.AddFile(kBoot, FailingOpenScript(L"bogus"));
  StartUp(h.app);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'bogus'."});
  EXPECT_FALSE(Enabled(h, TimerId::Poll));
  EXPECT_TRUE(h.fake.hostHidden);
  EXPECT_EQ(h.fake.closePosts, 0);
}

TEST(StartUp, EditorLineEndsBecomeCrLf) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    Harness h;
    const std::string e(end);
    h.fake.AddFile(kBoot, "on openScript" + e + "set tooltip \"ran\"" + e + "end openScript" + e);
    StartUp(h.app);
    EXPECT_EQ(h.app.tray.TooltipText, L"ran") << static_cast<int>(e.back());
  }
}

TEST(CheckForCommands, ADropWhoseOpenScriptNeverEndsKeepsTheOneInPlace) {
  Harness h;
  h.fake.AddFile(kBoot, OpenScriptSetting(L"boot"));
  StartUp(h.app);
  h.fake.AddFile(kAppFolder + L"drop.scp", Bytes(Script({L"on openScript", L"beep"})));
  CheckForCommands(h.app);
  EXPECT_EQ(h.BoxTexts(),
            Texts{L"Handler 'openScript' has a script error: Incomplete script block detected."});
  EXPECT_EQ(h.app.tray.TooltipText, L"boot");
  EXPECT_EQ(Tips(h.fake), (Texts{L"boot", L"boot"}));
  EXPECT_EQ(h.fake.closePosts, 0);
}

TEST(StartUp, AStartUpThatEndsTheProgramLeavesTheCommandDropOff) {
  const std::string boots[] = {
      Bytes(Block(L"click", {L"nothing"})),
      Bytes(Block(L"openScript", {L"quit"})),
      Bytes(Block(L"openScript", {L"set polling to 200", L"exit"})),
  };
  for (const std::string& boot : boots) {
    Harness h;
    h.fake.AddFile(kBoot, boot);
    h.fake.AddFile(kAppFolder + L"waiting.scp", OpenScriptSetting(L"dropped"));
    StartUp(h.app);
    EXPECT_EQ(h.fake.closePosts, 1) << boot;
    EXPECT_FALSE(Enabled(h, TimerId::Poll)) << boot;
    h.fake.AdvanceClock(5000);
    EXPECT_EQ(h.app.tray.TooltipText, L"") << boot;
    EXPECT_TRUE(h.fake.Exists(kAppFolder + L"waiting.scp")) << boot;
  }
}

// A started program whose boot.scp marks every run of its openScript.
struct Running : Harness {
  Running() {
    fake.AddFile(kBoot,
                 Bytes(Block(L"openScript", {L"set tooltip \"boot\""}) + L"\r\n" +
                       Block(L"click", {L"nothing"}) + L"\r\n" + Block(L"timerEvent", {L"do"})));
    StartUp(app);
    app.tray.TooltipText.clear();
  }

  void Drop(const std::wstring& name, const std::string& bytes) {
    fake.AddFile(kAppFolder + name, bytes);
  }

  void Poll() { fake.AdvanceClock(fake.TimerInterval(TimerId::Poll)); }
};

TEST(CheckForCommands, DropsRunInFileSystemOrderEachDeletedFirst) {
  Running h;
  h.Drop(L"zz.scp", FailingOpenScript(L"first"));
  h.Drop(L"aa.scp", FailingOpenScript(L"second"));
  std::vector<std::pair<bool, bool>> presentDuringBoxes;
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    presentDuringBoxes.emplace_back(h.fake.Exists(kAppFolder + L"zz.scp"),
                                    h.fake.Exists(kAppFolder + L"aa.scp"));
    return std::nullopt;
  };
  h.Poll();
  EXPECT_EQ(h.BoxTexts(), (Texts{L"Can't understand 'first'.", L"Can't understand 'second'."}));
  EXPECT_EQ(presentDuringBoxes, (std::vector<std::pair<bool, bool>>{{true, true}, {false, true}}));
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"aa.scp"));
  EXPECT_TRUE(h.fake.Exists(kBoot));
}

TEST(CheckForCommands, TheStartUpScriptIsNeverTakenWhateverItsCase) {
  for (const wchar_t* name : {L"boot.scp", L"BOOT.SCP", L"Boot.scp"}) {
    // Start-up finds the script in any letter case; the drop must leave it
    // alone in the same way, or the user's start-up script would be lost.
    Harness h;
    h.fake.AddFile(kAppFolder + name, OpenScriptSetting(L"boot"));
    StartUp(h.app);
    ASSERT_EQ(h.app.tray.TooltipText, L"boot") << name;
    h.app.tray.TooltipText.clear();
    h.fake.AdvanceClock(5000);
    EXPECT_EQ(h.app.tray.TooltipText, L"") << name;
    EXPECT_TRUE(h.fake.Exists(kAppFolder + name)) << name;
  }
}

TEST(CheckForCommands, ADropReplacesOnlyTheHandlersItDefines) {
  Running h;
  const HandlerTable before = h.app.handlers;
  h.Drop(L"menu.scp", Bytes(Script({L"on itemSelect", L"nothing", L"end itemSelect"})));
  h.Poll();
  // Without an openScript of its own, the stored one runs again.
  EXPECT_EQ(h.app.tray.TooltipText, L"boot");
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"menu.scp"));
  EXPECT_NE(h.app.handlers[Slot::ItemSelect].find(L"on itemSelect"), std::wstring::npos);
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const Slot slot = static_cast<Slot>(i);
    if (slot != Slot::ItemSelect) {
      EXPECT_EQ(h.app.handlers[slot], before[slot]) << i;
    }
  }
}

TEST(CheckForCommands, NothingRunsWhileADownloadIsUnderWay) {
  Running h;
  h.Drop(L"cmd.scp", OpenScriptSetting(L"dropped"));
  h.app.download.DownloadBusy = true;
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"");
  EXPECT_TRUE(h.fake.Exists(kAppFolder + L"cmd.scp"));
  h.app.download.DownloadBusy = false;
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"dropped");
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"cmd.scp"));
}

TEST(CheckForCommands, APollDuringADroppedScriptsBoxDoesNotRunItAgain) {
  Running h;
  h.Drop(L"ask.scp", FailingOpenScript(L"waits"));
  int ticksDelivered = 0;
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    if (ticksDelivered++ == 0) {
      h.Drop(L"later.scp", OpenScriptSetting(L"later"));
      PollTimer_Timer(h.app);
    }
    return std::nullopt;
  };
  h.Poll();
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'waits'."});
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"ask.scp"));
  // The drop that arrived meanwhile waits for the next poll.
  EXPECT_TRUE(h.fake.Exists(kAppFolder + L"later.scp"));
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"later");
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"later.scp"));
}

TEST(CheckForCommands, AFileStillBeingWrittenIsTakenLater) {
  Running h;
  h.Drop(L"cmd.scp", OpenScriptSetting(L"dropped"));
  h.fake.File(kAppFolder + L"cmd.scp")->inUse = true;
  h.Poll();
  h.Poll();
  EXPECT_TRUE(h.fake.boxes.empty());
  EXPECT_EQ(h.app.tray.TooltipText, L"");
  h.fake.File(kAppFolder + L"cmd.scp")->inUse = false;
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"dropped");
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"cmd.scp"));
}

TEST(CheckForCommands, AnUnreadableDropIsReportedOnceUntilItChanges) {
  Running h;
  const std::wstring path = kAppFolder + L"bad.scp";
  h.Drop(L"bad.scp", OpenScriptSetting(L"dropped"));
  h.fake.File(path)->unreadable = true;
  h.Poll();
  h.Poll();
  ASSERT_EQ(h.fake.boxes.size(), 1u);
  EXPECT_NE(h.fake.boxes[0].text.find(path), std::wstring::npos);
  EXPECT_EQ(h.app.tray.TooltipText, L"");

  // Rewritten, still unreadable: one more report.
  h.Drop(L"bad.scp", OpenScriptSetting(L"fixed"));
  h.Poll();
  h.Poll();
  EXPECT_EQ(h.fake.boxes.size(), 2u);

  h.fake.File(path)->unreadable = false;
  h.Drop(L"bad.scp", OpenScriptSetting(L"fixed"));
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"fixed");
  EXPECT_FALSE(h.fake.Exists(path));
  EXPECT_EQ(h.fake.boxes.size(), 2u);
}

TEST(CheckForCommands, AnUndeletableDropRunsOnceUntilItChanges) {
  Running h;
  const std::wstring path = kAppFolder + L"stuck.scp";
  h.Drop(L"stuck.scp", OpenScriptSetting(L"stuck"));
  h.fake.File(path)->undeletable = true;
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"stuck");
  ASSERT_EQ(h.fake.boxes.size(), 1u);
  EXPECT_NE(h.fake.boxes[0].text.find(path), std::wstring::npos);

  h.app.tray.TooltipText.clear();
  h.Poll();
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"");
  EXPECT_EQ(h.fake.boxes.size(), 1u);

  h.fake.File(path)->undeletable = false;
  h.Drop(L"stuck.scp", OpenScriptSetting(L"changed"));
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"changed");
  EXPECT_FALSE(h.fake.Exists(path));
}

TEST(CheckForCommands, AScriptThatQuitsEndsThePollAndTheRestWait) {
  for (const wchar_t* word : {L"quit", L"exit"}) {
    Running h;
    h.Drop(L"bye.scp", Bytes(Block(L"openScript", {word})));
    h.Drop(L"ask.scp", Bytes(Block(L"openScript", {L"answer \"Deploy?\" with \"YesNo\""})));
    h.Drop(L"note.scp", OpenScriptSetting(L"note"));
    h.Poll();
    // Nothing is asked while the program closes; the files keep for the
    // next start, whose poll finds them.
    EXPECT_TRUE(h.fake.boxes.empty()) << word;
    EXPECT_EQ(h.app.tray.TooltipText, L"") << word;
    EXPECT_FALSE(h.fake.Exists(kAppFolder + L"bye.scp")) << word;
    EXPECT_TRUE(h.fake.Exists(kAppFolder + L"ask.scp")) << word;
    EXPECT_TRUE(h.fake.Exists(kAppFolder + L"note.scp")) << word;
    PollTimer_Timer(h.app);
    EXPECT_TRUE(h.fake.Exists(kAppFolder + L"note.scp")) << word;
  }
}

TEST(CheckForCommands, AScriptWhoseFileIsAlreadyGoneIsNoFailure) {
  Running h;
  h.Drop(L"self.scp",
         Bytes(Block(L"openScript", {L"delete file \"self.scp\"", L"set tooltip \"cleaned\""})));
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"cleaned");
  EXPECT_TRUE(h.fake.boxes.empty());
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"self.scp"));
}

TEST(CheckForCommands, OnlyLongNamesEndingInScpAreDrops) {
  Running h;
  // Their short names (JOB~1.SCP, NOTES~1.SCP) end in .SCP, so Windows's
  // search for *.scp finds them; they are no scripts all the same.
  for (const wchar_t* name : {L"job.scpx", L"notes.scp~"}) {
    h.Drop(name, OpenScriptSetting(L"wrong"));
    ASSERT_EQ(h.fake.FindFiles(kAppFolder + L"*.scp").size(), 2u) << name;
    h.Poll();
    EXPECT_EQ(h.app.tray.TooltipText, L"") << name;
    EXPECT_TRUE(h.fake.Exists(kAppFolder + name)) << name;
    h.fake.RemoveFile(kAppFolder + name);
  }
  h.Drop(L"real.scp", OpenScriptSetting(L"real"));
  h.Poll();
  EXPECT_EQ(h.app.tray.TooltipText, L"real");
}

TEST(Quitting, QuitStopsTwoTimersShutDownEverything) {
  Harness quit;
  Harness shutDown;
  for (Harness* h : {&quit, &shutDown}) {
    AddTrayIcon(h->app);
    h->fake.trayCalls.clear();
    StartAllTimers(h->fake);
  }
  Quit(quit.app);
  ShutDown(shutDown.app);

  EXPECT_FALSE(Enabled(quit, TimerId::Swap));
  EXPECT_FALSE(Enabled(quit, TimerId::Poll));
  EXPECT_TRUE(Enabled(quit, TimerId::TimerEvent));
  EXPECT_EQ(quit.fake.cursorRestores, 0);
  EXPECT_TRUE(quit.fake.trayCalls.empty());
  EXPECT_EQ(quit.fake.closePosts, 1);

  ExpectShutDownStarted(shutDown.fake);
  EXPECT_TRUE(shutDown.fake.cursorsSet.empty());
  ASSERT_EQ(shutDown.fake.trayCalls.size(), 1u);
  EXPECT_EQ(shutDown.fake.trayCalls[0].record.uID, 999u);
  EXPECT_EQ(shutDown.fake.trayCalls[0].record.hWnd, fake::FakePlatform::kHostWindow);
}

TEST(Quitting, ABoxClosedByTheQuitRecordsNoAnswer) {
  Running h;
  // An earlier answer must not be taken for this one by the switch.
  h.app.LastResult = L"Yes";
  h.Drop(L"ask.scp",
         Bytes(Script({L"on openScript", L"answer \"Go on?\" with \"YesNo\"", L"switch result",
                       L"case \"Yes\"", L"write \"stale\"", L"end switch", L"end openScript"})));
  // The window closes with the box still open; Windows then ends the box
  // with a button value no user pressed.
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    Quit(h.app);
    return 1;
  };
  h.Poll();
  EXPECT_EQ(h.fake.boxes.size(), 1u);
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"output.txt"));
  EXPECT_TRUE(h.app.LastResult.empty());
}

TEST(FormUnload, RemovesTheIconAndRestoresTheCursors) {
  Running h;
  h.fake.trayCalls.clear();
  Form_Unload(h.app);
  ASSERT_EQ(h.fake.trayCalls.size(), 1u);
  EXPECT_EQ(h.fake.trayCalls[0].message, kNimDelete);
  // Closing the window is a way out too: the user's cursors come back.
  EXPECT_EQ(h.fake.cursorRestores, 1);
}

} // namespace
} // namespace velmora::testing
