// Lines of a text broken by CR LF: GetLine, CountLines, FindLineContaining,
// and the normalising of other line ends to CR LF. Inside a script a lone CR
// or LF is an ordinary character; an empty line reads as "-1".
#include "base/text.hpp"

namespace velmora {

std::wstring GetLine(std::wstring_view text, int n) {
  std::wstring result = kAbsent;
  if (n < 1) {
    return result;
  }
  ForEachRawLine(text, [&](int number, std::wstring_view line) {
    if (number != n) {
      return true;
    }
    if (!line.empty()) {
      result = line;
    }
    return false;
  });
  return result;
}

int CountLines(std::wstring_view text) {
  int count = 1;
  for (std::size_t pos = text.find(kCrLf); pos != std::wstring_view::npos;
       pos = text.find(kCrLf, pos + 2)) {
    ++count;
  }
  return count;
}

std::vector<std::wstring_view> SplitRawLines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  ForEachRawLine(text, [&](int, std::wstring_view line) {
    lines.push_back(line);
    return true;
  });
  return lines;
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  ForEachRawLine(text, [&](int, std::wstring_view line) {
    lines.emplace_back(line.empty() ? std::wstring_view(kAbsent) : line);
    return true;
  });
  return lines;
}

int FindLineContaining(std::wstring_view needle, std::wstring_view text) {
  const std::wstring upperNeedle = UpperCase(needle);
  const std::wstring upperText = UpperCase(text);
  int found = 0;
  ForEachRawLine(upperText, [&](int number, std::wstring_view line) {
    const std::wstring_view seen = line.empty() ? std::wstring_view(kAbsent) : line;
    if (seen.find(upperNeedle) != std::wstring_view::npos) {
      found = number;
      return false;
    }
    return true;
  });
  return found;
}

std::wstring NormalizeLineEnds(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r') {
      out += kCrLf;
      if (i + 1 < text.size() && text[i + 1] == L'\n') {
        ++i;
      }
    } else if (c == L'\n') {
      out += kCrLf;
    } else {
      out += c;
    }
  }
  return out;
}

} // namespace velmora
