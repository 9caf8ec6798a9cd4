// ANSI code page conversions through Windows.
#include <windows.h>

#include "platform/ansi.hpp"

namespace velmora {

std::string ToAnsi(std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  const int length = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::wstring FromAnsi(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int length = static_cast<int>(text.size());
  const int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(chars), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), chars);
  return out;
}

} // namespace velmora
