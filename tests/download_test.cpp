// Downloads, the update check with its settings file, set scriptID and
// set polling.
#include <gtest/gtest.h>
#include <tuple>

#include "base/files.hpp"
#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/run.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

const std::wstring kUrl = L"http://host/files/report.pdf";
const std::wstring kTemporary = kAppFolder + L"velmora.tmp";
const std::wstring kSettings = kAppFolder + kSettingsFileName;
const std::wstring kFailed = L"Download failed. (Check parameters.)";

// A handler that runs a line, then writes to the output file if it may go on.
RunResult RunThenWrite(Harness& h, const std::wstring& line) {
  return RunHandler(h.app, Block(L"x", {line, L"write \"next\""}), L"x", Mode::Optional);
}

// The new file is fetched beside its target under a name of its own, then
// put in place in one move; the old one stands untouched meanwhile.
TEST(Download, SavesUnderTheAddressesLastSegmentOrTheNameGivenInOneMove) {
  const std::tuple<std::wstring, std::wstring, const char*> cases[] = {
      {L"download \"" + kUrl + L"\"", kAppFolder + L"report.pdf", ""},
      {L"DOWNLOAD \"" + kUrl + L"\" \"docs\\r.pdf\"", kAppFolder + L"docs\\r.pdf", ""},
      {L"download \"" + kUrl + L"\" \"config.ini\"", kAppFolder + L"config.ini", "old"}};
  for (const auto& [line, path, old] : cases) {
    SCOPED_TRACE(line);
    Harness h;
    h.fake.AddFolder(kAppFolder + L"docs");
    if (*old) {
      h.fake.AddFile(path, old);
    }
    h.fake.urls[kUrl] = {200, "%PDF"};
    h.fake.onDownload = [&] {
      EXPECT_TRUE(h.app.download.DownloadBusy);
      EXPECT_EQ(h.fake.Contents(path), old);
    };
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok);
    EXPECT_EQ(h.fake.Contents(path), "%PDF");
    EXPECT_EQ(h.fake.FileNames(), Texts{path});
    ASSERT_EQ(h.fake.downloadPaths.size(), 1u);
    const std::wstring temporary = h.fake.downloadPaths[0];
    EXPECT_EQ(temporary.rfind(path + L".", 0), 0u) << temporary;
    EXPECT_EQ(temporary.find(L'\\', path.size()), std::wstring::npos) << temporary;
    EXPECT_EQ(h.fake.moves,
              (std::vector<std::pair<std::wstring, std::wstring>>{{temporary, path}}));
    EXPECT_FALSE(h.app.download.DownloadBusy);
    EXPECT_EQ(h.fake.cursorsSet, std::vector<std::uint32_t>{32650}); // the busy arrow
    EXPECT_EQ(h.fake.cursorRestores, 1);
    EXPECT_EQ(h.fake.deletedCacheEntries, Texts{kUrl});
    EXPECT_TRUE(h.fake.boxes.empty());
  }
}

