// velmoractl check: a table of scripts with the diagnostics each must give,
// line for line, and the exit status and output forms of the command.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "ctl/check.hpp"
#include "ctl/check_command.hpp"
#include "ctl/script_file.hpp"
#include "ctl/send.hpp"
#include "ctl_output.hpp"

namespace velmora::ctl {
namespace {

// A script as its file holds it, and its diagnostics, one a line as
// "line severity code message".
struct Case {
  const char* name;
  std::string script;
  std::string expected;
};

const std::string kNoOpenScript =
    "1 error no-openscript Velmora requires an 'on openScript' handler in order to function "
    "properly. Velmora cannot continue.\n";

const Case kCases[] = {
    {"Clean",
     "on openScript\n  set tooltip \"Ready at %t%\"\n  create menu Save,Quit\n  answer "
     "question \"Go on?\" with \"YesNo\" \"Title\"\n  -- the buttons\n  switch result\n    case "
     "\"Yes\"\n      write \"yes\" \"C:/new.txt\"\n  end switch\n  set timer for 5 seconds\nend "
     "openScript\non itemSelect\n  case \"Save\"\n    launch \"C:\\Windows\\notepad.exe\"\nend "
     "itemSelect\n",
     ""},
    {"NoOpenScript", "on timerEvent\nbeep\nend timerEvent\n", kNoOpenScript},
    {"BlockNeverClosed", "on openScript\nend openScript\n\non rightClick\n  beep\n",
     "4 error incomplete-block Handler 'rightClick' has a script error: Incomplete script block "
     "detected. No line holds 'end rightClick'.\n"},
    {"InstallClosedByWrongEnd",
     "on openScript\n  install handler:\n    on leftClick\n      "
     "beep\n    end rightClick\nend openScript\n",
     kNoOpenScript +
         "3 error incomplete-block Handler 'leftClick' has a script error: Incomplete script "
         "block detected. No line holds 'end leftClick'.\n5 error incomplete-block Handler "
         "'openScript' has a script error: Incomplete script block detected. The install block "
         "begun on line 2 is still open here: 'end rightClick' does not close it.\n"},
    {"SwitchLeftOpen",
     "on openScript\n  answer \"Sure?\" with \"YesNo\"\n  switch result\n    "
     "case \"Yes\"\n      beep\n  End Switch\nend openScript\n",
     kNoOpenScript +
         "6 warning capital-word 'End Switch' must be written 'end switch' to close the switch "
         "block\n7 error incomplete-block Handler 'openScript' has a script error: Incomplete "
         "script block detected. The switch block begun on line 3 is still open here: 'end "
         "openScript' does not close it.\n"},
    {"UnknownWordsAndMissingArguments",
     "on openScript\n  Frobnicate 1\n  answer info\n  write\n  "
     "set tooltip Hello\n  show info balloon \"No title\"\n  launch \"tool.exe\" with\n  delete "
     "\"x\"\nend openScript\n",
     "2 error unknown-command Can't understand 'frobnicate'.\n3 error refused-command Can't "
     "understand 'answer' command.\n4 error refused-command Can't understand 'write' command.\n5 "
     "error refused-command Can't understand 'set tooltip' command.\n6 error refused-command "
     "Can't understand 'show' command.\n7 error refused-command Can't understand 'launch' "
     "command.\n"},
    {"InstallRefused",
     "on openScript\n  install handler \"on openScript\\nbeep\"\n  install:\n   "
     " on leftclick\n      beep\n    end leftclick\nend openScript\n",
     "2 error install-refused Install cannot be used to install an 'openScript' handler.\n3 "
     "error install-refused Handler 'leftclick' is not valid and cannot be installed.\n"},
    {"Containment",
     "-- this script handles on leftClick\non openScript\n  beep\nend openScript\n"
     "on itemSelect\n  case \"Log\"\n    write \"end itemSelect\"\n    beep\nend itemSelect\non "
     "leftClick\n  beep\nend leftClick\n",
     "1 warning containment this line holds 'on leftClick', so the 'leftClick' handler is taken "
     "to begin here\n7 warning containment this line holds 'end itemSelect', so the 'itemSelect' "
     "handler is taken to end here\n"},
    {"OldClickSlots",
     "on openScript\nend openScript\non leftClickOneTime\n  beep\nend "
     "leftClickOneTime\non leftClick\n  beep\nend leftClick\non click\n  beep\nend click\non "
     "clickOneTime\n  beep\nend clickOneTime\n",
     "3 warning click-slot older Velmora loaded this block as the 'leftClick' handler too; it is "
     "now the 'leftClickOneTime' handler, as its name says\n9 warning ignored-block this block "
     "does not become the 'click' handler: the 'leftClick' block fills the same slot after it\n"
     "12 warning ignored-block this block does not become the 'clickOneTime' handler: the "
     "'leftClickOneTime' block fills the same slot after it\n"},
    {"OpenScriptNeverEnds", "on openScript\n  beep\non leftClick\n  beep\nend leftClick\n",
     "1 error incomplete-block An 'on openScript' was found without a corresponding 'end "
     "openScript'. Velmora cannot continue.\n"},
    {"OneTimeSuccessor",
     "on openScript\nend openScript\non rightClick\n  beep\nend rightClick\n"
     "on rightClickOneTime\n  beep\n  install handler \"on rightClickOneTime\\nbeep\\nend "
     "rightClickOneTime\"\n",
     "8 warning containment this line holds 'end rightClickOneTime', so the 'rightClickOneTime' "
     "handler is taken to end here\n8 warning one-time-successor older Velmora dropped the "
     "'rightClickOneTime' handler installed here when this run ended; it is now kept, and the "
     "next such event runs it\n"},
    {"SwitchNotAfterAnswer",
     "on openScript\n  answer \"Sure?\" with \"YesNo\"\n  beep\n  switch "
     "result\n  answer \"Fetch?\"\n  check \"http://example/new.scp\"\n  switch result\nend "
     "openScript\n",
     "4 error unknown-command Can't understand 'switch'.\n4 warning switch-placement 'switch "
     "result' begins a switch block only directly after an 'answer' or 'check' line; here it "
     "runs as a command\n7 error unknown-command Can't understand 'switch'.\n7 warning "
     "switch-placement the 'check' line before 'switch result' directly follows an 'answer' or "
     "'check' line, so it cannot start a switch block; here 'switch result' runs as a command\n"},
    {"Capitals",
     "on openScript\n  answer \"Text\" With \"YesNo\"\n  Answer \"Sure?\" with "
     "\"YesNo\"\n  switch result\nend openScript\non itemSelect\n  case \"A\"\n    beep\n  Case "
     "\"B\"\n    beep\nend itemSelect\n",
     "2 warning capital-word 'With' must be written 'with': written so, the quoted text after it "
     "is not read as what 'with' brings\n3 warning capital-word 'Answer' must be written "
     "'answer' for the switch block after it to be read\n4 error unknown-command Can't "
     "understand 'switch'.\n9 warning capital-word 'Case' must be written 'case' to end the "
     "section before it\n"},
    {"TimerAndPolling",
     "on openScript\n  set timer for 5 Seconds\n  set timer 5 seconds\n  set "
     "polling 2000\n  set the polling to 500\nend openScript\n",
     "2 warning timer-unit 'Seconds' is no unit of 'set timer', so the number counts "
     "milliseconds; the units are ms, sec, min and hr and their long forms, in lower case\n3 "
     "warning timer-number Can't understand 'set timer' command. It needs \"to\" or \"for\" and "
     "a number.\n4 warning polling-number Can't understand 'set polling' command. It needs "
     "\"to\" and a number.\n"},
    {"CaseCaptionSpacing",
     "on openScript\nend openScript\non itemSelect\n  case \"Save  As\"\n   "
     " beep\n  case \"1 = 2\"\n    beep\nend itemSelect\n",
     "4 warning case-spacing the caption \"Save  As\" is read as \"Save As\": runs of spaces "
     "shrink to one and \" = \" to \"=\" when a script is read\n6 warning case-spacing the "
     "caption \"1 = 2\" is read as \"1=2\": runs of spaces shrink to one and \" = \" to \"=\" "
     "when a script is read\n"},
    {"NewlineEscapes",
     "on openScript\n  write \"kept\" \"logs\\new.txt\"\n  check "
     "\"http://example/new.scp\"\n  switch result\n    case \"same\"\n      write \"x\" \"C:\\n"
     "ew.txt\"\n  end switch\n  answer \"Saved to C:\\new\\log.txt\"\nend openScript\n",
     "6 warning block-escape older Velmora expanded \"\\n\" in this line when the switch block "
     "ran, before the line itself did; the line now runs exactly as it would outside the block\n"
     "8 warning newline-in-path \"\\n\" in \"C:\\new\\log.txt\" becomes a line break; write the "
     "path with \"/\" instead\n"},
    {"InstallBlockEscapes",
     "on openScript\n  install handler:\n    on leftClick\n      answer "
     "\"Armed at %t%\"\n      answer \"Say \\'hi\\'\"\n      beep\n    end leftClick\nend "
     "openScript\n",
     "4 warning block-escape older Velmora expanded \"%t%\" in this line when the handler was "
     "installed, before the line itself ran; the line now runs exactly as it would outside the "
     "block\n5 warning block-escape older Velmora expanded \"\\'\" in this line when the handler "
     "was installed, before the line itself ran; the line now runs exactly as it would outside "
     "the block\n"},
    {"LinesAfterQuit",
     "on openScript\n  quit\n  beep\n  beep\nend openScript\non itemSelect\n  "
     "case \"Bye\"\n    exit\n  case \"Other\"\n    beep\nend itemSelect\n",
     "3 warning after-quit this line still runs: 'quit' on line 2 only asks the program to "
     "close\n"},
    {"UnknownHandlerName",
     "on openScript\nend openScript\non middleClick\n  beep\nend "
     "middleClick\n",
     "3 warning unknown-handler Velmora knows no handler named 'middleClick'\n"},
    // Leading blank lines are trimmed away before blocks are searched, and a
    // lone LF or CR ends a line as CR LF does: lines as an editor numbers them.
    {"LineEnds",
     "\n  \r\n-- x\ron openScript\n  Fr\xe9"
     "d\r\nend openScript\n",
     "5 error unknown-command Can't understand 'fr\xe9"
     "d'.\n"},
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class CheckTable : public ::testing::TestWithParam<Case> {};

TEST_P(CheckTable, GivesExactlyTheExpectedDiagnostics) {
  std::string found;
  for (const Diagnostic& d : CheckScript(ScriptText(GetParam().script))) {
    found += std::to_string(d.line) + (d.severity == Severity::Error ? " error " : " warning ") +
             d.code + " " + std::string(d.message.begin(), d.message.end()) + "\n";
  }
  EXPECT_EQ(found, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Traps, CheckTable, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Send, OnlyACompleteOpenScriptCountsAsTheScriptsOwn) {
  EXPECT_TRUE(HasOwnOpenScript(L"on openScript\r\nbeep\r\nend openScript"));
  // Velmora would run the openScript already in place for these.
  EXPECT_FALSE(HasOwnOpenScript(L"on click\r\nbeep\r\nend click"));
  EXPECT_FALSE(HasOwnOpenScript(L"on openScript\r\nbeep"));
}

// Exit status 0 with warnings only, 1 with errors, 2 for an unreadable file;
// --quiet prints errors only; JSON is one array of every file.
TEST(CheckCommand, ExitStatusAndOutputForms) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("velmoractl-test-" + std::to_string(getpid())); // its own: runs may overlap
  std::filesystem::create_directories(folder);
  const auto write = [&folder](const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
  };
  const std::string warned =
      write("warned.scp", "on openScript\r\n  set polling 2000\r\nend openScript\r\n");
  const std::string failing = write("failing.scp", "on openScript\nfrob\r\nend openScript\r\n");
  const std::string accented =
      write("f\xe9.scp", "on openScript\r\n  answer \"\xe9\r\nend openScript");
  const std::string missing = (folder / "missing.scp").string();
  TextOutput out, err;
  const auto run = [&](std::vector<std::string> files, bool errorsOnly, bool json) {
    out.clear();
    return RunCheck({errorsOnly, json, std::move(files)}, out, err);
  };
  const std::string pollingWarning = ":2: warning: Can't understand 'set polling' command. It "
                                     "needs \"to\" and a number. [polling-number]\n";
  const std::string frobError = ":2: error: Can't understand 'frob'. [unknown-command]\n";
  EXPECT_EQ(run({warned}, false, false), kCheckClean);
  EXPECT_EQ(out.str(), warned + pollingWarning);
  EXPECT_EQ(run({warned, failing}, false, false), kCheckErrors);
  EXPECT_EQ(out.str(), warned + pollingWarning + failing + frobError);
  EXPECT_EQ(run({warned, failing}, true, false), kCheckErrors);
  EXPECT_EQ(out.str(), failing + frobError);
  EXPECT_EQ(run({failing, missing}, false, false), kCheckUnreadable);
  EXPECT_EQ(err.str(), "velmoractl: cannot read " + missing + "\n");
  EXPECT_EQ(out.str(), failing + frobError);
  EXPECT_EQ(run({warned, accented}, false, true), kCheckErrors);
  const std::string prefix = folder.string() + "/";
  EXPECT_EQ(out.str(),
            "[\n  {\"file\": \"" + prefix +
                "warned.scp\", \"line\": 2, \"severity\": \"warning\", \"code\": "
                "\"polling-number\", \"message\": \"Can't understand 'set polling' command. It "
                "needs \\\"to\\\" and a number.\"},\n  {\"file\": \"" +
                prefix +
                "f\\u00e9.scp\", \"line\": 2, \"severity\": \"error\", \"code\": "
                "\"refused-command\", \"message\": \"Can't understand 'answer' command.\"}\n]\n");
  EXPECT_EQ(run({warned}, true, true), kCheckClean);
  EXPECT_EQ(out.str(), "[]\n");
  std::filesystem::remove_all(folder);
}

} // namespace
} // namespace velmora::ctl
