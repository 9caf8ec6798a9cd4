// Downloads, the update check with its settings file, set scriptID and
// set polling.
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

#include "base/files.hpp"
#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/run.hpp"
#include "script_trace.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

constexpr std::uint32_t kBusyCursor = 32650;
const std::wstring kUrl = L"http://host/files/report.pdf";
const std::wstring kTemporary = kAppFolder + L"velmora.tmp";
const std::wstring kSettings = kAppFolder + kSettingsFileName;

TEST(Download, SavesUnderTheAddressesLastSegmentOrTheNameGiven) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"download \"" + kUrl + L"\"", kAppFolder + L"report.pdf"},
      {L"DOWNLOAD \"" + kUrl + L"\" \"docs\\r.pdf\"", kAppFolder + L"docs\\r.pdf"},
  };
  for (const auto& [line, path] : cases) {
    Harness h;
    h.fake.AddFolder(kAppFolder + L"docs");
    h.fake.urls[kUrl] = {200, "%PDF"};
    bool busyMeanwhile = false;
    h.fake.onDownload = [&] { busyMeanwhile = h.app.download.DownloadBusy; };
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_EQ(h.fake.Contents(path), "%PDF") << line;
    EXPECT_TRUE(busyMeanwhile) << line;
    EXPECT_FALSE(h.app.download.DownloadBusy) << line;
    EXPECT_EQ(h.fake.cursorsSet, std::vector<std::uint32_t>{kBusyCursor}) << line;
    EXPECT_EQ(h.fake.cursorRestores, 1) << line;
    EXPECT_EQ(h.fake.deletedCacheEntries, Texts{kUrl}) << line;
    EXPECT_TRUE(h.fake.boxes.empty()) << line;
  }
}

TEST(Download, Failures) {
  const std::pair<std::wstring, const wchar_t*> cases[] = {
      {L"download", L"Can't understand 'download' command."},
      {L"download \"" + kUrl + L"\" report.pdf", L"Can't understand 'download' command.."},
      {L"download \"" + kUrl + L"\" \"nofolder\\r.pdf\"", L"Download failed. (Check parameters.)"},
      // No file can have such a name; nothing is fetched.
      {L"download \"" + kUrl + L"\" \"*.pdf\"", L"Download failed. (Check parameters.)"},
  };
  for (const auto& [line, message] : cases) {
    Harness h;
    h.fake.urls[kUrl] = {200, "%PDF"};
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    EXPECT_EQ(h.BoxTexts(), Texts{message}) << line;
    EXPECT_FALSE(h.app.download.DownloadBusy) << line;
    EXPECT_EQ(h.fake.cursorsSet.size(), static_cast<std::size_t>(h.fake.cursorRestores)) << line;
  }
}

TEST(Download, ReplacesTheFileInOneMoveFromBesideIt) {
  Harness h;
  h.fake.AddFile(kAppFolder + L"config.ini", "old");
  h.fake.urls[L"http://server/config.ini"] = {200, "new"};
  std::wstring meanwhile;
  h.fake.onDownload = [&] { meanwhile = Texts(h.fake.FileNames()).back(); };
  EXPECT_EQ(ExecuteCommand(h.app, L"download \"http://server/config.ini\""), CommandResult::Ok);
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"config.ini"), "new");
  // The existing file stood untouched while the new one arrived.
  EXPECT_EQ(meanwhile, kAppFolder + L"config.ini");
  ASSERT_EQ(h.fake.downloadPaths.size(), 1u);
  const std::wstring temporary = h.fake.downloadPaths[0];
  EXPECT_EQ(temporary.rfind(kAppFolder + L"config.ini.", 0), 0u) << temporary;
  EXPECT_EQ(temporary.find(L'\\', kAppFolder.size()), std::wstring::npos) << temporary;
  EXPECT_EQ(h.fake.moves, (std::vector<std::pair<std::wstring, std::wstring>>{
                              {temporary, kAppFolder + L"config.ini"}}));
  EXPECT_EQ(h.fake.FileNames(), Texts{kAppFolder + L"config.ini"});
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(Download, ATemporaryFileIsNeverADroppedScript) {
  // The update cycle downloads over boot.scp while the command drop runs.
  Harness h;
  h.fake.AddFile(kAppFolder + L"boot.scp", "old");
  h.fake.urls[L"http://server/latest.scp"] = {200, "new"};
  bool listed = true;
  h.fake.onDownload = [&] {
    h.fake.AddFile(h.fake.downloadPaths.back(), "part");
    listed = ListFilesByExtension(h.app.platform, L"", L".scp") != L"boot.scp";
    h.fake.RemoveFile(h.fake.downloadPaths.back());
  };
  EXPECT_EQ(ExecuteCommand(h.app, L"download \"http://server/latest.scp\" \"boot.scp\""),
            CommandResult::Ok);
  EXPECT_FALSE(listed);
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"boot.scp"), "new");
}

