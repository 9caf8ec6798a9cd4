// Texts at velmoractl's edges: script files in the ANSI code page, the
// command line, the console, and the program's own folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::ctl {

// Script bytes to text and back, in the ANSI code page the program uses
// (Windows' own; elsewhere Windows-1252, the Western one).
std::wstring DecodeAnsi(std::string_view bytes);
std::string EncodeAnsi(std::wstring_view text);

// Arguments and console output: the ANSI code page on Windows, UTF-8
// elsewhere.
std::wstring DecodeArgument(std::string_view argument);
std::string EncodeConsole(std::wstring_view text);
std::filesystem::path PathFromArgument(const std::string& argument);
std::string DisplayPath(const std::filesystem::path& path);

// The folder velmoractl itself was started from.
std::filesystem::path ProgramFolder();

} // namespace velmora::ctl
