// Arguments, console output and the program's folder on Windows: the ANSI
// code page, as the program itself uses.
#include <windows.h>

#include "ctl/encoding.hpp"
#include "platform/ansi.hpp"

namespace velmora::ctl {

std::wstring DecodeArgument(std::string_view argument) {
  return FromAnsi(argument);
}

std::string EncodeConsole(std::wstring_view text) {
  return ToAnsi(text);
}

std::filesystem::path PathFromArgument(const std::string& argument) {
  return std::filesystem::path(FromAnsi(argument));
}

std::string DisplayPath(const std::filesystem::path& path) {
  return ToAnsi(path.wstring());
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

} // namespace velmora::ctl
