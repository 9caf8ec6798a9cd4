// Script error reports: the scriptError handler, else the error log in silent mode, else a box; and
// set silentErrors.
#include "harness.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/script.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

const std::wstring kLog = L"C:\\App\\errors.log";

// The reports, joined with |, that took the one route silent mode picks: the log's lines, or boxes
// with these captions.
void ExpectReported(const Harness& h, const std::wstring& reports, const std::wstring& captions) {
  const bool silent = h.app.SilentErrors;
  EXPECT_EQ(h.fake.Exists(kLog) ? h.fake.Contents(kLog) : "no log",
            silent && !reports.empty() ? Bytes(Piped(reports) + L"\r\n") : "no log");
  EXPECT_EQ(Joined(h.BoxTexts()), silent ? L"" : reports);
  EXPECT_EQ(Joined(h.Captions()), silent ? L"" : captions);
}

TEST(ReportScriptError, SilentModeAppendsOnlyTheMessageToTheLog) {
  Harness h;
  h.app.SilentErrors = true;
  // A log that cannot be written loses the line, not the program.
  h.fake.SetFolderReadOnly(L"C:\\App", true);
  ReportScriptError(h.app, L"lost");
  EXPECT_FALSE(h.fake.Exists(kLog));
  h.fake.SetFolderReadOnly(L"C:\\App", false);
  h.fake.AddFile(kLog, "old\r\n");
  h.fake.File(kLog)->readOnly = true;
  ReportScriptError(h.app, L"lost too");
  h.fake.File(kLog)->readOnly = false;
  ReportScriptError(h.app, L"a", L"Execution Error");
  ReportScriptError(h.app, L"b", L"Script Parsing Error");
  EXPECT_EQ(h.fake.Contents(kLog), "old\r\na\r\nb\r\n");
  EXPECT_TRUE(h.fake.boxes.empty());
  EXPECT_EQ(h.fake.closePosts, 0);
}

TEST(ReportScriptError, TheScriptErrorHandlerTakesEveryReportButItsOwn) {
  // The handler's lines, the tooltips its runs set for a report and for a failing command, and what
  // took the other routes: its own failures, not run again; a handler without a line silences every
  // report.
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {LR"(set tooltip "handled")", L"handled|handled", L""},
      {LR"(set tooltip "handled"|frobnicate)", L"handled|handled",
       L"Can't understand 'frobnicate'.|Can't understand 'frobnicate'."},
      {L"-- errors are ignored", L"", L""},
  };
  for (const bool silent : {false, true}) {
    for (const auto& [body, tips, reported] : cases) {
      SCOPED_TRACE(body);
      Harness h;
      h.app.SilentErrors = silent;
      ParseScript(h.app, Block(L"scriptError", {Piped(body)}));
      ReportScriptError(h.app, L"first");
      EXPECT_EQ(ExecuteCommand(h.app, L"frobnicate"), CommandResult::Error);
      EXPECT_EQ(Joined(Tips(h.fake)), tips);
      ExpectReported(h, reported, *reported ? L"Parsing Error|Parsing Error" : L"");
    }
  }
}

TEST(ReportScriptError, AScriptErrorHandlerThatCannotRunSwallowsNothing) {
  for (const bool silent : {false, true}) {
    Harness h;
    h.app.SilentErrors = silent;
    // Installed without its end line.
    ExecuteCommand(h.app, LR"(install handler "on scriptError\nset tooltip \'x\'")");
    ReportScriptError(h.app, L"first");
    ReportScriptError(h.app, L"second", L"Execution Error");
    // Another broken handler is news again; a working one takes reports.
    ExecuteCommand(h.app, LR"(install handler "on scriptError\nbeep")");
    ReportScriptError(h.app, L"third");
    ExecuteCommand(h.app, LR"(install handler "on scriptError\nbeep\nend scriptError")");
    ReportScriptError(h.app, L"fourth");
    EXPECT_EQ(h.fake.beeps, 1);
    EXPECT_TRUE(Tips(h.fake).empty());
    // Each broken handler is reported once, after the first report it failed.
    const std::wstring broken = L"Incomplete 'scriptError' handler.";
    ExpectReported(h, L"first|" + broken + L"|second|third|" + broken,
                   L"Parsing Error|Execution Error|Execution Error|Parsing Error|Execution Error");
  }
}

TEST(ReportScriptError, ErrorsOfOtherEventsDuringTheHandlersBoxStillReachIt) {
  Harness h;
  // The handler counts its runs in the tooltip and waits in a box; its own failing line is reported
  // by a box too.
  ParseScript(h.app, Piped(LR"(on scriptError|set tooltip "handled"|answer "Something went wrong")"
                           LR"(|frobnicate|end scriptError|on rightClick|bogus|end rightClick)"));
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    if (h.fake.boxes.size() == 1) {
      TrayWindowProc(h.app, 517); // a right click, whose handler fails
    }
    return std::nullopt;
  };
  ReportScriptError(h.app, L"first");
  // Runs: for "first", then nested for the click's "bogus" and for its "Error in 'rightClick'
  // handler."; each run's own "frobnicate" takes a box.
  EXPECT_EQ(Joined(Tips(h.fake)), L"handled|handled|handled");
  EXPECT_EQ(Joined(h.BoxTexts()),
            L"Something went wrong|Something went wrong|Can't understand 'frobnicate'.|Something "
            L"went wrong|Can't understand 'frobnicate'.|Can't understand 'frobnicate'.");
}

TEST(SetSilentErrors, ValueIsTheLastWordInLowerCase) {
  const std::tuple<bool, const wchar_t*, bool> accepted[] = {
      {false, L"set silentErrors true", true},
      {true, L"set the silentErrors to false", false},
      {false, L"SET SILENTERRORS true", true},
      {false, L"set silentErrors now and forever true  ", true},
  };
  for (const auto& [before, line, after] : accepted) {
    Harness h;
    h.app.SilentErrors = before;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_EQ(h.app.SilentErrors, after) << line;
  }
  for (const wchar_t* line :
       {L"set silentErrors True", L"set silentErrors", LR"(set silentErrors "true")"}) {
    ExpectLine(line, L"", L"Can't understand 'set silentErrors' command.");
  }
}

} // namespace
} // namespace velmora::testing
