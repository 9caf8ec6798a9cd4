// The notification-area icon: its record, adding and removing it, the
// routine that turns the shell's callbacks into handler runs, and
// the commands that change the icon's picture and tip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

constexpr std::uint32_t kTrayCallbackMessage = 1025;
constexpr std::uint32_t kTrayIconId = 999;

// Shell messages.
constexpr std::uint32_t kNimAdd = 0;
constexpr std::uint32_t kNimModify = 1;
constexpr std::uint32_t kNimDelete = 2;
constexpr std::uint32_t kNimSetVersion = 4;

// Record flags: message, icon and tip valid; the icon alone; balloon
// information valid.
constexpr std::uint32_t kNifMessageIconTip = 7;
constexpr std::uint32_t kNifIcon = 2;
constexpr std::uint32_t kNifInfo = 16;

bool ShellVersionAtLeast(App& app, std::uint16_t major);
// Chooses the record size if none is chosen yet and fills in the record's
// size, window and icon id before a call to the shell.
void PrepareRecordHeader(App& app);
void ChooseTrayRecordSize(App& app);
void AddTrayIcon(App& app);
void RemoveTrayIcon(App& app);
// Starts the program's exit: the user's cursors back, every timer stopped,
// the icon removed and the host window asked to close. The lines of a
// handler that come after it still run.
void ShutDown(App& app);
// Adds the icon again after the taskbar was created anew.
void RestoreTrayIcon(App& app);
// Hands the tray events held back while a download ran to the window again.
void ReplayHeldBackTrayEvents(App& app);
// A callback of the icon (message kTrayCallbackMessage) with its event code.
void TrayWindowProc(App& app, std::intptr_t event);

CommandResult SetIconCommand(App& app, const CommandLine& command);
CommandResult SetTooltipCommand(App& app, const CommandLine& command);

// A text padded with NULs to exactly the width of a record field. A longer
// text is cut so that the field keeps its terminating NUL, and never through
// a surrogate pair.
std::wstring FixedWidth(std::wstring_view text, std::size_t width);

} // namespace velmora
