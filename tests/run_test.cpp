// Handler runs and the command executor: results, bodies, word case rules, no-ops and set subjects.
#include "harness.hpp"

namespace velmora::testing {
namespace {

TEST(RunHandler, ResultsAndTheLinesThatRan) {
  // The one failing line of these is "Frobnicate 1"; its report is the only box.
  const std::tuple<const wchar_t*, RunResult, const wchar_t*> cases[] = {
      {L"", RunResult::NotFound, L""},
      {L"on x|END X", RunResult::NotFound, L""},
      // A longer name that begins with the name is taken for it; one that merely ends with it is
      // not.
      {LR"(on xOneTime|set tooltip "a"|end xOneTime)", RunResult::Ok, L"a"},
      {LR"(on leftx|set tooltip "a"|end leftx)", RunResult::NotFound, L""},
      {LR"(on x|set tooltip "a"|-- note||do nothing|set tooltip "b"|end x)", RunResult::Ok, L"a|b"},
      {LR"(on x|set tooltip "a"|Frobnicate 1|set tooltip "b"|end x)", RunResult::Error, L"a"},
      {LR"(on x|set tooltip "a")", RunResult::Incomplete, L""},
  };
  for (const auto& [slot, result, tips] : cases) {
    Harness h;
    EXPECT_EQ(RunHandler(h.app, Piped(slot), L"x", Mode::Optional), result) << slot;
    EXPECT_EQ(Joined(Tips(h.fake)), tips) << slot;
    EXPECT_EQ(Joined(h.BoxTexts()),
              result == RunResult::Error ? L"Can't understand 'frobnicate'." : L"")
        << slot;
  }
}

TEST(RunHandler, EachLineIsReadAfreshWhateverTheLineBeforeHeld) {
  // The lines of a run share one command line's storage: a short line must
  // not see the words of the longer line before it.
  Harness h;
  EXPECT_EQ(RunHandler(h.app, Piped(L"on x|stop flash|stop|end x"), L"x", Mode::Optional),
            RunResult::Error);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'stop' command."});
}

TEST(HandlerBody, DropsOpeningAndClosingLinesWhateverTheirCase) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"On LeftClick|  a  |END leftclick", L"a"},
      {L"on x|a||b|end x", L"a|b"},
      // The lines of another block inside are dropped, and after it the outer closing line is kept,
      // as is a stray one.
      {L"on x|on y|a|end y|end z|end x", L"a|end z|end x"},
      {L"on x|end x", L""},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(HandlerBody(Piped(text)), Piped(expected)) << text;
  }
}

TEST(ExecuteCommand, NoOpsCommentsAndSetSubjects) {
  // set takes its subject from the second word, or the third after "the".
  for (const wchar_t* line :
       {LR"(set tooltip "a")", LR"(SET THE TOOLTIP "a")", LR"(Set ToolTip "a")"}) {
    ExpectLine(line, L"a", L"");
  }
  // Unknown set subjects, and none at all, do nothing. Outside a script nothing compacts the line:
  // the subject of "set  tooltip" is empty.
  for (const wchar_t* line :
       {L"do nothing", L"Do Nothing", L"DO something else", L"do", L"nothing", L"NOTHING at all",
        L"-- note", L"  # note", L"--", LR"(#set tooltip "x")", LR"(set colour "red")",
        LR"(set the colour of tooltip "x")", L"set", L"set the", LR"(set  tooltip "a")"}) {
    ExpectLine(line, L"", L"");
  }
}

// Rows read "line|word reported"; words are cut at single blanks only.
TEST(ExecuteCommand, UnrecognisedFirstWordIsReportedLowerCased) {
  for (const std::wstring row :
       {L"Frobnicate 1|frobnicate", L"  FOO|foo", L"switch result|switch", L"end switch|end",
        LR"(case "Yes"|case)", L"do\tnothing|do\tnothing"}) {
    const std::size_t bar = row.find(L'|');
    ExpectLine(row.substr(0, bar).c_str(), L"",
               (L"Can't understand '" + row.substr(bar + 1) + L"'.").c_str());
  }
}

} // namespace
} // namespace velmora::testing
