// Items of a separated list: GetItem, CountItems, GetItemRange.
#include "base/text.hpp"

namespace velmora {

std::vector<std::wstring_view> SplitItems(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring_view> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    if (end == std::wstring_view::npos) {
      items.push_back(text.substr(start));
      return items;
    }
    items.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::wstring GetItem(std::wstring_view text, int n, wchar_t separator) {
  return std::wstring(ItemView(text, n, separator));
}

std::wstring_view ItemView(std::wstring_view text, int n, wchar_t separator) {
  if (n < 1) {
    return kAbsent;
  }
  std::size_t start = 0;
  for (int c = 1;; ++c) {
    const std::size_t end = text.find(separator, start);
    if (c == n) {
      return text.substr(start, end == std::wstring_view::npos ? end : end - start);
    }
    if (end == std::wstring_view::npos) {
      return kAbsent;
    }
    start = end + 1;
  }
}

int CountItems(std::wstring_view text, std::wstring_view separator) {
  const std::wstring_view sep = separator.empty() ? std::wstring_view(L",") : separator;
  int count = 1;
  for (std::size_t pos = text.find(sep); pos != std::wstring_view::npos;
       pos = text.find(sep, pos + 1)) {
    ++count;
  }
  return count;
}

std::wstring GetItemRange(std::wstring_view text, int first, int last, wchar_t separator) {
  std::wstring result;
  if (first > last) {
    return result;
  }
  const std::vector<std::wstring_view> items = SplitItems(text, separator);
  for (int i = first; i <= last; ++i) {
    if (i > first) {
      result += separator;
    }
    if (i >= 1 && static_cast<std::size_t>(i) <= items.size()) {
      result += items[static_cast<std::size_t>(i) - 1];
    } else {
      result += kAbsent;
    }
  }
  return result;
}

} // namespace velmora
