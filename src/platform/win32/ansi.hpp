// Conversion between the core's wide texts and the ANSI code page that the
// A-form calls, files and settings use.
#pragma once

#include <string>
#include <string_view>

namespace velmora::win32 {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

} // namespace velmora::win32
