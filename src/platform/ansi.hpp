// Conversion between the core's wide texts and the ANSI code page of script
// files and of the text files the program writes: Windows' own code page on
// Windows, Windows-1252 (the Western one) elsewhere, where velmoractl only
// checks scripts. Windows itself is called in the wide form only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A character the code page lacks becomes its default character ("?").
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);
// The text's bytes when every character has its own byte or bytes in the
// code page (no look-alike, no default character), so that reading them
// back gives the text exactly; none otherwise.
std::optional<std::string> ToAnsiExact(std::wstring_view text);

} // namespace velmora
