// The text routines at their edges: these edges are the script language's.
#include <gtest/gtest.h>
#include <tuple>

#include "base/text.hpp"

namespace velmora {
namespace {

TEST(Items, EdgesOfItemsCountsAndRanges) {
  // Text, item number, separator and the item; "-1" marks an absent one.
  const std::tuple<const wchar_t*, int, wchar_t, const wchar_t*> items[] = {
      {L"", 1, L' ', L""},     {L"", 2, L' ', L"-1"},        {L"set  icon x", 2, L' ', L""},
      {L"a,,b", 2, L',', L""}, {L"a,,b", 3, L',', L"b"},     {L"set  icon x", 3, L' ', L"icon"},
      {L"a ", 2, L' ', L""},   {L"a\\b\\c", 3, L'\\', L"c"}, {L"set  icon x", 5, L' ', L"-1"},
      {L"x", -3, L',', L"-1"}, {L" a", 1, L' ', L""},        {L"abc", 0, L' ', L"-1"}};
  for (const auto& [text, n, separator, item] : items) {
    EXPECT_EQ(GetItem(text, n, separator), item) << text << " #" << n;
  }
  EXPECT_EQ(CountItems(L"a,,b"), 3);
  EXPECT_EQ(CountItems(L"", L" "), 1);
  EXPECT_EQ(CountItems(L"a,"), 2);
  EXPECT_EQ(CountItems(L"x", L""), 1); // an empty separator counts commas
  EXPECT_EQ(CountItems(L"x,y", L""), 2);
  // Ranges keep empty items and mark absent ones.
  EXPECT_EQ(GetItemRange(L"a b c d", 2, 4, L' '), L"b c d");
  EXPECT_EQ(GetItemRange(L"a b", 3, 2, L' '), L"");
  EXPECT_EQ(GetItemRange(L"a b", 1, 3, L' '), L"a b -1");
  EXPECT_EQ(GetItemRange(L"a  b c", 2, 3, L' '), L" b");
  EXPECT_EQ(GetItemRange(L"a  b c", 1, 4, L' '), L"a  b c");
}

TEST(Lines, OnlyCrLfBreaksALineEmptyLinesReadAsAbsentAndSearchesIgnoreCase) {
  // "\r\r\n" is one CR inside a line, then the break.
  const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
      {L"a\r\n\r\nb", {L"a", L"-1", L"b"}},
      {L"\r\nx\r\n\r\n y \r\n", {L"-1", L"x", L"-1", L" y ", L"-1"}},
      {L"a\r\n", {L"a", L"-1"}},
      {L"a\r\r\nb", {L"a\r", L"b"}},
      {L"", {L"-1"}},
      {L"a\nb", {L"a\nb"}},
      {L"a\rb\n", {L"a\rb\n"}}};
  for (const auto& [text, lines] : cases) {
    const int count = static_cast<int>(lines.size());
    EXPECT_EQ(CountLines(text), count) << text;
    EXPECT_EQ(SplitLines(text), lines) << text;
    for (int i = 0; i <= count + 1; ++i) {
      EXPECT_EQ(GetLine(text, i), i >= 1 && i <= count ? lines[i - 1] : L"-1") << text << " #" << i;
    }
  }
  // Every editor line end becomes CR LF.
  EXPECT_EQ(NormalizeLineEnds(L"a\nb\rc\r\nd\n\re"), L"a\r\nb\r\nc\r\nd\r\n\r\ne");
  // A search ignores case and takes the first line.
  EXPECT_EQ(FindLineContaining(L"ON CLICK", L"beep\r\non click"), 2);
  EXPECT_EQ(FindLineContaining(L"zz", L"a"), 0);
  // Containment: the longer name's line satisfies the shorter name's search.
  EXPECT_EQ(FindLineContaining(L"on click", L"on clickOneTime\r\non click"), 1);
  EXPECT_EQ(FindLineContaining(L"-1", L"a\r\n\r\nb"), 2); // an empty line is seen as "-1"
}

TEST(TrimAndReplace, BlanksOptionallyQuotesAndLeftToRightWithoutRescan) {
  EXPECT_EQ(TrimBlanks(L"\t x y \r\n"), L"x y");
  EXPECT_EQ(TrimBlanks(L" \"Name\" ", true), L"Name");
  EXPECT_EQ(TrimBlanks(L" \"Name\" "), L"\"Name\"");
  EXPECT_EQ(TrimBlanks(L" \t\r\n"), L"");
  EXPECT_EQ(TrimBlanks(L"a  b"), L"a  b");
  EXPECT_EQ(ReplaceAll(L"aaa", L"a", L"aa"), L"aaaaaa");
  EXPECT_EQ(ReplaceAll(L"x", L"y", L"z"), L"x");
  EXPECT_EQ(ReplaceAll(L"swap icon", L"swap icon", L"swap icons"), L"swap icons");
  EXPECT_EQ(ReplaceAll(L"aaaa", L"aa", L"a"), L"aa");
  EXPECT_EQ(ReplaceAll(L"a/b/c", L"/", L"\\"), L"a\\b\\c");
}

} // namespace
} // namespace velmora
