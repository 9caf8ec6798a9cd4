// Drawing attention to the icon: flashing it, swapping two pictures, stopping.
#pragma once

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

CommandResult FlashCommand(App& app, const CommandLine& command);
CommandResult SwapCommand(App& app, const CommandLine& command);
// stop flash, stop swap: the icon keeps the picture it shows.
CommandResult StopAnimationCommand(App& app, const CommandLine& command);
void SwapTimer_Timer(App& app);

} // namespace velmora
