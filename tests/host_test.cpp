// Start-up, loading scripts, the command drop, quitting and unloading.
#include "base/files.hpp"
#include "harness.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

const std::wstring kBoot = kAppFolder + L"boot.scp";
// A fault of a file: held open by its writer, unreadable or undeletable.
using Fault = bool fake::FakeFile::*;

std::string OpenScriptWith(std::wstring_view piped) {
  return Bytes(Block(L"openScript", {Piped(piped)}));
}

// What the user and the next start can see: the boxes' texts, the tooltips set and the files in the
// program's folder, each list joined with |.
using Seen = std::tuple<std::wstring, std::wstring, std::wstring>;

Seen SeenIn(const Harness& h) {
  Texts files;
  for (const std::wstring& path : h.fake.FileNames()) {
    files.push_back(path.substr(kAppFolder.size()));
  }
  return {Joined(h.BoxTexts()), Joined(Tips(h.fake)), Joined(files)};
}

// How a start-up ends: polling for dropped scripts, or not after a failing openScript; quitting
// before its own steps (no script it can read); or running the quit sequence after them (no whole
// openScript, or a quit).
enum class Ends { Polling, NotPolling, Quit, ShutDown };

TEST(StartUp, EndsAsItsBootScpAllows) {
  const wchar_t* kCannotRead = L"Cannot read 'boot.scp' script file. Velmora cannot continue.";
  const std::string runs = OpenScriptWith(LR"(set tooltip "boot")");
  const auto lineEnds = [](const std::wstring& e) {
    return L"on openScript" + e + L"set tooltip \"boot\"" + e + L"end openScript" + e;
  };
  const struct {
    const char* name;
    Ends ends;
    std::string bytes;
    const wchar_t* box = nullptr; // the text of the one box shown, and its caption
    const wchar_t* caption = nullptr;
    const wchar_t* file = L"boot.scp"; // the start-up script, if any
    Fault fault = nullptr;
    const wchar_t* tips = nullptr; // else "boot|dropped" when polling, none when not
  } cases[] = {
      // An icon without a script to run could only be ended by force.
      {"missing", Ends::Quit, "", L"Cannot locate 'boot.scp' script file. Velmora cannot continue.",
       L"File Missing", nullptr},
      {"in use", Ends::Quit, runs, kCannotRead, L"File Unreadable", L"boot.scp",
       &fake::FakeFile::inUse},
      {"unreadable", Ends::Quit, runs, kCannotRead, L"File Unreadable", L"boot.scp",
       &fake::FakeFile::unreadable},
      {"no openScript", Ends::ShutDown, Bytes(Block(L"click", {L"nothing"})),
       L"Velmora requires an 'on openScript' handler in order to function properly. Velmora "
       L"cannot continue.",
       L"Handler Not Found"},
      {"openScript never ends", Ends::ShutDown,
       Bytes(Piped(L"on openScript|beep|on leftClick|beep|end leftClick")),
       L"An 'on openScript' was found without a corresponding 'end openScript'. Velmora cannot "
       L"continue.",
       L"Handler Not Terminated Properly"},
      {"failing openScript", Ends::NotPolling, OpenScriptWith(L"bogus"),
       L"Can't understand 'bogus'.", L"Parsing Error"},
      // A quit only starts the exit: the lines after it still run.
      {"quit", Ends::ShutDown, OpenScriptWith(LR"(Exit now|set tooltip "after")"), nullptr, nullptr,
       L"boot.scp", nullptr, L"after"},
      {"polling, then quit", Ends::ShutDown, OpenScriptWith(L"set polling to 500|quit")},
      // Editors end lines with CR LF, LF or CR, and may save in UTF-16.
      {"CR LF", Ends::Polling, Bytes(lineEnds(L"\r\n"))},
      {"LF", Ends::Polling, Bytes(lineEnds(L"\n"))},
      {"CR", Ends::Polling, Bytes(lineEnds(L"\r"))},
      {"UTF-16, LF", Ends::Polling, Utf16Le(lineEnds(L"\n"))},
      // Start-up finds its script in any letter case; so must the drop, which would otherwise take
      // the user's start-up script for a dropped one.
      {"mixed case", Ends::Polling, runs, nullptr, nullptr, L"Boot.scp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h;
    if (c.file != nullptr) {
      h.fake.AddFile(kAppFolder + c.file, c.bytes);
    }
    if (c.fault != nullptr) {
      h.fake.File(kBoot)->*c.fault = true;
    }
    const bool polling = c.ends == Ends::Polling;
    const bool shutDown = c.ends == Ends::ShutDown;
    // The last update's id is read back; without a settings file none is kept.
    if (polling) {
      h.fake.AddFile(kAppFolder + kSettingsFileName, "[Updates]\r\nLastID=v7\r\n");
    }
    h.fake.AddFile(kAppFolder + L"waiting.scp", OpenScriptWith(LR"(set tooltip "dropped")"));
    const std::wstring files = std::get<2>(SeenIn(h));
    h.app.download.LastID = L"stale";
    h.app.SilentErrors = h.app.download.DownloadBusy = true;
    StartUp(h.app);
    EXPECT_FALSE(h.app.SilentErrors || h.app.download.DownloadBusy);
    EXPECT_EQ(h.app.download.LastID, polling ? L"v7" : L"");
    // Every timer gets its half-second interval; the platform's have none.
    for (const TimerId timer : kEveryTimer) {
      EXPECT_EQ(h.fake.Timer(timer).interval, 500u) << static_cast<int>(timer);
    }
    EXPECT_EQ(h.Boxes(),
              (c.box ? std::vector<Box>{{c.box, c.caption, kBoxIconError}} : std::vector<Box>{}));
    // The icon comes first, whatever follows.
    EXPECT_EQ(h.fake.trayCalls.front().message, kNimAdd);
    EXPECT_EQ(h.fake.trayCalls.front().record.szTip, FixedWidth(L"Velmora", kTipChars));
    EXPECT_EQ(std::count_if(h.fake.trayCalls.begin(), h.fake.trayCalls.end(),
                            [](const auto& call) { return call.message == kNimDelete; }),
              shutDown ? 1 : 0);
    EXPECT_EQ(h.fake.cursorRestores, shutDown ? 1 : 0);
    EXPECT_EQ(h.fake.closePosts, shutDown || c.ends == Ends::Quit ? 1 : 0);
    EXPECT_EQ(h.fake.hostHidden, c.ends != Ends::Quit);
    EXPECT_EQ(h.fake.Timer(TimerId::Poll).enabled, polling);
    // Only a polling program takes the waiting script, and never its own.
    h.fake.AdvanceClock(5000);
    EXPECT_EQ(Joined(Tips(h.fake)), c.tips ? c.tips : polling ? L"boot|dropped" : L"");
    EXPECT_EQ(std::get<2>(SeenIn(h)), polling ? files.substr(0, files.find(L"|waiting")) : files);
    EXPECT_EQ(h.fake.beeps, 0);
  }
}

// A started program whose boot.scp marks every run of its openScript.
struct Running : Harness {
  Running() {
    fake.AddFile(kBoot,
                 Bytes(Piped(LR"(on openScript|set tooltip "boot"|end openScript|)"
                             L"on click|nothing|end click|on timerEvent|do|end timerEvent")));
    StartUp(app);
  }

  void Drop(const std::wstring& name, std::wstring_view openScript) {
    fake.AddFile(kAppFolder + name, OpenScriptWith(openScript));
  }

  void Poll() { fake.AdvanceClock(fake.TimerInterval(TimerId::Poll)); }
};

TEST(CheckForCommands, TakesEachScriptInTurnUntilOneQuits) {
  Running h;
  h.Drop(L"self.scp", LR"(delete file "self.scp"|set tooltip "cleaned")");
  // Their short names (JOB~1.SCP, NOTES~1.SCP) end in .SCP, so Windows's search for *.scp finds
  // them; they are no scripts all the same.
  h.Drop(L"job.scpx", LR"(set tooltip "wrong")");
  h.Drop(L"notes.scp~", LR"(set tooltip "wrong")");
  h.Drop(L"bye.scp", L"quit");
  h.Drop(L"ask.scp", LR"(answer "Deploy?" with "YesNo")");
  h.Drop(L"note.scp", LR"(set tooltip "note")");
  h.Poll();
  PollTimer_Timer(h.app);
  // A script that deleted its own file is no failure. Nothing is asked while the program closes;
  // the files keep for the next start.
  EXPECT_EQ(SeenIn(h),
            (Seen{L"", L"boot|cleaned", L"boot.scp|job.scpx|notes.scp~|ask.scp|note.scp"}));
}

TEST(CheckForCommands, DropsRunInFileSystemOrderEachDeletedBeforeTheNext) {
  Running h;
  h.Drop(L"zz.scp", L"first");
  h.Drop(L"aa.scp", L"second");
  Texts filesDuringBoxes;
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    filesDuringBoxes.push_back(std::get<2>(SeenIn(h)));
    if (h.fake.boxes.size() == 1) {
      // A poll while a dropped script waits in a box takes nothing, not even the script still
      // waiting, nor one dropped meanwhile.
      h.Drop(L"later.scp", LR"(set tooltip "later")");
      PollTimer_Timer(h.app);
    }
    return std::nullopt;
  };
  h.Poll();
  EXPECT_EQ(filesDuringBoxes, (Texts{L"boot.scp|zz.scp|aa.scp", L"boot.scp|aa.scp|later.scp"}));
  EXPECT_EQ(SeenIn(h), (Seen{L"Can't understand 'first'.|Can't understand 'second'.", L"boot",
                             L"boot.scp|later.scp"}));
  h.Poll();
  EXPECT_EQ(std::get<1>(SeenIn(h)), L"boot|later");
  EXPECT_EQ(std::get<2>(SeenIn(h)), L"boot.scp");
}

