// Arguments, console output and the program's folder on the systems where
// velmoractl only checks scripts: UTF-8 throughout.
#include <filesystem>

#include "base/encoding.hpp"
#include "ctl/encoding.hpp"

namespace velmora::ctl {

std::wstring DecodeArgument(std::string_view argument) {
  std::wstring text;
  for (std::size_t at = 0; at < argument.size();) {
    const std::size_t length = Utf8SequenceLength(argument, at);
    // A byte that starts no valid sequence stands for itself.
    text += length == 0
                ? std::wstring(1, static_cast<wchar_t>(static_cast<unsigned char>(argument[at])))
                : DecodeText(argument.substr(at, length), TextEncoding::Utf8);
    at += length == 0 ? 1 : length;
  }
  return text;
}

std::string EncodeConsole(std::wstring_view text) {
  return EncodeText(text, TextEncoding::Utf8);
}

SystemPath PathFromArgument(const std::string& argument) {
  return argument;
}

std::string DisplayPath(const SystemPath& path) {
  return path;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

SystemPath ProgramFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return (error ? std::filesystem::current_path() : self.parent_path()).string();
}

} // namespace velmora::ctl
