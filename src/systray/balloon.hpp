// Balloon notifications from the tray icon, and the About window's command.
#pragma once

#include <cstdint>

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

CommandResult ShowCommand(App& app, const CommandLine& command);
void ShowBalloon(App& app, std::uint32_t kind);
// Whether the system shows balloons itself (Windows XP and later); older
// systems run the script's altShowBalloon handler instead.
bool HasNativeBalloons(App& app);

} // namespace velmora