TEST(Download, AFailureLeavesTheExistingFileByteForByte) {
  const std::string old = "[Server]\r\nName=prod\r\n";
  struct Case {
    const char* fault;
    std::function<void(Harness&)> arrange;
    Texts messages;
  };
  const Texts failed{L"Download failed. (Check parameters.)"};
  const Case cases[] = {
      {"server error",
       [](Harness& h) {
         h.fake.urls[kUrl] = {503, "Busy"};
       },
       failed},
      {"not found",
       [](Harness& h) {
         h.fake.urls[kUrl] = {404, "Not Found"};
       },
       failed},
      {"refused connection", [](Harness& h) { h.fake.urls.clear(); }, failed},
      {"disk full", [](Harness& h) { h.fake.diskFull = true; }, failed},
      {"target in use", [](Harness& h) { h.fake.File(kAppFolder + L"config.ini")->inUse = true; },
       failed},
      {"target read-only",
       [](Harness& h) { h.fake.File(kAppFolder + L"config.ini")->readOnly = true; }, failed},
      // The user quits while the file is on its way: the transfer is
      // abandoned, and nobody is told of a failure they asked for.
      {"quit", [](Harness& h) { h.fake.onDownload = [&h] { ShutDown(h.app); }; }, {}},
      {"menu quit", [](Harness& h) { h.fake.onDownload = [&h] { Quit(h.app); }; }, {}},
  };
  for (const Case& c : cases) {
    Harness h;
    h.fake.AddFile(kAppFolder + L"config.ini", old);
    h.fake.urls[kUrl] = {200, "new contents"};
    c.arrange(h);
    const std::wstring slot =
        Block(L"x", {L"download \"" + kUrl + L"\" \"config.ini\"", L"write \"downloaded\""});
    EXPECT_EQ(RunHandler(h.app, slot, L"x", Mode::Optional), RunResult::Error) << c.fault;
    EXPECT_EQ(h.fake.Contents(kAppFolder + L"config.ini"), old) << c.fault;
    EXPECT_EQ(h.fake.FileNames(), Texts{kAppFolder + L"config.ini"}) << c.fault;
    EXPECT_EQ(h.BoxTexts(), c.messages) << c.fault;
    EXPECT_FALSE(h.app.download.DownloadBusy) << c.fault;
    EXPECT_TRUE(h.fake.deletedCacheEntries.empty()) << c.fault;
  }
}

TEST(Download, AClickWhoseDownloadTheQuitAbandonedShowsNoBox) {
  Harness h;
  h.fake.urls[kUrl] = {200, "%PDF"};
  h.app.handlers[Slot::LeftClick] =
      Block(L"leftClick", {L"download \"" + kUrl + L"\"", L"write \"downloaded\""});
  h.fake.onDownload = [&] { ShutDown(h.app); };
  TrayWindowProc(h.app, 514);
  EXPECT_TRUE(h.fake.boxes.empty());
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"report.pdf"));
  EXPECT_FALSE(h.fake.Exists(kOutput));
}

TEST(Download, NestedDownloadsOfOneFileDoNotShareATemporaryFile) {
  Harness h;
  h.fake.urls[L"http://host/a"] = {200, "outer"};
  h.fake.urls[L"http://host/b"] = {200, "inner"};
  h.fake.onDownload = [&] {
    h.fake.onDownload = nullptr;
    ExecuteCommand(h.app, L"download \"http://host/b\" \"f.txt\"");
  };
  EXPECT_EQ(ExecuteCommand(h.app, L"download \"http://host/a\" \"f.txt\""), CommandResult::Ok);
  ASSERT_EQ(h.fake.downloadPaths.size(), 2u);
  EXPECT_NE(h.fake.downloadPaths[0], h.fake.downloadPaths[1]);
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"f.txt"), "outer");
  EXPECT_EQ(h.fake.FileNames(), Texts{kAppFolder + L"f.txt"});
}

// A handler that checks the address and marks which way the switch went.
const std::wstring kChecking = Script(
    {L"on x", L"check \"http://host/new.scp\"", L"switch result", L"case \"different\"",
     L"set tooltip \"took\"", L"case \"same\"", L"set tooltip \"kept\"", L"end switch", L"end x"});

struct Checked : Harness {
  explicit Checked(const std::wstring& openScript) {
    fake.urls[L"http://host/new.scp"] = {200, Bytes(L"on openScript\r\n" + openScript +
                                                    L"\r\nend openScript\r\n"
                                                    L"on leftClick\r\nbeep\r\nend leftClick\r\n")};
    app.download.LastID = L"1";
    app.LastResult = L"before";
  }
  RunResult Check() { return RunHandler(app, kChecking, L"x", Mode::Optional); }
};

