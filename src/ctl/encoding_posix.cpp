// Arguments, console output and the program's folder on the systems where
// velmoractl only checks scripts: UTF-8 throughout.
#include "ctl/encoding.hpp"

namespace velmora::ctl {

namespace {

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

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void PrepareConsoleOutput() {}

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path() : self.parent_path();
}

} // namespace velmora::ctl
