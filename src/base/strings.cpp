// Trimming, replacing and case mapping of texts.
#include "base/text.hpp"

namespace velmora {

namespace {

bool IsBlank(wchar_t c, bool alsoQuotes) {
  return c == L'\t' || c == L' ' || c == L'\r' || c == L'\n' || (alsoQuotes && c == L'"');
}

} // namespace

std::wstring TrimBlanks(std::wstring_view text, bool alsoQuotes) {
  return std::wstring(TrimmedView(text, alsoQuotes));
}

std::wstring_view TrimmedView(std::wstring_view text, bool alsoQuotes) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first], alsoQuotes)) {
    ++first;
  }
  while (last > first && IsBlank(text[last - 1], alsoQuotes)) {
    --last;
  }
  return text.substr(first, last - first);
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view find,
                        std::wstring_view replacement) {
  // Every caller passes a fixed, non-empty find text; an empty one would match
  // everywhere without end.
  if (find.empty()) {
    return std::wstring(text);
  }
  std::wstring result;
  result.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t pos = text.find(find); pos != std::wstring_view::npos;
       pos = text.find(find, start)) {
    result.append(text.substr(start, pos - start));
    result.append(replacement);
    start = pos + find.size();
  }
  result.append(text.substr(start));
  return result;
}

std::wstring LowerCase(std::wstring_view text) {
  std::wstring result(text);
  for (wchar_t& c : result) {
    c = LowerChar(c);
  }
  return result;
}

std::wstring UpperCase(std::wstring_view text) {
  std::wstring result(text);
  for (wchar_t& c : result) {
    c = UpperChar(c);
  }
  return result;
}

bool LowerCaseEquals(std::wstring_view text, std::wstring_view lower) {
  if (text.size() != lower.size()) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (LowerChar(text[i]) != lower[i]) {
      return false;
    }
  }
  return true;
}

} // namespace velmora
