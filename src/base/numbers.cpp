// Number words in script lines.
#include "base/numbers.hpp"

#include <cmath>
#include <string>
#include <vector>

#include "base/text.hpp"

namespace velmora {

std::optional<double> ParseNumber(std::wstring_view word) {
  const std::wstring text = TrimBlanks(word);
  std::size_t i = 0;
  const auto digits = [&text, &i] {
    const std::size_t start = i;
    // Only 0-9: Windows also counts full-width and other scripts' digits as
    // digits, which would then be read as a wrong value.
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
      ++i;
    }
    return i - start;
  };
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    ++i;
  }
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == L'.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) {
    return std::nullopt;
  }
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
    ++i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
      ++i;
    }
    if (digits() == 0) {
      return std::nullopt;
    }
  }
  if (i != text.size()) {
    return std::nullopt;
  }
  std::string ascii(text.begin(), text.end());
  const double value = std::strtod(ascii.c_str(), nullptr);
  if (!std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> NumberAfterKeyword(std::wstring_view line, std::wstring_view keyword,
                                         std::wstring_view otherKeyword) {
  const std::vector<std::wstring_view> words = SplitItems(line, L' ');
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    const bool isKeyword =
        words[i] == keyword || (!otherKeyword.empty() && words[i] == otherKeyword);
    if (!isKeyword || words[i + 1].empty()) {
      continue;
    }
    if (const std::optional<double> value = ParseNumber(words[i + 1])) {
      return value;
    }
  }
  return std::nullopt;
}

std::wstring DecimalText(unsigned long long value) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

} // namespace velmora
