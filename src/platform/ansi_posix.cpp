// ANSI code page conversions where there is no Windows to ask: Windows-1252.
#include "platform/ansi.hpp"

namespace velmora {

namespace {

// Windows-1252 at 0x80 to 0x9F; its other bytes are the code points of the
// same number. The five bytes it leaves unassigned keep their number too.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::wstring FromAnsi(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    text +=
        static_cast<wchar_t>(code >= 0x80 && code < 0xA0 ? kWindows1252High[code - 0x80] : code);
  }
  return text;
}

namespace {

// The byte of a character, none when Windows-1252 has no byte for it.
std::optional<char> AnsiByte(wchar_t c) {
  if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
    return static_cast<char>(c);
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (static_cast<wchar_t>(kWindows1252High[i]) == c) {
      return static_cast<char>(0x80 + i);
    }
  }
  return std::nullopt;
}

} // namespace

std::string ToAnsi(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t c : text) {
    bytes += AnsiByte(c).value_or('?');
  }
  return bytes;
}

std::optional<std::string> ToAnsiExact(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t c : text) {
    const std::optional<char> byte = AnsiByte(c);
    if (!byte) {
      return std::nullopt;
    }
    bytes += *byte;
  }
  return bytes;
}

} // namespace velmora
