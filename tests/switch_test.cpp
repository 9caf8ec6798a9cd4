// Switch blocks: the result switch run by checkSwitch, and the menu's case
// sections picked by SelectCase.
#include "harness.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/switch.hpp"

namespace velmora::testing {
namespace {

// A switch block as a checkSwitch line written by hand, with escapes.
std::wstring CheckSwitchLine(std::initializer_list<const wchar_t*> lines) {
  return L"checkSwitch \"" + EncodeEscapes(Script(lines)) + L"\"";
}

TEST(CheckSwitch, RunsEverySectionWhoseValueEqualsTheResult) {
  const std::wstring line = CheckSwitchLine(
      {L"switch result", L"case \"Yes\"", L"set tooltip \"saved\"", L"case \"No\"",
       L"set tooltip \"no\"", L"set tooltip \"it\\'s\"", L"case \"Yes\"", L"set tooltip \"again\"",
       L"case \"\"", L"set tooltip \"empty\"", L"end switch"});
  const std::pair<const wchar_t*, Texts> cases[] = {
      {L"Yes", {L"saved", L"again"}},
      // Section lines are expanded once only: the quote escape reaches the
      // command that takes the text.
      {L"No", {L"no", L"it\"s"}},
      {L"yes", {}},
      {L"Maybe", {}},
      {L"", {L"empty"}},
  };
  for (const auto& [result, tips] : cases) {
    Harness h;
    h.app.LastResult = result;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << result;
    EXPECT_EQ(Tips(h.fake), tips) << result;
    EXPECT_TRUE(h.fake.boxes.empty()) << result;
  }
  // Without a block nothing is selected, not even by the marker of a
  // missing quoted text.
  for (const wchar_t* empty : {L"checkSwitch", L"CHECKSWITCH result", LR"(checkSwitch "")"}) {
    Harness h;
    h.app.LastResult = L"QorError";
    EXPECT_EQ(ExecuteCommand(h.app, empty), CommandResult::Ok) << empty;
    EXPECT_TRUE(h.fake.boxes.empty()) << empty;
  }
}

TEST(CheckSwitch, EveryLineRunsAndTheLastFailureIsReportedOnceAfter) {
  Harness h;
  h.app.LastResult = L"OK";
  const std::wstring line =
      CheckSwitchLine({L"switch result", L"case \"OK\"", L"foo", L"set tooltip \"a\"",
                       L"CASE \"Other\"", L"set tooltip \"b\"", L"end switch"});
  EXPECT_EQ(RunHandler(h.app, Block(L"x", {line, L"set tooltip \"after\""}), L"x", Mode::Optional),
            RunResult::Error);
  EXPECT_EQ(Tips(h.fake), (Texts{L"a", L"b"}));
  EXPECT_EQ(h.BoxTexts(), (Texts{L"Can't understand 'foo'.", L"Can't understand 'case'.",
                                 L"Error executing command: CASE \"Other\""}));
  EXPECT_EQ(h.fake.boxes.back().caption, L"Parsing Error");
}

TEST(SelectCase, FindsTheSectionIgnoringCaseInTheCompactedBody) {
  const std::wstring body = Script({L"set tooltip \"pre\"", L"case \"Show log\"",
                                    L"set  tooltip   \"log\"", L"CASE \"Next\"", L"nothing",
                                    L"case \"x = y\"", L"do x", L"case \"a  b\"", L"do ab"});
  const std::pair<const wchar_t*, std::wstring> cases[] = {
      // An upper-case case line starts a section but does not end one.
      {L"show LOG", Script({L"set tooltip \"log\"", L"CASE \"Next\"", L"nothing"})},
      {L"Next", L"nothing"},
      // The caption is compared as given with the compacted body.
      {L"x = y", L""},
      {L"x=y", L"do x"},
      {L"a  b", L""},
      {L"a b", L"do ab"},
      {L"pre", L""},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(SelectCase(body, value), expected) << value;
  }
}

} // namespace
} // namespace velmora::testing