TEST(Download, ClicksMeanwhileAreHandledOnceItIsDone) {
  Harness h;
  h.fake.urls[kUrl] = {200, "%PDF"};
  h.app.handlers[Slot::LeftClick] = Block(L"leftClick", {L"set tooltip \"clicked\""});
  const auto deliver = [&h](std::intptr_t code) { TrayWindowProc(h.app, code); };
  // Two clicks arrive while the file is on its way; neither runs a handler
  // that could start a second download over the first.
  h.fake.onDownload = [&] {
    deliver(514); // left button up
    deliver(514);
  };
  EXPECT_EQ(ExecuteCommand(h.app, L"download \"" + kUrl + L"\""), CommandResult::Ok);
  EXPECT_TRUE(Tips(h.fake).empty());
  ASSERT_EQ(h.fake.posted.size(), 2u);
  for (const fake::PostedMessage& posted : h.fake.posted) {
    EXPECT_EQ(posted.message, kTrayCallbackMessage);
    EXPECT_EQ(posted.wParam, kTrayIconId);
    deliver(posted.lParam);
  }
  EXPECT_EQ(Tips(h.fake), (Texts{L"clicked", L"clicked"}));
  EXPECT_TRUE(h.app.tray.DeferredTrayEvents.empty());
}

TEST(Check, TakesANewScriptOnceThenFindsItTheSame) {
  Checked h(Script({L"set tooltip \"new\"", L"set scriptID to \"2\""}));
  bool busyMeanwhile = false;
  h.fake.onDownload = [&] { busyMeanwhile = h.app.download.DownloadBusy; };
  EXPECT_EQ(h.Check(), RunResult::Ok);
  EXPECT_TRUE(busyMeanwhile);
  EXPECT_EQ(h.app.download.LastID, L"2");
  EXPECT_EQ(h.fake.Contents(kSettings), "[Updates]\r\nLastID=2\r\n");
  EXPECT_NE(h.app.handlers[Slot::LeftClick].find(L"beep"), std::wstring::npos);
  EXPECT_EQ(Tips(h.fake), (Texts{L"new", L"took"}));
  EXPECT_EQ(h.app.LastResult, L"different");
  EXPECT_FALSE(h.fake.Exists(kTemporary));
  EXPECT_TRUE(h.fake.cursorsSet.empty());

  EXPECT_EQ(h.Check(), RunResult::Ok);
  EXPECT_EQ(Tips(h.fake), (Texts{L"new", L"took", L"kept"}));
  EXPECT_EQ(h.app.LastResult, L"same");
  EXPECT_FALSE(h.fake.Exists(kTemporary));
  EXPECT_EQ(h.fake.deletedCacheEntries.size(), 2u);
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(Check, ANewScriptWhoseOpenScriptTheLoadCannotFindEndsTheProgram) {
  // The check reads the declaration, but the load takes the itemSelect
  // block, and the openScript inside it, out first: nothing is left to run.
  Harness h;
  h.fake.urls[L"http://host/new.scp"] = {
      200, Bytes(Script({L"on itemSelect", L"on openScript", L"set scriptID 2", L"end openScript",
                         L"end itemSelect"}))};
  StartAllTimers(h.fake);
  EXPECT_EQ(RunHandler(h.app, kChecking, L"x", Mode::Optional), RunResult::Ok);
  ASSERT_EQ(h.fake.boxes.size(), 1u);
  EXPECT_EQ(h.fake.boxes[0].caption, L"Handler Not Found");
  ExpectShutDownStarted(h.fake);
  EXPECT_EQ(h.app.download.LastID, L"2");
}

TEST(Check, AnExistingSettingsFileIsUpdatedInPlaceOrKept) {
  const std::string settings = "[Window]\r\nTop=5\r\n[Updates]\r\nLastID=1\r\nSeen=yes\r\n";
  // The identifier is the last word of the first line that declares it.
  const std::tuple<std::wstring, const wchar_t*, std::string> cases[] = {
      {L"set the scriptID \"v 7\"", L"7",
       "[Window]\r\nTop=5\r\n[Updates]\r\nLastID=7\r\nSeen=yes\r\n"},
      {Script({L"Set scriptID 3", L"set scriptID 4"}), L"4",
       "[Window]\r\nTop=5\r\n[Updates]\r\nLastID=4\r\nSeen=yes\r\n"},
      {L"set scriptID 1", L"1", settings},
  };
  for (const auto& [declarations, identifier, contents] : cases) {
    Checked h(declarations);
    h.fake.AddFile(kSettings, settings);
    EXPECT_EQ(h.Check(), RunResult::Ok) << declarations;
    EXPECT_EQ(h.app.download.LastID, identifier) << declarations;
    EXPECT_EQ(h.fake.Contents(kSettings), contents) << declarations;
    EXPECT_TRUE(h.fake.boxes.empty()) << declarations;
  }
}

TEST(Check, FailuresChangeNothingAndTheProgramRunsOn) {
  const std::pair<std::string, const wchar_t*> cases[] = {
      {"<html>Sign in to the network</html>",
       L"Check URL: 'openScript' handler not found in script file."},
      {"on openScript\r\nset scriptID 2\r\n",
       L"Check URL: 'openScript' handler not found in script file."},
      {"on openScript\r\nend openScript\r\n",
       L"Check URL: 'openScript' handler not found in script file."},
      {"on openScript\r\nSet scriptID 2\r\nend openScript\r\n",
       L"Check URL: Couldn't find 'set scriptID' in openScript handler."},
      {"on openScript\r\nset scriptID \"\"\r\nend openScript\r\n",
       L"Check URL: Script ID is invalid in 'set scriptID' command."},
      {"404", L"Check URL: Download failed. (Check parameters.)"},
      {"", L"Check URL: Download failed. (Check parameters.)"},
  };
  for (const auto& [body, message] : cases) {
    Checked h(L"");
    h.fake.urls.clear();
    if (body == "404") {
      h.fake.urls[L"http://host/new.scp"] = {404, "Not Found"};
    } else if (!body.empty()) {
      h.fake.urls[L"http://host/new.scp"] = {200, body};
    }
    // A temporary file left by an earlier run goes too.
    h.fake.AddFile(kTemporary, "stale");
    EXPECT_EQ(h.Check(), RunResult::Error) << message;
    EXPECT_EQ(h.BoxTexts(), Texts{message}) << body;
    EXPECT_EQ(h.app.download.LastID, L"1");
    EXPECT_EQ(h.app.LastResult, L"before");
    EXPECT_FALSE(h.app.download.DownloadBusy);
    EXPECT_FALSE(h.fake.Exists(kTemporary)) << body;
    EXPECT_FALSE(h.fake.Exists(kSettings)) << body;
    EXPECT_EQ(h.fake.closePosts, 0) << body;
  }
  Harness h;
  EXPECT_EQ(ExecuteCommand(h.app, L"check http://host/new.scp"), CommandResult::Error);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'check' command."});
}

TEST(SetScriptId, ReplacesTheIdentifierInMemoryOnly) {
  for (const wchar_t* line : {L"set the scriptID 7", L"SET SCRIPTID 7", L"set scriptID to \"7\""}) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_EQ(h.app.download.LastID, L"7") << line;
    EXPECT_FALSE(h.fake.Exists(kSettings)) << line;
  }
  Harness h;
  h.app.download.LastID = L"old";
  EXPECT_EQ(ExecuteCommand(h.app, L"set scriptID \"\""), CommandResult::Error);
  EXPECT_EQ(h.app.download.LastID, L"old");
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'set scriptID' command."});
}

