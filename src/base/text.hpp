// The text routines that cut scripts into words, lines and lists. Indexes are
// 1-based; an item or line that does not exist is the text "-1".
#pragma once

#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline const std::wstring kAbsent = L"-1";
inline const std::wstring kCrLf = L"\r\n";

std::wstring GetItem(std::wstring_view text, int n, wchar_t separator = L',');
// The same, as a view into the text (or into kAbsent), for the hot paths
// that only look at the item.
std::wstring_view ItemView(std::wstring_view text, int n, wchar_t separator = L',');
int CountItems(std::wstring_view text, std::wstring_view separator = L",");
std::wstring GetItemRange(std::wstring_view text, int first, int last, wchar_t separator = L',');
// The whole list of items, cut at every separator (CountItems of them).
std::vector<std::wstring_view> SplitItems(std::wstring_view text, wchar_t separator);

std::wstring GetLine(std::wstring_view text, int n);
int CountLines(std::wstring_view text);
// Every line exactly as written, empty ones included, in one linear pass.
std::vector<std::wstring_view> SplitRawLines(std::wstring_view text);
// Where the next CR LF starts, at or after `from`.
inline std::size_t FindLineBreak(std::wstring_view text, std::size_t from) {
  for (std::size_t at = text.find(L'\r', from); at != std::wstring_view::npos;
       at = text.find(L'\r', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] == L'\n') {
      return at;
    }
  }
  return std::wstring_view::npos;
}
// Calls visit(number, line) for the lines SplitRawLines gives, in order, until
// visit returns false: the same walk without building the list, for long
// scripts.
template <typename Visit> void ForEachRawLine(std::wstring_view text, Visit visit) {
  std::size_t start = 0;
  for (int number = 1;; ++number) {
    const std::size_t end = FindLineBreak(text, start);
    const std::wstring_view line =
        text.substr(start, end == std::wstring_view::npos ? end : end - start);
    if (!visit(number, line) || end == std::wstring_view::npos) {
      return;
    }
    start = end + 2;
  }
}
// Every line as GetLine gives it (an empty line is "-1"), in one linear pass.
std::vector<std::wstring> SplitLines(std::wstring_view text);
int FindLineContaining(std::wstring_view needle, std::wstring_view text);
// Line ends of a script as editors write them (a bare LF or CR) become CR LF,
// the only line break the script language knows.
std::wstring NormalizeLineEnds(std::wstring_view text);

std::wstring TrimBlanks(std::wstring_view text, bool alsoQuotes = false);
std::wstring_view TrimmedView(std::wstring_view text, bool alsoQuotes = false);
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view find,
                        std::wstring_view replacement);

// Case mapping for the script language's case-insensitive comparisons.
std::wstring LowerCase(std::wstring_view text);
std::wstring UpperCase(std::wstring_view text);
// Whether LowerCase(text) is the given lower-case word, without building it.
bool LowerCaseEquals(std::wstring_view text, std::wstring_view lower);

// The mapping of one character, as LowerCase and UpperCase map each one.
// ASCII, nearly every character of a script, goes without the library call.
inline wchar_t LowerChar(wchar_t c) {
  if (c < 0x80) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
  }
  return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
}
inline wchar_t UpperChar(wchar_t c) {
  if (c < 0x80) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
  }
  return static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
}

} // namespace velmora
