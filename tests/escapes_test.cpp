// Quoted arguments of a command line, and the escapes and placeholders that carry line breaks,
// quotes, the date and the time inside them.
#include "harness.hpp"
#include "interpreter/escapes.hpp"

namespace velmora::testing {
namespace {

TEST(QuotedText, FirstPairOfQuotesAndWhatFollowsIt) {
  // The line, its quoted text and the text after the quotes.
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
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
  for (const auto& [line, quoted, after] : cases) {
    EXPECT_EQ(GetQuotedText(line), quoted) << line;
    EXPECT_EQ(GetTextAfterQuotes(line), after) << line;
  }
}

TEST(ExpandEscapes, EscapesAndPlaceholders) {
  // The text, whether the quote escape \' is kept, and the expansion. The date and time texts hold
  // escapes of their own, which stay as they are.
  const std::tuple<const wchar_t*, bool, const wchar_t*> cases[] = {
      {L"a\\nb", false, L"a\r\nb"},
      {L"He said \\'hi\\'", false, L"He said \"hi\""},
      {L"He said \\'hi\\'", true, L"He said \\'hi\\'"},
      {L"\\^x\\^", true, L"\"x\""},
      {L"\\^x\\^", false, L"\"x\""},
      {L"on %d% at %t%", false, L"on 7\\n12\\^ at 9\\'41"},
      {L"%d %D% %T% d%", false, L"%d %D% %T% d%"},
      // There is no escape for a backslash: a path with \n in it breaks.
      {L"C:\\new\\file", false, L"C:\r\new\\file"},
      {L"\\t \\\\ \\x", false, L"\\t \\\\ \\x"},
  };
  Harness h;
  h.fake.dateText = L"7\\n12\\^";
  h.fake.timeText = L"9\\'41";
  for (const auto& [text, keepQuoteEscape, expected] : cases) {
    EXPECT_EQ(ExpandEscapes(h.app, text, keepQuoteEscape), expected) << text;
  }
}

TEST(EncodeEscapes, LeavesNoLineBreakOrQuoteAndExpandGivesTheTextBack) {
  EXPECT_EQ(EncodeEscapes(L"on x\r\nset tooltip \"a\"\r\nend x"),
            L"on x\\nset tooltip \\^a\\^\\nend x");
  // Only CR LF is a line break; the quote escape of the script stays.
  EXPECT_EQ(EncodeEscapes(L"a\nb\rc \\'d\\'"), L"a\nb\rc \\'d\\'");
  Harness h;
  for (const wchar_t* text :
       {L"", L"plain", L"\"\"\r\n\r\n\"", L"100% sure\\",
        L"switch result\r\ncase \"Yes\"\r\nset tooltip \"a, b\"\r\nend switch"}) {
    EXPECT_EQ(ExpandEscapes(h.app, EncodeEscapes(text), false), text) << text;
  }
}

} // namespace
} // namespace velmora::testing
