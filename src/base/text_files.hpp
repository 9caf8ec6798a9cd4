// Text files as the program reads and writes them: a script is decoded from
// the bytes on disk, and a text is encoded for the programs that read the
// file after it.
#pragma once

#include <string>

#include "platform/platform.hpp"

namespace velmora {

ReadStatus ReadTextFile(Platform& platform, const std::wstring& path, std::wstring& text);
// Appends to the file, creating it when it does not exist.
bool AppendTextFile(Platform& platform, const std::wstring& path, const std::wstring& text);
// Creates the file, or empties an existing one, and writes the text.
bool CreateTextFile(Platform& platform, const std::wstring& path, const std::wstring& text);

} // namespace velmora