TEST(CheckForCommands, ADropReplacesOnlyTheHandlersItDefines) {
  Running h;
  Texts expected = Handlers(h.app);
  expected[static_cast<std::size_t>(Slot::ItemSelect)] =
      L"\r\n" + Block(L"itemSelect", {L"nothing"});
  h.fake.AddFile(kAppFolder + L"menu.scp", Bytes(Block(L"itemSelect", {L"nothing"})));
  h.Poll();
  // Without an openScript of its own, the stored one runs again.
  EXPECT_EQ(SeenIn(h), (Seen{L"", L"boot|boot", L"boot.scp"}));
  EXPECT_EQ(Handlers(h.app), expected);
}

TEST(CheckForCommands, AStuckDropIsReportedAndRunOnceUntilItChanges) {
  // One that cannot be read never runs; one that cannot be deleted runs once per change. Neither is
  // reported or run again at every poll.
  const std::tuple<const wchar_t*, Fault, const wchar_t*, const wchar_t*> cases[] = {
      {L"bad.scp", &fake::FakeFile::unreadable, L"Can't read script file 'C:\\App\\bad.scp'.",
       L"boot"},
      {L"stuck.scp", &fake::FakeFile::undeletable, L"Can't delete file 'C:\\App\\stuck.scp'.",
       L"boot|first|second"},
  };
  for (const auto& [name, fault, message, tips] : cases) {
    Running h;
    h.Drop(name, LR"(set tooltip "first")");
    h.fake.File(kAppFolder + name)->*fault = true;
    h.Poll();
    h.Poll();
    EXPECT_EQ(h.BoxTexts(), Texts{message}) << name;
    h.Drop(name, LR"(set tooltip "second")");
    h.Poll();
    h.Poll();
    EXPECT_EQ(SeenIn(h),
              (Seen{Joined({message, message}), tips, L"boot.scp|" + std::wstring(name)}));
    h.fake.File(kAppFolder + name)->*fault = false;
    h.Drop(name, LR"(set tooltip "fixed")");
    h.Poll();
    EXPECT_EQ(SeenIn(h),
              (Seen{Joined({message, message}), tips + std::wstring(L"|fixed"), L"boot.scp"}));
  }
}

