// Switch blocks: the result switch run by checkSwitch, and the menu's case sections picked by
// SelectCase.
#include "harness.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/switch.hpp"

namespace velmora::testing {
namespace {

// A switch block as a checkSwitch line written by hand, with escapes.
std::wstring CheckSwitchLine(std::wstring_view piped) {
  return L"checkSwitch \"" + EncodeEscapes(Piped(piped)) + L"\"";
}

TEST(CheckSwitch, RunsEverySectionWhoseValueEqualsTheResult) {
  const std::wstring line = CheckSwitchLine(
      LR"(switch result|case "Yes"|set tooltip "saved"|case "No"|set tooltip "no"|)"
      LR"(set tooltip "it\'s"|case "Yes"|set tooltip "again"|case ""|set tooltip "empty"|)"
      L"end switch");
  // Section lines are expanded once only: the quote escape reaches the command that takes the text.
  // Without a block nothing is selected, not even by the marker of a missing quoted text.
  const std::tuple<std::wstring, const wchar_t*, const wchar_t*> cases[] = {
      {line, L"Yes", L"tip saved; tip again; "},
      {line, L"No", L"tip no; tip it\"s; "},
      {line, L"yes", L""},
      {line, L"Maybe", L""},
      {line, L"", L"tip empty; "},
      {L"checkSwitch", L"QorError", L""},
      {L"CHECKSWITCH result", L"QorError", L""},
      {LR"(checkSwitch "")", L"QorError", L""}};
  for (const auto& [command, result, shown] : cases) {
    Harness h;
    h.app.LastResult = result;
    EXPECT_EQ(ExecuteCommand(h.app, command), CommandResult::Ok) << result;
    EXPECT_EQ(Shown(h), shown) << command << result;
  }
}

TEST(CheckSwitch, EveryLineRunsAndTheLastFailureIsReportedOnceAfter) {
  Harness h;
  h.app.LastResult = L"OK";
  const std::wstring line = CheckSwitchLine(
      LR"(switch result|case "OK"|foo|set tooltip "a"|CASE "Other"|set tooltip "b"|end switch)");
  EXPECT_EQ(RunHandler(h.app, Block(L"x", {line, LR"(set tooltip "after")"}), L"x", Mode::Optional),
            RunResult::Error);
  EXPECT_EQ(Joined(Tips(h.fake)), L"a|b");
  EXPECT_EQ(Joined(h.BoxTexts()), L"Can't understand 'foo'.|Can't understand 'case'.|"
                                  LR"(Error executing command: CASE "Other")");
  EXPECT_EQ(h.fake.boxes.back().caption, L"Parsing Error");
}

TEST(SelectCase, FindsTheSectionIgnoringCaseInTheCompactedBody) {
  const std::wstring body = Piped(LR"(set tooltip "pre"|case "Show log"|set  tooltip   "log"|)"
                                  LR"(CASE "Next"|nothing|case "x = y"|do x|case "a  b"|do ab)");
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      // An upper-case case line starts a section but does not end one.
      {L"show LOG", LR"(set tooltip "log"|CASE "Next"|nothing)"},
      {L"Next", L"nothing"},
      // The caption is compared as given with the compacted body.
      {L"x = y", L""},
      {L"x=y", L"do x"},
      {L"a  b", L""},
      {L"a b", L"do ab"},
      {L"pre", L""},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(SelectCase(body, value), Piped(expected)) << value;
  }
}

} // namespace
} // namespace velmora::testing
