// Script error reports: the scriptError handler, else the error log in silent
// mode, else a box; run results; and set silentErrors.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/script.hpp"
#include "script_trace.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

const std::wstring kLog = L"C:\\App\\errors.log";

TEST(ReportScriptError, SilentModeAppendsOnlyTheMessageToTheLog) {
  Harness h;
  h.app.SilentErrors = true;
  ReportScriptError(h.app, L"first", L"Execution Error");
  EXPECT_EQ(h.fake.Contents(kLog), "first\r\n");

  h.fake.AddFile(kLog, "old\r\n");
  ReportScriptError(h.app, L"a");
  ReportScriptError(h.app, L"b", L"Script Parsing Error");
  ReportScriptError(h.app, L"c");
  EXPECT_EQ(h.fake.Contents(kLog), "old\r\na\r\nb\r\nc\r\n");
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(ReportScriptError, ScriptErrorHandlerTakesEveryReport) {
  for (const bool silent : {false, true}) {
    Harness h;
    h.app.SilentErrors = silent;
    h.app.handlers[Slot::ScriptError] =
        Script({L"on scriptError", L"set tooltip \"handled\"", L"end scriptError"});
    ReportScriptError(h.app, L"oops");
    EXPECT_EQ(ExecuteCommand(h.app, L"frobnicate"), CommandResult::Error);
    EXPECT_EQ(Tips(h.fake), (Texts{L"handled", L"handled"}));
    EXPECT_TRUE(h.fake.boxes.empty());
    EXPECT_FALSE(h.fake.Exists(kLog));
  }
}

TEST(ReportScriptError, FailureInsideTheScriptErrorHandlerTakesTheOtherRoutes) {
  for (const bool silent : {false, true}) {
    Harness h;
    h.app.SilentErrors = silent;
    h.app.handlers[Slot::ScriptError] =
        Script({L"on scriptError", L"set tooltip \"handled\"", L"frobnicate", L"end scriptError"});
    ReportScriptError(h.app, L"first");
    ReportScriptError(h.app, L"second");
    // The handler ran once per report, and its own failure went to the log
    // or a box each time instead of running it again.
    EXPECT_EQ(Tips(h.fake), (Texts{L"handled", L"handled"}));
    const Texts reported(2, L"Can't understand 'frobnicate'.");
    if (silent) {
      EXPECT_EQ(h.fake.Contents(kLog),
                "Can't understand 'frobnicate'.\r\nCan't understand 'frobnicate'.\r\n");
      EXPECT_TRUE(h.fake.boxes.empty());
    } else {
      EXPECT_EQ(h.BoxTexts(), reported);
      EXPECT_EQ(h.Captions(), (Texts{L"Parsing Error", L"Parsing Error"}));
      EXPECT_FALSE(h.fake.Exists(kLog));
    }
  }
}

TEST(ReportScriptError, UnwritableLogLosesTheLineNotTheProgram) {
  Harness h;
  h.app.SilentErrors = true;
  h.fake.SetFolderReadOnly(L"C:\\App", true);
  ReportScriptError(h.app, L"lost");
  EXPECT_FALSE(h.fake.Exists(kLog));

  h.fake.SetFolderReadOnly(L"C:\\App", false);
  h.fake.AddFile(kLog, "");
  h.fake.File(kLog)->readOnly = true;
  ReportScriptError(h.app, L"lost too");
  h.fake.File(kLog)->readOnly = false;
  ReportScriptError(h.app, L"kept");

  EXPECT_EQ(h.fake.Contents(kLog), "kept\r\n");
  EXPECT_EQ(h.fake.closePosts, 0);
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(ReportScriptError, AScriptErrorHandlerThatCannotRunSwallowsNothing) {
  const std::wstring broken = L"Incomplete 'scriptError' handler.";
  for (const bool silent : {false, true}) {
    Harness h;
    h.app.SilentErrors = silent;
    // Installed without its end line.
    EXPECT_EQ(ExecuteCommand(h.app, L"install handler \"on scriptError\\nset tooltip \\'x\\'\""),
              CommandResult::Ok);
    ReportScriptError(h.app, L"first");
    ReportScriptError(h.app, L"second", L"Execution Error");
    // The broken handler is reported once, after the first report.
    const Texts expected{L"first", broken, L"second"};
    if (silent) {
      EXPECT_EQ(h.fake.Contents(kLog), "first\r\nIncomplete 'scriptError' handler.\r\nsecond\r\n");
      EXPECT_TRUE(h.fake.boxes.empty());
    } else {
      EXPECT_EQ(h.BoxTexts(), expected);
      EXPECT_EQ(h.Captions(), (Texts{L"Parsing Error", L"Execution Error", L"Execution Error"}));
    }
    EXPECT_TRUE(Tips(h.fake).empty());

    // Another broken handler is news again; a working one takes reports.
    ExecuteCommand(h.app, L"install handler \"on scriptError\\nbeep\"");
    ReportScriptError(h.app, L"third");
    ExecuteCommand(h.app, L"install handler \"on scriptError\\nbeep\\nend scriptError\"");
    ReportScriptError(h.app, L"fourth");
    EXPECT_EQ(h.fake.beeps, 1);
    if (!silent) {
      EXPECT_EQ(h.BoxTexts(), (Texts{L"first", broken, L"second", L"third", broken}));
    }
  }
}

TEST(ReportScriptError, AScriptErrorHandlerWithoutLinesSilencesReports) {
  Harness h;
  ParseScript(h.app, Script({L"on scriptError", L"-- errors are ignored", L"end scriptError"}));
  ReportScriptError(h.app, L"hidden");
  EXPECT_TRUE(h.fake.boxes.empty());
  EXPECT_FALSE(h.fake.Exists(kLog));
}

TEST(ReportScriptError, ErrorsOfOtherEventsDuringTheHandlersBoxStillReachIt) {
  Harness h;
  // The handler counts its runs in the tooltip and waits in a box; its own
  // failing line is reported by a box too.
  ParseScript(h.app, Script({L"on scriptError", L"set tooltip \"handled\"",
                             L"answer \"Something went wrong\"", L"frobnicate", L"end scriptError",
                             L"on rightClick", L"bogus", L"end rightClick"}));
  bool clicked = false;
  h.fake.onMessageBox = [&](const fake::MessageBoxCall& box) -> std::optional<int> {
    if (box.text == L"Something went wrong" && !clicked) {
      clicked = true;
      // A click whose handler fails, while the handler's box is open.
      TrayWindowProc(h.app, 517);
    }
    return std::nullopt;
  };
  ReportScriptError(h.app, L"first");
  // Runs: for "first", then nested for the click's "bogus" and for its
  // "Error in 'rightClick' handler."; each run's own "frobnicate" takes a box.
  EXPECT_EQ(Tips(h.fake), (Texts{L"handled", L"handled", L"handled"}));
  EXPECT_EQ(h.BoxTexts(),
            (Texts{L"Something went wrong", L"Something went wrong",
                   L"Can't understand 'frobnicate'.", L"Something went wrong",
                   L"Can't understand 'frobnicate'.", L"Can't understand 'frobnicate'."}));
}

TEST(SetSilentErrors, ValueIsTheLastWordInLowerCase) {
  struct SilentCase {
    bool before;
    const wchar_t* line;
    bool after;
  };
  const SilentCase accepted[] = {
      {false, L"set silentErrors true", true},
      {true, L"set the silentErrors to false", false},
      {false, L"SET SILENTERRORS true", true},
      {false, L"set silentErrors now and forever true  ", true},
  };
  for (const SilentCase& c : accepted) {
    Harness h;
    h.app.SilentErrors = c.before;
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Ok) << c.line;
    EXPECT_EQ(h.app.SilentErrors, c.after) << c.line;
  }
  const wchar_t* refused[] = {L"set silentErrors True", L"set silentErrors",
                              L"set silentErrors \"true\""};
  for (const wchar_t* line : refused) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    EXPECT_FALSE(h.app.SilentErrors) << line;
    EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'set silentErrors' command."}) << line;
  }
}

} // namespace
} // namespace velmora::testing
