// Handler runs and the command executor: results, bodies, word case rules,
// no-ops, quitting and set subjects.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/run.hpp"
#include "script_trace.hpp"

namespace velmora::testing {
namespace {

struct RunCase {
  std::wstring slot;
  RunResult result;
  Texts tips;
  Texts boxes;
};

TEST(RunHandler, ResultsAndTheLinesThatRan) {
  const RunCase cases[] = {
      {L"", RunResult::NotFound, {}, {}},
      {Script({L"on x", L"END X"}), RunResult::NotFound, {}, {}},
      // A longer name that begins with the name is taken for it; one that
      // merely ends with it is not.
      {Script({L"on xOneTime", L"set tooltip \"a\"", L"end xOneTime"}), RunResult::Ok, {L"a"}, {}},
      {Script({L"on leftx", L"set tooltip \"a\"", L"end leftx"}), RunResult::NotFound, {}, {}},
      {Script({L"on x", L"set tooltip \"a\"", L"-- note", L"", L"do nothing", L"set tooltip \"b\"",
               L"end x"}),
       RunResult::Ok,
       {L"a", L"b"},
       {}},
      {Script({L"on x", L"set tooltip \"a\"", L"Frobnicate 1", L"set tooltip \"b\"", L"end x"}),
       RunResult::Error,
       {L"a"},
       {L"Can't understand 'frobnicate'."}},
      // A malformed block runs none of its lines, not even those before the fault.
      {Script({L"on x", L"set tooltip \"a\"", L"install:", L"on leftClick", L"end rightClick",
               L"end x"}),
       RunResult::Incomplete,
       {},
       {}},
      {Script({L"on x", L"set tooltip \"a\""}), RunResult::Incomplete, {}, {}},
      // A comment naming the opening line pulls the blocks after it into the run.
      {Script({L"-- runs on x", L"on other", L"set tooltip \"other\"", L"end other", L"on x",
               L"set tooltip \"x\"", L"end x"}),
       RunResult::Ok,
       {L"other", L"x"},
       {}},
  };
  for (const RunCase& c : cases) {
    Harness h;
    EXPECT_EQ(RunHandler(h.app, c.slot, L"x", Mode::Optional), c.result) << c.slot;
    EXPECT_EQ(Tips(h.fake), c.tips) << c.slot;
    EXPECT_EQ(h.BoxTexts(), c.boxes) << c.slot;
  }
}

TEST(HandlerBody, DropsOpeningAndClosingLinesWhateverTheirCase) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {Script({L"", L"On LeftClick", L"  a  ", L"END leftclick"}), L"a"},
      {Script({L"on x", L"a", L"", L"b", L"end x"}), Script({L"a", L"b"})},
      // The lines of another block inside are dropped, and after it the outer
      // closing line is kept, as is a stray one.
      {Script({L"on x", L"on y", L"a", L"end y", L"end z", L"end x"}),
       Script({L"a", L"end z", L"end x"})},
      {Script({L"on x", L"end x"}), L""},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(HandlerBody(text), expected) << text;
  }
}

TEST(ExecuteCommand, NoOpsAndCommentsGiveOk) {
  const wchar_t* lines[] = {
      L"do nothing",     L"Do Nothing", L"DO something else", L"do", L"nothing",
      L"NOTHING at all", L"-- note",    L"  # note",          L"--", L"#set tooltip \"x\"",
  };
  for (const wchar_t* line : lines) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_TRUE(h.fake.boxes.empty()) << line;
    EXPECT_TRUE(h.fake.trayCalls.empty()) << line;
  }
}

TEST(ExecuteCommand, UnrecognisedFirstWordIsReportedLowerCased) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"Frobnicate 1", L"Can't understand 'frobnicate'."},
      {L"  FOO", L"Can't understand 'foo'."},
      {L"switch result", L"Can't understand 'switch'."},
      {L"end switch", L"Can't understand 'end'."},
      {L"case \"Yes\"", L"Can't understand 'case'."},
      // Words are cut at single blanks only.
      {L"do\tnothing", L"Can't understand 'do\tnothing'."},
  };
  for (const auto& [line, message] : cases) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    ASSERT_EQ(h.fake.boxes.size(), 1u) << line;
    EXPECT_EQ(h.fake.boxes[0].text, message);
    EXPECT_EQ(h.fake.boxes[0].caption, L"Parsing Error");
    EXPECT_EQ(h.fake.boxes[0].style, kBoxIconError);
  }
}

TEST(ExecuteCommand, SetTakesItsSubjectFromTheSecondOrThirdWord) {
  const std::pair<const wchar_t*, Texts> cases[] = {
      {L"set tooltip \"a\"", {L"a"}},
      {L"SET THE TOOLTIP \"a\"", {L"a"}},
      {L"Set ToolTip \"a\"", {L"a"}},
      // Unknown subjects, and none at all, do nothing.
      {L"set colour \"red\"", {}},
      {L"set the colour of tooltip \"x\"", {}},
      {L"set", {}},
      {L"set the", {}},
      // Outside a script nothing compacts the line: the subject is empty.
      {L"set  tooltip \"a\"", {}},
  };
  for (const auto& [line, tips] : cases) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_EQ(Tips(h.fake), tips) << line;
    EXPECT_TRUE(h.fake.boxes.empty()) << line;
  }
}

TEST(ExecuteCommand, QuitStartsTheExitAndLaterLinesStillRun) {
  const wchar_t* words[] = {L"quit", L"Exit now"};
  for (const wchar_t* word : words) {
    Harness h;
    StartAllTimers(h.fake);
    const std::wstring slot = Script({L"on x", word, L"set tooltip \"after\"", L"end x"});
    EXPECT_EQ(RunHandler(h.app, slot, L"x", Mode::Optional), RunResult::Ok) << word;
    EXPECT_EQ(Tips(h.fake), Texts{L"after"});
    ExpectShutDownStarted(h.fake);
  }
}

} // namespace
} // namespace velmora::testing
