// velmoractl check: a table of scripts with the diagnostics each must give,
// line for line, and the exit status and output forms of the command.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "ctl/check.hpp"
#include "ctl/check_command.hpp"
#include "ctl/script_file.hpp"
#include "ctl/send.hpp"

namespace velmora::ctl {
namespace {

struct Expected {
  int line;
  const char* severity;
  const char* code;
  const wchar_t* message;
};

struct Case {
  const char* name;
  std::vector<const wchar_t*> script;
  std::vector<Expected> expected;
};

std::string Describe(int line, const std::string& severity, const std::string& code,
                     std::wstring_view message) {
  return std::to_string(line) + " " + severity + " " + code + " " +
         std::string(message.begin(), message.end());
}

std::wstring Lines(const std::vector<const wchar_t*>& lines) {
  std::wstring text;
  for (const wchar_t* line : lines) {
    text += std::wstring(line) + L"\r\n";
  }
  return text;
}

constexpr const wchar_t* kOpen = L"on openScript";
constexpr const wchar_t* kClose = L"end openScript";

const Case kCases[] = {
    {"Clean",
     {kOpen, L"  set tooltip \"Ready at %t%\"", L"  create menu Save,Quit",
      L"  answer question \"Go on?\" with \"YesNo\" \"Title\"", L"  -- the buttons",
      L"  switch result", L"    case \"Yes\"", L"      write \"yes\" \"C:/new.txt\"",
      L"  end switch", L"  set timer for 5 seconds", kClose, L"on itemSelect", L"  case \"Save\"",
      L"    launch \"C:\\Windows\\notepad.exe\"", L"end itemSelect"},
     {}},
    {"NoOpenScript",
     {L"on timerEvent", L"beep", L"end timerEvent"},
     {{1, "error", "no-openscript",
       L"Velmora requires an 'on openScript' handler in order to function properly. Velmora "
       L"cannot continue."}}},
    {"BlockNeverClosed",
     {kOpen, kClose, L"", L"on rightClick", L"  beep"},
     {{4, "error", "incomplete-block",
       L"Handler 'rightClick' has a script error: Incomplete script block detected. No line "
       L"holds 'end rightClick'."}}},
    {"InstallClosedByWrongEnd",
     {kOpen, L"  install handler:", L"    on leftClick", L"      beep", L"    end rightClick",
      kClose},
     {{1, "error", "no-openscript",
       L"Velmora requires an 'on openScript' handler in order to function properly. Velmora "
       L"cannot continue."},
      {3, "error", "incomplete-block",
       L"Handler 'leftClick' has a script error: Incomplete script block detected. No line "
       L"holds 'end leftClick'."},
      {5, "error", "incomplete-block",
       L"Handler 'openScript' has a script error: Incomplete script block detected. The install "
       L"block begun on line 2 is still open here: 'end rightClick' does not close it."}}},
    {"SwitchLeftOpen",
     {kOpen, L"  answer \"Sure?\" with \"YesNo\"", L"  switch result", L"    case \"Yes\"",
      L"      beep", L"  End Switch", kClose},
     {{1, "error", "no-openscript",
       L"Velmora requires an 'on openScript' handler in order to function properly. Velmora "
       L"cannot continue."},
      {6, "warning", "capital-word",
       L"'End Switch' must be written 'end switch' to close the switch block"},
      {7, "error", "incomplete-block",
       L"Handler 'openScript' has a script error: Incomplete script block detected. The switch "
       L"block begun on line 3 is still open here: 'end openScript' does not close it."}}},
    {"UnknownWordsAndMissingArguments",
     {kOpen, L"  Frobnicate 1", L"  answer info", L"  write", L"  set tooltip Hello",
      L"  show info balloon \"No title\"", L"  launch \"tool.exe\" with", L"  delete \"x\"",
      kClose},
     {{2, "error", "unknown-command", L"Can't understand 'frobnicate'."},
      {3, "error", "refused-command", L"Can't understand 'answer' command."},
      {4, "error", "refused-command", L"Can't understand 'write' command."},
      {5, "error", "refused-command", L"Can't understand 'set tooltip' command."},
      {6, "error", "refused-command", L"Can't understand 'show' command."},
      {7, "error", "refused-command", L"Can't understand 'launch' command."}}},
    {"InstallRefused",
     {kOpen, L"  install handler \"on openScript\\nbeep\"", L"  install:", L"    on leftclick",
      L"      beep", L"    end leftclick", kClose},
     {{2, "error", "install-refused",
       L"Install cannot be used to install an 'openScript' handler."},
      {3, "error", "install-refused",
       L"Handler 'leftclick' is not valid and cannot be installed."}}},
    {"Containment",
     {L"-- this script handles on leftClick", kOpen, L"  beep", kClose, L"on itemSelect",
      L"  case \"Log\"", L"    write \"end itemSelect\"", L"    beep", L"end itemSelect",
      L"on leftClick", L"  beep", L"end leftClick"},
     {
         {1, "warning", "containment",
          L"this line holds 'on leftClick', so the 'leftClick' handler is taken to begin here"},
         {7, "warning", "containment",
          L"this line holds 'end itemSelect', so the 'itemSelect' handler is taken to end here"},
     }},
    {"OldClickSlots",
     {kOpen, kClose, L"on leftClickOneTime", L"  beep", L"end leftClickOneTime", L"on leftClick",
      L"  beep", L"end leftClick", L"on click", L"  beep", L"end click", L"on clickOneTime",
      L"  beep", L"end clickOneTime"},
     {{3, "warning", "click-slot",
       L"older Velmora loaded this block as the 'leftClick' handler too; it is now the "
       L"'leftClickOneTime' handler, as its name says"},
      {9, "warning", "ignored-block",
       L"this block does not become the 'click' handler: the 'leftClick' block fills the same "
       L"slot after it"},
      {12, "warning", "ignored-block",
       L"this block does not become the 'clickOneTime' handler: the 'leftClickOneTime' block "
       L"fills the same slot after it"}}},
    {"OpenScriptNeverEnds",
     {kOpen, L"  beep", L"on leftClick", L"  beep", L"end leftClick"},
     {{1, "error", "incomplete-block",
       L"An 'on openScript' was found without a corresponding 'end openScript'. Velmora cannot "
       L"continue."}}},
    {"OneTimeSuccessor",
     {kOpen, kClose, L"on rightClick", L"  beep", L"end rightClick", L"on rightClickOneTime",
      L"  beep", L"  install handler \"on rightClickOneTime\\nbeep\\nend rightClickOneTime\""},
     {{8, "warning", "containment",
       L"this line holds 'end rightClickOneTime', so the 'rightClickOneTime' handler is taken to "
       L"end here"},
      {8, "warning", "one-time-successor",
       L"older Velmora dropped the 'rightClickOneTime' handler installed here when this run "
       L"ended; it is now kept, and the next such event runs it"}}},
    {"SwitchNotAfterAnswer",
     {kOpen, L"  answer \"Sure?\" with \"YesNo\"", L"  beep", L"  switch result",
      L"  answer \"Fetch?\"", L"  check \"http://example/new.scp\"", L"  switch result", kClose},
     {{4, "error", "unknown-command", L"Can't understand 'switch'."},
      {4, "warning", "switch-placement",
       L"'switch result' begins a switch block only directly after an 'answer' or 'check' "
       L"line; here it runs as a command"},
      {7, "error", "unknown-command", L"Can't understand 'switch'."},
      {7, "warning", "switch-placement",
       L"the 'check' line before 'switch result' directly follows an 'answer' or 'check' line, "
       L"so it cannot start a switch block; here 'switch result' runs as a command"}}},
    {"Capitals",
     {kOpen, L"  answer \"Text\" With \"YesNo\"", L"  Answer \"Sure?\" with \"YesNo\"",
      L"  switch result", kClose, L"on itemSelect", L"  case \"A\"", L"    beep", L"  Case \"B\"",
      L"    beep", L"end itemSelect"},
     {{2, "warning", "capital-word",
       L"'With' must be written 'with': written so, the quoted text after it is not read as "
       L"what 'with' brings"},
      {3, "warning", "capital-word",
       L"'Answer' must be written 'answer' for the switch block after it to be read"},
      {4, "error", "unknown-command", L"Can't understand 'switch'."},
      {9, "warning", "capital-word",
       L"'Case' must be written 'case' to end the section before it"}}},
    {"TimerAndPolling",
     {kOpen, L"  set timer for 5 Seconds", L"  set timer 5 seconds", L"  set polling 2000",
      L"  set the polling to 500", kClose},
     {{2, "warning", "timer-unit",
       L"'Seconds' is no unit of 'set timer', so the number counts milliseconds; the units are "
       L"ms, sec, min and hr and their long forms, in lower case"},
      {3, "warning", "timer-number",
       L"Can't understand 'set timer' command. It needs \"to\" or \"for\" and a number."},
      {4, "warning", "polling-number",
       L"Can't understand 'set polling' command. It needs \"to\" and a number."}}},
    {"CaseCaptionSpacing",
     {kOpen, kClose, L"on itemSelect", L"  case \"Save  As\"", L"    beep", L"  case \"1 = 2\"",
      L"    beep", L"end itemSelect"},
     {{4, "warning", "case-spacing",
       L"the caption \"Save  As\" is read as \"Save As\": runs of spaces shrink to one and \" = "
       L"\" to \"=\" when a script is read"},
      {6, "warning", "case-spacing",
       L"the caption \"1 = 2\" is read as \"1=2\": runs of spaces shrink to one and \" = \" to "
       L"\"=\" when a script is read"}}},
    {"NewlineEscapes",
     {kOpen, L"  write \"kept\" \"logs\\new.txt\"", L"  check \"http://example/new.scp\"",
      L"  switch result", L"    case \"same\"", L"      write \"x\" \"C:\\new.txt\"",
      L"  end switch", L"  answer \"Saved to C:\\new\\log.txt\"", kClose},
     {{6, "warning", "block-escape",
       L"older Velmora expanded \"\\n\" in this line when the switch block ran, before the "
       L"line itself did; the line now runs exactly as it would outside the block"},
      {8, "warning", "newline-in-path",
       L"\"\\n\" in \"C:\\new\\log.txt\" becomes a line break; write the path with \"/\" "
       L"instead"}}},
    {"InstallBlockEscapes",
     {kOpen, L"  install handler:", L"    on leftClick", L"      answer \"Armed at %t%\"",
      L"      answer \"Say \\'hi\\'\"", L"      beep", L"    end leftClick", kClose},
     {{4, "warning", "block-escape",
       L"older Velmora expanded \"%t%\" in this line when the handler was installed, before "
       L"the line itself ran; the line now runs exactly as it would outside the block"},
      {5, "warning", "block-escape",
       L"older Velmora expanded \"\\'\" in this line when the handler was installed, before "
       L"the line itself ran; the line now runs exactly as it would outside the block"}}},
    {"LinesAfterQuit",
     {kOpen, L"  quit", L"  beep", L"  beep", kClose, L"on itemSelect", L"  case \"Bye\"",
      L"    exit", L"  case \"Other\"", L"    beep", L"end itemSelect"},
     {{3, "warning", "after-quit",
       L"this line still runs: 'quit' on line 2 only asks the program to close"}}},
    {"UnknownHandlerName",
     {kOpen, kClose, L"on middleClick", L"  beep", L"end middleClick"},
     {{3, "warning", "unknown-handler", L"Velmora knows no handler named 'middleClick'"}}},
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class CheckTable : public ::testing::TestWithParam<Case> {};

TEST_P(CheckTable, GivesExactlyTheExpectedDiagnostics) {
  const Case& c = GetParam();
  std::vector<std::string> expected;
  for (const Expected& e : c.expected) {
    expected.push_back(Describe(e.line, e.severity, e.code, e.message));
  }
  std::vector<std::string> found;
  for (const Diagnostic& d : CheckScript(Lines(c.script))) {
    found.push_back(
        Describe(d.line, d.severity == Severity::Error ? "error" : "warning", d.code, d.message));
  }
  EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(Traps, CheckTable, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Send, OnlyACompleteOpenScriptCountsAsTheScriptsOwn) {
  EXPECT_TRUE(HasOwnOpenScript(L"on openScript\r\nbeep\r\nend openScript"));
  // Velmora would run the openScript already in place for these.
  EXPECT_FALSE(HasOwnOpenScript(L"on click\r\nbeep\r\nend click"));
  EXPECT_FALSE(HasOwnOpenScript(L"on openScript\r\nbeep"));
}

TEST(CheckScript, CountsLinesAsWrittenWhateverTheLineEnds) {
  // Leading blank lines are trimmed away before blocks are searched, and a
  // lone LF or CR ends a line as CR LF does: lines as an editor numbers them.
  const std::vector<Diagnostic> found =
      CheckScript(ScriptText("\n  \r\n-- x\ron openScript\n  Fr\xe9"
                             "d\r\nend openScript\n"));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].line, 5);
  EXPECT_EQ(found[0].message, L"Can't understand 'fr\u00e9d'.");
}

class CheckCommand : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("velmoractl-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& text) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  int Run(std::vector<std::string> files, bool errorsOnly = false, bool json = false) {
    out_.str("");
    err_.str("");
    return RunCheck({errorsOnly, json, std::move(files)}, out_, err_);
  }

