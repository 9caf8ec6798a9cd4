// Code page conversions and the program's folder, for Windows and for the
// systems where velmoractl only checks scripts.
#include "ctl/encoding.hpp"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/ansi.hpp"
#endif

namespace velmora::ctl {

#ifdef _WIN32

std::wstring DecodeAnsi(std::string_view bytes) {
  return win32::FromAnsi(bytes);
}

std::string EncodeAnsi(std::wstring_view text) {
  return win32::ToAnsi(text);
}

std::wstring DecodeArgument(std::string_view argument) {
  return win32::FromAnsi(argument);
}

std::string EncodeConsole(std::wstring_view text) {
  return win32::ToAnsi(text);
}

std::filesystem::path PathFromArgument(const std::string& argument) {
  return std::filesystem::path(win32::FromAnsi(argument));
}

std::string DisplayPath(const std::filesystem::path& path) {
  return win32::ToAnsi(path.wstring());
}

std::filesystem::path ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return std::filesystem::path(path).parent_path();
}

#else

namespace {

// Windows-1252 at 0x80 to 0x9F; its other bytes are the code points of the
// same number. The five bytes it leaves unassigned keep their number too.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

} // namespace

std::wstring DecodeAnsi(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    text +=
        static_cast<wchar_t>(code >= 0x80 && code < 0xA0 ? kWindows1252High[code - 0x80] : code);
  }
  return text;
}

std::string EncodeAnsi(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t c : text) {
    char byte = '?';
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
      byte = static_cast<char>(c);
    } else {
      for (unsigned i = 0; i < 32; ++i) {
        if (kWindows1252High[i] == static_cast<char16_t>(c)) {
          byte = static_cast<char>(0x80 + i);
        }
      }
    }
    bytes += byte;
  }
  return bytes;
}

std::wstring DecodeArgument(std::string_view argument) {
  std::wstring text;
  for (std::size_t i = 0; i < argument.size();) {
    const auto lead = static_cast<unsigned char>(argument[i]);
    const int length = lead < 0x80       ? 1
                       : lead >> 5 == 6  ? 2
                       : lead >> 4 == 14 ? 3
                       : lead >> 3 == 30 ? 4
                                         : 0;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = length != 0 && i + static_cast<std::size_t>(length) <= argument.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(argument[i + static_cast<std::size_t>(k)]);
      valid = next >> 6 == 2;
      c = (c << 6) | (next & 0x3F);
    }
    // A byte that starts no valid sequence stands for itself.
    text += valid ? static_cast<wchar_t>(c) : static_cast<wchar_t>(lead);
    i += valid ? static_cast<std::size_t>(length) : 1;
  }
  return text;
}

std::string EncodeConsole(std::wstring_view text) {
  std::string out;
  for (const wchar_t c : text) {
    AppendUtf8(out, static_cast<char32_t>(c));
  }
  return out;
}

std::filesystem::path PathFromArgument(const std::string& argument) {
  return std::filesystem::path(argument);
}

std::string DisplayPath(const std::filesystem::path& path) {
  return path.string();
}

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path() : self.parent_path();
}

#endif

} // namespace velmora::ctl
