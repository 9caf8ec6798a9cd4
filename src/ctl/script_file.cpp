// Reading script files as the program reads them.
#include "ctl/script_file.hpp"

#include <fstream>
#include <iterator>

#include "base/encoding.hpp"
#include "base/text.hpp"

namespace velmora::ctl {

std::optional<std::string> ReadBytes(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return std::nullopt;
  }
  std::ifstream file(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file) {
    return std::nullopt;
  }
  return bytes;
}

std::wstring ScriptText(std::string_view bytes) {
  return NormalizeLineEnds(DecodeText(bytes));
}

} // namespace velmora::ctl