// The folder is watched exactly while the drop is on; a change it reports takes scripts at once by
// the rules of a poll: none while its writer holds it, a download runs or the drop is off.
TEST(FolderChange, TakesADropAtOnceWhileTheDropIsOn) {
  Running h;
  EXPECT_EQ(h.fake.watchedFolder, kAppFolder);
  h.Drop(L"cmd.scp", LR"(set tooltip "dropped")");
  h.fake.File(kAppFolder + L"cmd.scp")->inUse = true;
  DeliverFolderChange(h.app);
  h.fake.File(kAppFolder + L"cmd.scp")->inUse = false;
  h.app.download.DownloadBusy = true;
  DeliverFolderChange(h.app);
  h.app.download.DownloadBusy = false;
  ASSERT_EQ(ExecuteCommand(h.app, L"set polling to 0"), CommandResult::Ok);
  EXPECT_EQ(h.fake.watchedFolder, L"");
  DeliverFolderChange(h.app);
  EXPECT_EQ(SeenIn(h), (Seen{L"", L"boot", L"boot.scp|cmd.scp"}));
  ASSERT_EQ(ExecuteCommand(h.app, L"set polling to 60000"), CommandResult::Ok);
  EXPECT_EQ(h.fake.watchedFolder, kAppFolder);
  DeliverFolderChange(h.app);
  EXPECT_EQ(SeenIn(h), (Seen{L"", L"boot|dropped", L"boot.scp"}));
}

