// Scripts as the program holds them once it has read their files.
#pragma once

#include <string>
#include <string_view>

namespace velmora::ctl {

// A script as the program holds it once read: its bytes decoded in the
// encoding they show, every line end made CR LF.
std::wstring ScriptText(std::string_view bytes);

} // namespace velmora::ctl
