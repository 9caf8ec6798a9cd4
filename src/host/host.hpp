// The host's life: start-up, loading scripts, the command drop, quitting.
#pragma once

#include <string>

#include "app_state.hpp"
#include "interpreter/results.hpp"

namespace velmora {

void StartUp(App& app);
void CheckForCommands(App& app);
void PollTimer_Timer(App& app);
// The application folder changed while the command drop watches it: a
// script dropped there is taken at once, by the rules of a poll.
void DeliverFolderChange(App& app);
// Hands a tick of one of the host window's timers to its routine.
void DeliverTick(App& app, TimerId timer);
// A menu item was chosen; items count from 1. A "Quit" or "Exit" that no
// case of the script takes ends the program.
void mFile_Click(App& app, int index);
void Quit(App& app);
void Form_Unload(App& app);

} // namespace velmora
