// The tray icon's pop-up menu: building it, showing it, and a choice.
#pragma once

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

CommandResult CreateCommand(App& app, const CommandLine& command);
CommandResult PopupCommand(App& app, const CommandLine& command);
// What a menu choice leaves to the host: nothing more, or ending the program.
enum class MenuChoice { Handled, Quit };
// Runs what a chosen menu item does; items count from 1.
MenuChoice ChooseMenuItem(App& app, int index);

} // namespace velmora
