// Switch blocks: the result switch (checkSwitch) and the menu's case sections.
#pragma once

#include <string>
#include <string_view>

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

CommandResult CheckSwitchCommand(App& app, const CommandLine& command);
std::wstring SelectCase(std::wstring_view body, std::wstring_view value);
// Whether a line begins a case section: its first word is exactly "case".
bool IsCaseLine(std::wstring_view line);

} // namespace velmora
