// Texts at velmoractl's edges: the command line, the console, and the
// program's own folder. Script files are read with base/encoding.hpp, in the
// encodings the program reads.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::ctl {

// Arguments and console output: the ANSI code page on Windows, UTF-8
// elsewhere.
std::wstring DecodeArgument(std::string_view argument);
std::string EncodeConsole(std::wstring_view text);
std::filesystem::path PathFromArgument(const std::string& argument);
std::string DisplayPath(const std::filesystem::path& path);

// The folder velmoractl itself was started from.
std::filesystem::path ProgramFolder();

} // namespace velmora::ctl
