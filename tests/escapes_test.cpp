// Quoted arguments of a command line, and the escapes and placeholders that
// carry line breaks, quotes, the date and the time inside them.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "interpreter/escapes.hpp"

namespace velmora::testing {
namespace {

struct QuoteCase {
  const wchar_t* line;
  const wchar_t* quoted;
  const wchar_t* after;
};

TEST(QuotedText, FirstPairOfQuotesAndWhatFollowsIt) {
  const QuoteCase cases[] = {
      {L"answer \"Hello\" with \"OK\"", L"Hello", L"with \"OK\""},
      {L"say \"  padded\t \"", L"padded", L""},
      // The empty pair is a valid, empty argument.
      {L"set tooltip \"\" x", L"", L"x"},
      // Without a pair the argument is missing and the rest is the whole line.
      {L"  say \"oops  ", L"QorError", L"say \"oops"},
      {L"beep twice ", L"QorError", L"beep twice"},
      // A quoted text that reads QorError cannot be told from a missing one.
      {L"say \"QorError\"", L"QorError", L""},
  };
  for (const QuoteCase& c : cases) {
    EXPECT_EQ(GetQuotedText(c.line), c.quoted) << c.line;
    EXPECT_EQ(GetTextAfterQuotes(c.line), c.after) << c.line;
  }
}

struct ExpandCase {
  const wchar_t* text;
  bool keepQuoteEscape;
  const wchar_t* expected;
};

TEST(ExpandEscapes, EscapesAndPlaceholders) {
  const ExpandCase cases[] = {
      {L"a\\nb", false, L"a\r\nb"},
      {L"He said \\'hi\\'", false, L"He said \"hi\""},
      {L"He said \\'hi\\'", true, L"He said \\'hi\\'"},
      {L"\\^x\\^", true, L"\"x\""},
      {L"\\^x\\^", false, L"\"x\""},
      {L"on %d% at %t%", false, L"on 12/7/2026 at 9:41:07 AM"},
      {L"%d %D% %T% d%", false, L"%d %D% %T% d%"},
      // There is no escape for a backslash: a path with \n in it breaks.
      {L"C:\\new\\file", false, L"C:\r\new\\file"},
      {L"\\t \\\\ \\x", false, L"\\t \\\\ \\x"},
  };
  Harness h;
  for (const ExpandCase& c : cases) {
    EXPECT_EQ(ExpandEscapes(h.app, c.text, c.keepQuoteEscape), c.expected) << c.text;
  }
}

TEST(ExpandEscapes, PlaceholderTextsAreNotEscaped) {
  Harness h;
  h.fake.dateText = L"7\\n12\\^";
  h.fake.timeText = L"9\\'41";
  EXPECT_EQ(ExpandEscapes(h.app, L"%d% %t%", false), L"7\\n12\\^ 9\\'41");
}

TEST(EncodeEscapes, LeavesNoLineBreakOrQuote) {
  EXPECT_EQ(EncodeEscapes(L"on x\r\nset tooltip \"a\"\r\nend x"),
            L"on x\\nset tooltip \\^a\\^\\nend x");
  // Only CR LF is a line break; the quote escape of the script stays.
  EXPECT_EQ(EncodeEscapes(L"a\nb\rc \\'d\\'"), L"a\nb\rc \\'d\\'");
}

TEST(EncodeEscapes, ExpandGivesTheTextBack) {
  Harness h;
  const wchar_t* texts[] = {
      L"",
      L"plain",
      L"switch result\r\ncase \"Yes\"\r\nset tooltip \"a, b\"\r\nend switch",
      L"\"\"\r\n\r\n\"",
      L"100% sure\\",
  };
  for (const wchar_t* text : texts) {
    EXPECT_EQ(ExpandEscapes(h.app, EncodeEscapes(text), false), text) << text;
  }
}

} // namespace
} // namespace velmora::testing
