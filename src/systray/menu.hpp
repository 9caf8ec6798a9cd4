// The tray icon's pop-up menu: building it, showing it, and a choice.
#pragma once

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

CommandResult CreateCommand(App& app, const CommandLine& command);
CommandResult PopupCommand(App& app, const CommandLine& command);
// A menu item was chosen; items count from 1.
void mFile_Click(App& app, int index);

} // namespace velmora