TEST(SetPolling, IntervalsAndRefusals) {
  // The interval and whether the timer runs afterwards; a refused line leaves
  // the running 500 ms timer as it was.
  const std::tuple<const wchar_t*, std::uint32_t, bool, bool> cases[] = {
      {L"set polling to 2000", 2000, true, true},
      {L"set the polling to 1500.9", 1500, true, true},
      {L"set polling to 65535", kLongestTimerTick, true, true},
      {L"set polling to 65536", kMinuteTick, true, true},
      {L"set polling to 1e9", kMinuteTick, true, true},
      {L"set polling to 0", 500, false, true},
      {L"set polling to fast to 300", 300, true, true},
      {L"set polling 2000", 500, true, false},
      {L"set polling to fast", 500, true, false},
      {L"set polling to", 500, true, false},
      {L"set polling TO 300", 500, true, false},
      {L"set polling to -5", 500, true, false},
      {L"set polling to -0.5", 500, true, false},
      // Digits of other scripts are no digits here, whatever Windows says.
      {L"set polling to \uFF12\uFF10\uFF10\uFF10", 500, true, false},
      {L"set polling to 2\u0660\u0660", 500, true, false},
  };
  for (const auto& [line, interval, enabled, accepted] : cases) {
    Harness h;
    h.fake.SetTimerInterval(TimerId::Poll, 500);
    h.fake.SetTimerEnabled(TimerId::Poll, true);
    EXPECT_EQ(ExecuteCommand(h.app, line), accepted ? CommandResult::Ok : CommandResult::Error)
        << line;
    EXPECT_EQ(h.fake.TimerInterval(TimerId::Poll), interval) << line;
    EXPECT_EQ(h.fake.Timer(TimerId::Poll).enabled, enabled) << line;
    EXPECT_EQ(h.BoxTexts(), accepted ? Texts{} : Texts{L"Can't understand 'set polling' command."})
        << line;
  }
}

} // namespace
} // namespace velmora::testing
