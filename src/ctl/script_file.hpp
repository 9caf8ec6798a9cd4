// Reading script files as the program reads them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::ctl {

// A file's bytes; none when it cannot be read.
std::optional<std::string> ReadBytes(const std::filesystem::path& path);
// A script as the program holds it once read: its bytes decoded in the
// encoding they show, every line end made CR LF.
std::wstring ScriptText(std::string_view bytes);

} // namespace velmora::ctl
