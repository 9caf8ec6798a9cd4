// Texts at velmoractl's edges: the command line, the console, paths, and the
// program's own folder. Between the edges, arguments and console texts are
// UTF-8 on every system. Script files are read with base/encoding.hpp, in
// the encodings the program reads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ctl/file_system.hpp"

namespace velmora::ctl {

// The program's arguments, its own name first, each as UTF-8: on Windows
// they are taken from the wide command line, so that any character arrives
// whole whatever the ANSI code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Arguments (UTF-8) to text, text to console output (UTF-8).
std::wstring DecodeArgument(std::string_view argument);
std::string EncodeConsole(std::wstring_view text);
SystemPath PathFromArgument(const std::string& argument);
std::string DisplayPath(const SystemPath& path);

// The folder velmoractl itself was started from.
SystemPath ProgramFolder();

} // namespace velmora::ctl
