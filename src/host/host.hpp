// The host's life: start-up, loading scripts, the command drop, quitting.
#pragma once

#include <string>

#include "app_state.hpp"
#include "interpreter/results.hpp"

namespace velmora {

void StartUp(App& app);
void CheckForCommands(App& app);
void PollTimer_Timer(App& app);
// Hands a tick of one of the host window's timers to its routine.
void DeliverTick(App& app, TimerId timer);
void Quit(App& app);
void Form_Unload(App& app);

// Line ends of a script as editors write them (a bare LF or CR) become CR LF,
// the only line break the script language knows.
std::wstring NormalizeLineEnds(std::wstring_view text);

} // namespace velmora
