// Conversion between the core's wide texts and the ANSI code page of script
// files, settings and the A-form Windows calls: Windows' own code page on
// Windows, Windows-1252 (the Western one) elsewhere, where velmoractl only
// checks scripts.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

} // namespace velmora
