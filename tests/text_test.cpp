// The text routines at their edges: these edges are the script language's.
#include <gtest/gtest.h>

#include "base/text.hpp"

namespace velmora {
namespace {

struct ItemCase {
  const wchar_t* text;
  int n;
  wchar_t separator;
  const wchar_t* expected;
};

TEST(GetItem, EdgesOfItems) {
  const ItemCase cases[] = {
      {L"", 1, L' ', L""},
      {L"", 2, L' ', L"-1"},
      {L"abc", 0, L' ', L"-1"},
      {L"a,,b", 2, L',', L""},
      {L"a,,b", 3, L',', L"b"},
      {L" a", 1, L' ', L""},
      {L"a ", 2, L' ', L""},
      {L"set  icon x", 2, L' ', L""},
      {L"set  icon x", 3, L' ', L"icon"},
      {L"set  icon x", 5, L' ', L"-1"},
      {L"a\\b\\c", 3, L'\\', L"c"},
      {L"x", -3, L',', L"-1"},
  };
  for (const ItemCase& c : cases) {
    EXPECT_EQ(GetItem(c.text, c.n, c.separator), c.expected) << c.text << " #" << c.n;
  }
}

TEST(CountItems, CountsSeparatorsPlusOne) {
  EXPECT_EQ(CountItems(L"a,,b"), 3);
  EXPECT_EQ(CountItems(L"", L" "), 1);
  EXPECT_EQ(CountItems(L"a,"), 2);
  // An empty separator counts commas.
  EXPECT_EQ(CountItems(L"x", L""), 1);
  EXPECT_EQ(CountItems(L"x,y", L""), 2);
}

TEST(GetItemRange, KeepsEmptyItemsAndMarksAbsentOnes) {
  EXPECT_EQ(GetItemRange(L"a b c d", 2, 4, L' '), L"b c d");
  EXPECT_EQ(GetItemRange(L"a b", 3, 2, L' '), L"");
  EXPECT_EQ(GetItemRange(L"a b", 1, 3, L' '), L"a b -1");
  EXPECT_EQ(GetItemRange(L"a  b c", 2, 3, L' '), L" b");
  EXPECT_EQ(GetItemRange(L"a  b c", 1, 4, L' '), L"a  b c");
}

TEST(Lines, OnlyCrLfBreaksALineAndEmptyLinesReadAsAbsent) {
  const struct {
    const wchar_t* text;
    std::vector<std::wstring> lines;
  } cases[] = {
      {L"a\r\n\r\nb", {L"a", L"-1", L"b"}},
      {L"a\r\n", {L"a", L"-1"}},
      {L"", {L"-1"}},
      {L"\r\nx\r\n\r\n y \r\n", {L"-1", L"x", L"-1", L" y ", L"-1"}},
      {L"a\nb", {L"a\nb"}},
      {L"a\rb\n", {L"a\rb\n"}},
      // "\r\r\n" is one CR inside a line, then the break.
      {L"a\r\r\nb", {L"a\r", L"b"}},
  };
  for (const auto& c : cases) {
    const int count = static_cast<int>(c.lines.size());
    EXPECT_EQ(CountLines(c.text), count) << c.text;
    EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
    for (int i = 0; i <= count + 1; ++i) {
      const bool inside = i >= 1 && i <= count;
      EXPECT_EQ(GetLine(c.text, i), inside ? c.lines[static_cast<std::size_t>(i) - 1] : L"-1")
          << c.text << " #" << i;
    }
  }
}

TEST(NormalizeLineEnds, EveryEditorLineEndBecomesCrLf) {
  EXPECT_EQ(NormalizeLineEnds(L"a\nb\rc\r\nd\n\re"), L"a\r\nb\r\nc\r\nd\r\n\r\ne");
}

TEST(FindLineContaining, IgnoresCaseAndTakesTheFirstLine) {
  EXPECT_EQ(FindLineContaining(L"ON CLICK", L"beep\r\non click"), 2);
  EXPECT_EQ(FindLineContaining(L"zz", L"a"), 0);
  // Containment: the longer name's line satisfies the shorter name's search.
  EXPECT_EQ(FindLineContaining(L"on click", L"on clickOneTime\r\non click"), 1);
  // An empty line is seen as "-1".
  EXPECT_EQ(FindLineContaining(L"-1", L"a\r\n\r\nb"), 2);
}

TEST(TrimBlanks, BlanksAndOptionallyQuotes) {
  EXPECT_EQ(TrimBlanks(L"\t x y \r\n"), L"x y");
  EXPECT_EQ(TrimBlanks(L" \"Name\" ", true), L"Name");
  EXPECT_EQ(TrimBlanks(L" \"Name\" "), L"\"Name\"");
  EXPECT_EQ(TrimBlanks(L" \t\r\n"), L"");
  EXPECT_EQ(TrimBlanks(L"a  b"), L"a  b");
}

TEST(ReplaceAll, LeftToRightWithoutRescan) {
  EXPECT_EQ(ReplaceAll(L"aaa", L"a", L"aa"), L"aaaaaa");
  EXPECT_EQ(ReplaceAll(L"x", L"y", L"z"), L"x");
  EXPECT_EQ(ReplaceAll(L"swap icon", L"swap icon", L"swap icons"), L"swap icons");
  EXPECT_EQ(ReplaceAll(L"aaaa", L"aa", L"a"), L"aa");
  EXPECT_EQ(ReplaceAll(L"a/b/c", L"/", L"\\"), L"a\\b\\c");
}

} // namespace
} // namespace velmora
