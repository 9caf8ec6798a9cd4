// Arguments, paths and the program's folder on Windows. Arguments are read
// from the wide command line, so that a message or a path in any script
// arrives whole whatever the ANSI code page.
#include <windows.h>

#include <shellapi.h>

#include "base/encoding.hpp"
#include "ctl/encoding.hpp"
#include "ctl/windows_path.hpp"
#include "platform/ansi.hpp"

namespace velmora::ctl {

namespace {

// UTF-8 both ways, by the same rules as a script's text.
std::string ToUtf8(std::wstring_view text) {
  return EncodeText(text, TextEncoding::Utf8);
}

std::wstring FromUtf8(std::string_view text) {
  return DecodeText(text, TextEncoding::Utf8);
}

} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    // Only when memory runs out: the C runtime's arguments, in the ANSI code page.
    for (int i = 0; i < argc; ++i) {
      arguments.push_back(ToUtf8(FromAnsi(argv[i])));
    }
    return arguments;
  }
  for (int i = 0; i < count; ++i) {
    arguments.push_back(ToUtf8(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

std::wstring DecodeArgument(std::string_view argument) {
  return FromUtf8(argument);
}

std::string EncodeConsole(std::wstring_view text) {
  return ToUtf8(text);
}

SystemPath PathFromArgument(const std::string& argument) {
  return DecodeArgument(argument);
}

std::string DisplayPath(const SystemPath& path) {
  return ToUtf8(path);
}

SystemPath ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return WindowsParentFolder(path);
}

} // namespace velmora::ctl
