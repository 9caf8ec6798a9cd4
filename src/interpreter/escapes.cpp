// Quoted arguments, escapes and placeholders.
#include "interpreter/escapes.hpp"

#include "base/text.hpp"

namespace velmora {

namespace {

struct QuotePair {
  std::size_t first = std::wstring_view::npos;
  std::size_t second = std::wstring_view::npos;
  bool found() const { return second != std::wstring_view::npos; }
};

QuotePair FindQuotes(std::wstring_view line) {
  QuotePair quotes;
  quotes.first = line.find(L'"');
  if (quotes.first != std::wstring_view::npos) {
    quotes.second = line.find(L'"', quotes.first + 1);
  }
  return quotes;
}

} // namespace

std::wstring GetQuotedText(std::wstring_view line) {
  const QuotePair quotes = FindQuotes(line);
  if (!quotes.found()) {
    return kNoQuote;
  }
  return TrimBlanks(line.substr(quotes.first + 1, quotes.second - quotes.first - 1));
}

std::wstring GetTextAfterQuotes(std::wstring_view line) {
  const QuotePair quotes = FindQuotes(line);
  return TrimBlanks(quotes.found() ? line.substr(quotes.second + 1) : line);
}

std::wstring ExpandEscapes(App& app, std::wstring_view text, bool keepQuoteEscape) {
  std::wstring result = ReplaceAll(text, L"\\n", kCrLf);
  if (!keepQuoteEscape) {
    result = ReplaceAll(result, L"\\'", L"\"");
  }
  result = ReplaceAll(result, L"\\^", L"\"");
  // The placeholders go in last, so a date or time text is never taken for an
  // escape. Each is read only when the text asks for it.
  if (result.find(L"%d%") != std::wstring::npos) {
    result = ReplaceAll(result, L"%d%", app.platform.ShortDateText());
  }
  if (result.find(L"%t%") != std::wstring::npos) {
    result = ReplaceAll(result, L"%t%", app.platform.LongTimeText());
  }
  return result;
}

std::wstring EncodeEscapes(std::wstring_view text) {
  return ReplaceAll(ReplaceAll(text, kCrLf, L"\\n"), L"\"", L"\\^");
}

namespace {
// What stands for a line break and for a double quote in a folded block.
const std::wstring kFoldedLineBreak = L"\nn";
const std::wstring kFoldedQuote = L"\nq";
} // namespace

// A script line never holds a lone LF (every line end is made CR LF when a
// script is read), so a folded block writes its line breaks and double
// quotes as a lone LF and a letter: nothing a script can write by hand looks
// like that, and no escape of the lines is touched. The first and last lines
// of a block are its "on", "end", "switch result" or "end switch" lines, so
// the quoted text neither begins nor ends with an LF.
std::wstring FoldBlock(std::wstring_view lines) {
  return ReplaceAll(ReplaceAll(lines, kCrLf, kFoldedLineBreak), L"\"", kFoldedQuote);
}

std::optional<std::wstring> UnfoldBlock(std::wstring_view quoted) {
  if (quoted.find(L'\n') == std::wstring_view::npos) {
    return std::nullopt;
  }
  return ReplaceAll(ReplaceAll(quoted, kFoldedQuote, L"\""), kFoldedLineBreak, kCrLf);
}

} // namespace velmora
