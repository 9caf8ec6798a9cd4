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

std::optional<std::string> ToAnsiExact(std::wstring_view text) {
  if (text.empty()) {
    return std::string();
  }
  const int length = static_cast<int>(text.size());
  // With UTF-8 as the system's ANSI code page every character fits, and
  // Windows refuses the default-character flag for it: a lone surrogate is
  // then the one thing that does not fit.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* const usedDefaultFlag = utf8 ? nullptr : &usedDefault;
  const int bytes =
      WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultFlag);
  if (bytes <= 0 || usedDefault) {
    return std::nullopt;
  }
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), length, out.data(), bytes, nullptr,
                      usedDefaultFlag);
  // No best-fit look-alikes, no default character: the bytes read back as
  // the text itself, which is checked all the same.
  if (usedDefault || FromAnsi(out) != text) {
    return std::nullopt;
  }
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