// Every failure leaves the existing file byte for byte and stops the handler;
// a download the user's quit abandoned is reported to nobody.
TEST(Download, AFailureLeavesTheExistingFileByteForByte) {
  const std::string old = "[Server]\r\nName=prod\r\n";
  const std::wstring into = L"download \"" + kUrl + L"\" \"config.ini\"";
  // A failing transfer (server error, refused connection, full disk) and a
  // target in use each fail the same way whatever their cause.
  const std::tuple<const char*, std::wstring, void (*)(Harness&), std::wstring> cases[] = {
      {"no address", L"download", nullptr, L"Can't understand 'download' command."},
      {"unquoted name", L"download \"" + kUrl + L"\" report.pdf", nullptr,
       L"Can't understand 'download' command.."},
      {"no folder", L"download \"" + kUrl + L"\" \"nofolder\\r.pdf\"", nullptr, kFailed},
      // No file can have such a name; nothing is fetched.
      {"wildcard", L"download \"" + kUrl + L"\" \"*.pdf\"", nullptr, kFailed},
      {"server error", into, [](Harness& h) { h.fake.urls[kUrl].httpStatus = 503; }, kFailed},
      {"refused", into, [](Harness& h) { h.fake.urls.clear(); }, kFailed},
      {"disk full", into, [](Harness& h) { h.fake.diskFull = true; }, kFailed},
      {"in use", into, [](Harness& h) { h.fake.File(kAppFolder + L"config.ini")->inUse = true; },
       kFailed},
      {"quit", into, [](Harness& h) { h.fake.onDownload = [&h] { ShutDown(h.app); }; }, L""},
      {"menu quit", into, [](Harness& h) { h.fake.onDownload = [&h] { Quit(h.app); }; }, L""}};
  for (const auto& [fault, line, arrange, message] : cases) {
    SCOPED_TRACE(fault);
    Harness h;
    h.fake.AddFile(kAppFolder + L"config.ini", old);
    h.fake.urls[kUrl] = {200, "new contents"};
    if (arrange) {
      arrange(h);
    }
    EXPECT_EQ(RunThenWrite(h, line), RunResult::Error);
    EXPECT_EQ(h.fake.Contents(kAppFolder + L"config.ini"), old);
    EXPECT_EQ(h.fake.FileNames(), Texts{kAppFolder + L"config.ini"});
    EXPECT_EQ(h.BoxTexts(), message.empty() ? Texts{} : Texts{message});
    EXPECT_FALSE(h.app.download.DownloadBusy);
    EXPECT_TRUE(h.fake.deletedCacheEntries.empty());
    EXPECT_GE(h.fake.cursorRestores, h.fake.cursorsSet.size()) << "no busy arrow outlives it";
  }
  // A click whose download the quit abandoned shows no box either.
  Harness h;
  h.fake.urls[kUrl] = {200, "%PDF"};
  h.app.handlers[Slot::LeftClick] = Block(L"leftClick", {L"download \"" + kUrl + L"\"", L"beep"});
  h.fake.onDownload = [&] { ShutDown(h.app); };
  TrayWindowProc(h.app, 514);
  EXPECT_TRUE(h.fake.boxes.empty());
  EXPECT_TRUE(h.fake.FileNames().empty());
  EXPECT_EQ(h.fake.beeps, 0);
}

TEST(Download, ATemporaryFileIsNeverADroppedScriptNorSharedByNestedDownloads) {
  // The update cycle downloads over boot.scp while the command drop runs.
  Harness h;
  h.fake.AddFile(kAppFolder + L"boot.scp", "old");
  h.fake.urls[L"http://host/a"] = {200, "outer"};
  h.fake.urls[L"http://host/b"] = {200, "new"};
  h.fake.onDownload = [&] {
    h.fake.onDownload = nullptr;
    h.fake.AddFile(h.fake.downloadPaths.back(), "part");
    EXPECT_EQ(ListFilesByExtension(h.app.platform, L"", L".scp"), L"boot.scp");
    h.fake.RemoveFile(h.fake.downloadPaths.back());
    ExecuteCommand(h.app, L"download \"http://host/b\" \"boot.scp\"");
  };
  EXPECT_EQ(ExecuteCommand(h.app, L"download \"http://host/a\" \"boot.scp\""), CommandResult::Ok);
  ASSERT_EQ(h.fake.downloadPaths.size(), 2u);
  EXPECT_NE(h.fake.downloadPaths[0], h.fake.downloadPaths[1]);
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"boot.scp"), "outer");
  EXPECT_EQ(h.fake.FileNames(), Texts{kAppFolder + L"boot.scp"});
}

// During a download the events that run something wait for its end, so that
// no handler starts a second download over the first; the mouse moves that
// pour in meanwhile do not wait, and the wait has a bound. Once it is done the
// events go to the window again, in order.
TEST(Download, EventsMeanwhileAreHeldBackAndHandledOnceItIsDone) {
  Harness h;
  h.fake.urls[kUrl] = {200, "%PDF"};
  h.app.handlers[Slot::LeftClick] = Block(L"leftClick", {L"set tooltip \"clicked\""});
  h.app.handlers[Slot::BalloonClick] = Block(L"balloonClick", {L"set tooltip \"balloon\""});
  h.fake.onDownload = [&] {
    for (int i = 0; i < 1000; ++i) {
      TrayWindowProc(h.app, 512); // mouse move
    }
    for (const std::intptr_t code : {514, 517, 1029}) { // left up, right up, balloon click
      TrayWindowProc(h.app, code);
    }
    for (int i = 0; i < 100; ++i) {
      TrayWindowProc(h.app, 514);
    }
    EXPECT_EQ(h.fake.foregroundCalls, 0);
  };
  EXPECT_EQ(ExecuteCommand(h.app, L"download \"" + kUrl + L"\""), CommandResult::Ok);
  EXPECT_TRUE(Tips(h.fake).empty());
  ASSERT_EQ(h.fake.posted.size(), 16u);
  for (const fake::PostedMessage& posted : h.fake.posted) {
    EXPECT_EQ(std::make_pair(posted.message, posted.wParam),
              std::make_pair(kTrayCallbackMessage, std::uintptr_t{kTrayIconId}));
    TrayWindowProc(h.app, posted.lParam);
  }
  Texts tips{L"clicked", L"balloon"};
  tips.insert(tips.end(), 13, L"clicked");
  EXPECT_EQ(Tips(h.fake), tips);
  EXPECT_TRUE(h.app.tray.DeferredTrayEvents.empty());
}

