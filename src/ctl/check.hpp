// The script checker: what the program would refuse in a script, and the
// traps that make it do something other than what the script says.
#pragma once

#include <string_view>
#include <vector>

#include "ctl/diagnostic.hpp"

namespace velmora::ctl {

// Checks a script text as the program holds it after reading its file
// (CR LF line breaks).
std::vector<Diagnostic> CheckScript(std::wstring_view text);

} // namespace velmora::ctl
