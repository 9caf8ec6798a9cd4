// Switch blocks: the result switch (checkSwitch) and the menu's case sections.
#pragma once

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

#include <string>
#include <string_view>

namespace velmora {

CommandResult CheckSwitchCommand(App& app, const CommandLine& command);
std::wstring SelectCase(std::wstring_view body, std::wstring_view value);

} // namespace velmora