// A program whose last script is "1", checking an address that serves a
// script declaring the given lines; the handler marks which way it went.
struct Checked : Harness {
  explicit Checked(const std::wstring& openScript) {
    fake.urls[L"http://host/new.scp"] = {200, Bytes(Block(L"openScript", {openScript}) + L"\r\n" +
                                                    Block(L"leftClick", {L"beep"}) + L"\r\n")};
    app.download.LastID = L"1";
    app.LastResult = L"before";
  }
  RunResult Check() {
    return RunHandler(app,
                      Block(L"x", {L"check \"http://host/new.scp\"", L"switch result",
                                   L"case \"different\"", L"set tooltip \"took\"", L"case \"same\"",
                                   L"set tooltip \"kept\"", L"end switch"}),
                      L"x", Mode::Optional);
  }
};

TEST(Check, TakesANewScriptOnceThenFindsItTheSame) {
  Checked h(L"set tooltip \"new\"\r\nset scriptID to \"2\"");
  h.fake.onDownload = [&] { EXPECT_TRUE(h.app.download.DownloadBusy); };
  EXPECT_EQ(h.Check(), RunResult::Ok);
  EXPECT_EQ(h.app.download.LastID, L"2");
  EXPECT_EQ(h.fake.Contents(kSettings), "[Updates]\r\nLastID=2\r\n");
  EXPECT_NE(h.app.handlers[Slot::LeftClick].find(L"beep"), std::wstring::npos);
  EXPECT_EQ(h.app.LastResult, L"different");
  EXPECT_FALSE(h.fake.Exists(kTemporary));
  EXPECT_EQ(h.Check(), RunResult::Ok);
  EXPECT_EQ(Tips(h.fake), (Texts{L"new", L"took", L"kept"}));
  EXPECT_EQ(h.app.LastResult, L"same");
  EXPECT_FALSE(h.fake.Exists(kTemporary));
  EXPECT_EQ(h.fake.downloadPaths.size(), 2u);
  EXPECT_EQ(h.fake.deletedCacheEntries.size(), 2u);
  EXPECT_TRUE(h.fake.cursorsSet.empty());
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(Check, ANewScriptWhoseOpenScriptTheLoadCannotFindEndsTheProgram) {
  // The check reads the declaration, but the load takes the itemSelect
  // block, and the openScript inside it, out first: nothing is left to run.
  Checked h(L"");
  h.fake.urls[L"http://host/new.scp"].body =
      Bytes(Block(L"itemSelect", {L"on openScript", L"set scriptID 2", L"end openScript"}));
  StartAllTimers(h.fake);
  EXPECT_EQ(h.Check(), RunResult::Ok);
  EXPECT_EQ(h.Captions(), Texts{L"Handler Not Found"});
  ExpectShutDownStarted(h.fake);
  EXPECT_EQ(h.app.download.LastID, L"2");
}

TEST(Check, AnExistingSettingsFileIsUpdatedInPlaceOrKept) {
  const std::string settings = "[Window]\r\nTop=5\r\n[Updates]\r\nLastID=1\r\nSeen=yes\r\n";
  // The identifier is the last word of the first line that declares it.
  const std::tuple<std::wstring, const wchar_t*, const char*> cases[] = {
      {L"set the scriptID \"v 7\"", L"7", "7"},
      {L"Set scriptID 3\r\nset scriptID 4", L"4", "4"},
      {L"set scriptID 1", L"1", "1"}};
  for (const auto& [declarations, identifier, saved] : cases) {
    Checked h(declarations);
    h.fake.AddFile(kSettings, settings);
    EXPECT_EQ(h.Check(), RunResult::Ok) << declarations;
    EXPECT_EQ(h.app.download.LastID, identifier) << declarations;
    EXPECT_EQ(h.fake.Contents(kSettings),
              "[Window]\r\nTop=5\r\n[Updates]\r\nLastID=" + std::string(saved) + "\r\nSeen=yes\r\n")
        << declarations;
    EXPECT_TRUE(h.fake.boxes.empty()) << declarations;
  }
}

// A page that is no script (an error page, a captive portal) and a failed
// download (here a refused connection: "") are reported and change nothing;
// a temporary file left by an earlier run goes too.
TEST(Check, FailuresChangeNothingAndTheProgramRunsOn) {
  const std::wstring noHandler = L"Check URL: 'openScript' handler not found in script file.";
  const std::pair<std::string, std::wstring> cases[] = {
      {"<html>Sign in to the network</html>", noHandler},
      {"on openScript\r\nset scriptID 2\r\n", noHandler},
      {"on openScript\r\nend openScript\r\n", noHandler},
      {"on openScript\r\nSet scriptID 2\r\nend openScript\r\n",
       L"Check URL: Couldn't find 'set scriptID' in openScript handler."},
      {"on openScript\r\nset scriptID \"\"\r\nend openScript\r\n",
       L"Check URL: Script ID is invalid in 'set scriptID' command."},
      {"", L"Check URL: " + kFailed}};
  for (const auto& [body, message] : cases) {
    SCOPED_TRACE(body);
    Checked h(L"");
    h.fake.urls[L"http://host/new.scp"].body = body;
    if (body.empty()) {
      h.fake.urls.clear();
    }
    h.fake.AddFile(kTemporary, "stale");
    EXPECT_EQ(h.Check(), RunResult::Error);
    EXPECT_EQ(h.BoxTexts(), Texts{message});
    EXPECT_EQ(h.app.download.LastID, L"1");
    EXPECT_EQ(h.app.LastResult, L"before");
    EXPECT_FALSE(h.app.download.DownloadBusy);
    EXPECT_TRUE(h.fake.FileNames().empty()) << "no temporary nor settings file";
    EXPECT_EQ(h.fake.closePosts, 0);
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
    EXPECT_TRUE(h.fake.FileNames().empty()) << line;
  }
  Harness h;
  h.app.download.LastID = L"old";
  EXPECT_EQ(ExecuteCommand(h.app, L"set scriptID \"\""), CommandResult::Error);
  EXPECT_EQ(h.app.download.LastID, L"old");
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'set scriptID' command."});
}

// Each row: a line, then the poll timer's interval and state after it, from a
// running 500 ms timer; a refused line leaves the timer as it was. Digits of
// other scripts are no digits here, whatever Windows says.
TEST(SetPolling, IntervalsAndRefusals) {
  for (const std::wstring row :
       {L"set polling to 2000: 2000 on", L"set the polling to 1500.9: 1500 on",
        L"set polling to 65535: 65535 on", L"set polling to 65536: 60000 on",
        L"set polling to 1e9: 60000 on", L"set polling to 0: 500 off",
        L"set polling to fast to 300: 300 on", L"set polling 2000: 500 on refused",
        L"set polling to fast: 500 on refused", L"set polling to: 500 on refused",
        L"set polling TO 300: 500 on refused", L"set polling to -5: 500 on refused",
        L"set polling to -0.5: 500 on refused",
        L"set polling to \uFF12\uFF10\uFF10\uFF10: 500 on refused",
        L"set polling to 2\u0660\u0660: 500 on refused"}) {
    const std::size_t colon = row.rfind(L": ");
    Harness h;
    h.fake.SetTimerInterval(TimerId::Poll, 500);
    h.fake.SetTimerEnabled(TimerId::Poll, true);
    const bool refused = ExecuteCommand(h.app, row.substr(0, colon)) == CommandResult::Error;
    EXPECT_EQ(std::to_wstring(h.fake.TimerInterval(TimerId::Poll)) +
                  (h.fake.Timer(TimerId::Poll).enabled ? L" on" : L" off") +
                  (refused ? L" refused" : L""),
              row.substr(colon + 2));
    EXPECT_EQ(h.BoxTexts(), refused ? Texts{L"Can't understand 'set polling' command."} : Texts{})
        << row;
  }
}

} // namespace
} // namespace velmora::testing