TEST(Quitting, EachWayOutStopsWhatItMust) {
  // Quit stops two timers and asks the window to close; the quit sequence stops everything;
  // unloading the window removes the icon. The last two put the user's cursors back.
  const struct {
    const char* name;
    void (*wayOut)(App&);
    bool swap, poll, timerEvent, removesIcon;
    int cursorRestores, closePosts;
  } cases[] = {
      {"quit", Quit, false, false, true, false, 0, 1},
      {"shut down", ShutDown, false, false, false, true, 1, 1},
      {"unload", Form_Unload, true, true, true, true, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h;
    AddTrayIcon(h.app);
    h.fake.trayCalls.clear();
    StartAllTimers(h.fake);
    ASSERT_EQ(ExecuteCommand(h.app, L"set polling to 500"), CommandResult::Ok);
    c.wayOut(h.app);
    EXPECT_EQ(h.fake.watchedFolder, c.poll ? kAppFolder : L"") << "the drop's folder watch";
    EXPECT_EQ(std::make_tuple(h.fake.Timer(TimerId::Swap).enabled,
                              h.fake.Timer(TimerId::Poll).enabled,
                              h.fake.Timer(TimerId::TimerEvent).enabled, h.fake.cursorRestores,
                              h.fake.closePosts),
              std::make_tuple(c.swap, c.poll, c.timerEvent, c.cursorRestores, c.closePosts));
    EXPECT_TRUE(h.fake.cursorsSet.empty());
    EXPECT_EQ(h.fake.trayCalls.size(), c.removesIcon ? 1u : 0u);
    for (const fake::TrayCall& call : h.fake.trayCalls) {
      EXPECT_EQ(std::make_tuple(call.message, call.record.uID, call.record.hWnd),
                std::make_tuple(kNimDelete, 999u, fake::FakePlatform::kHostWindow));
    }
  }
}

TEST(Quitting, ABoxClosedByTheQuitRecordsNoAnswer) {
  Running h;
  // An earlier answer must not be taken for this one by the switch.
  h.app.LastResult = L"Yes";
  h.Drop(L"ask.scp",
         LR"(answer "Go on?" with "YesNo"|switch result|case "Yes"|write "stale"|end switch)");
  // The window closes with the box still open; Windows then ends the box with a button value no
  // user pressed.
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    Quit(h.app);
    return 1;
  };
  h.Poll();
  EXPECT_EQ(SeenIn(h), (Seen{L"Go on?", L"boot", L"boot.scp"}));
  EXPECT_TRUE(h.app.LastResult.empty());
}

} // namespace
} // namespace velmora::testing
