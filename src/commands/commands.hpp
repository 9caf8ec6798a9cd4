// The command set: dialogs, files and programs, downloads and updates, and
// the event timer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

// Dialogs.
std::uint32_t ButtonSetCode(std::wstring_view name);
CommandResult AnswerCommand(App& app, const CommandLine& command);
CommandResult BeepCommand(App& app, const CommandLine& command);

// Files and programs.
CommandResult WriteCommand(App& app, const CommandLine& command);
CommandResult SetOutputFileCommand(App& app, const CommandLine& command);
CommandResult DeleteCommand(App& app, const CommandLine& command);
CommandResult LaunchCommand(App& app, const CommandLine& command);
CommandResult GoUrlCommand(App& app, const CommandLine& command);

// Downloads and update checks.
CommandResult DownloadCommand(App& app, const CommandLine& command);
CommandResult CheckCommand(App& app, const CommandLine& command);
// keep update: saves the script the last check took as the start-up script.
CommandResult KeepCommand(App& app, const CommandLine& command);
CommandResult SetScriptIdCommand(App& app, const CommandLine& command);
CommandResult SetPollingCommand(App& app, const CommandLine& command);
// Turns the command drop on or off: the poll that looks for scripts at its
// interval, and the watch on the folder that takes a dropped script at once.
void SetCommandDrop(App& app, bool on);

// The event timer.
CommandResult SetTimerCommand(App& app, const CommandLine& command);
// The unit word of a set timer line: the word after the first "to"/"for" and
// number ("" when none follows), and its factor to milliseconds (none for a
// word that is no unit).
std::wstring TimerUnitWord(std::wstring_view line);
std::optional<double> TimerUnitFactor(std::wstring_view unit);
CommandResult StopTimerCommand(App& app, const CommandLine& command);
void TimerEventTimer_Timer(App& app);

} // namespace velmora
