// The text routines that cut scripts into words, lines and lists. Indexes are
// 1-based; an item or line that does not exist is the text "-1".
#pragma once

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

} // namespace velmora