  std::filesystem::path folder_;
  std::ostringstream out_;
  std::ostringstream err_;
};

const std::string kWarningOnly = "on openScript\r\n  set polling 2000\r\nend openScript\r\n";
const std::string kWithError = "on openScript\nfrob\r\nend openScript\r\n";

TEST_F(CheckCommand, ExitsZeroWithWarningsOneWithErrorsTwoForAnUnreadableFile) {
  const std::string warned = Write("warned.scp", kWarningOnly);
  const std::string failing = Write("failing.scp", kWithError);
  EXPECT_EQ(Run({warned}), kCheckClean);
  EXPECT_EQ(out_.str(), warned +
                            ":2: warning: Can't understand 'set polling' command. It needs \"to\" "
                            "and a number. [polling-number]\n");
  EXPECT_EQ(Run({warned, failing}), kCheckErrors);
  EXPECT_EQ(Run({failing, (folder_ / "missing.scp").string()}), kCheckUnreadable);
  EXPECT_EQ(err_.str(), "velmoractl: cannot read " + (folder_ / "missing.scp").string() + "\n");
  EXPECT_EQ(out_.str(), failing + ":2: error: Can't understand 'frob'. [unknown-command]\n");
}

TEST_F(CheckCommand, QuietPrintsErrorsOnly) {
  const std::string warned = Write("warned.scp", kWarningOnly);
  const std::string failing = Write("failing.scp", kWithError);
  EXPECT_EQ(Run({warned, failing}, true), kCheckErrors);
  EXPECT_EQ(out_.str(), failing + ":2: error: Can't understand 'frob'. [unknown-command]\n");
}

TEST_F(CheckCommand, JsonIsOneArrayOfEveryFile) {
  const std::string warned = Write("warned.scp", kWarningOnly);
  const std::string failing = Write("f\xe9.scp", "on openScript\r\n  answer \"\xe9"
                                                 "\r\nend openScript");
  EXPECT_EQ(Run({warned, failing}, false, true), kCheckErrors);
  const std::string folder = folder_.string() + "/";
  EXPECT_EQ(out_.str(),
            "[\n  {\"file\": \"" + folder +
                "warned.scp\", \"line\": 2, \"severity\": \"warning\", \"code\": "
                "\"polling-number\", \"message\": \"Can't understand 'set polling' command. It "
                "needs \\\"to\\\" and a number.\"},\n  {\"file\": \"" +
                folder +
                "f\\u00e9.scp\", \"line\": 2, \"severity\": \"error\", \"code\": "
                "\"refused-command\", \"message\": \"Can't understand 'answer' command.\"}\n]\n");
  EXPECT_EQ(Run({warned}, true, true), kCheckClean);
  EXPECT_EQ(out_.str(), "[]\n");
}

} // namespace
} // namespace velmora::ctl
