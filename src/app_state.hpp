// All program-wide state in one place, passed first to every engine routine:
// the interpreter's own fields, and one group per module that keeps state.
//
// App lives in the engine layer: the routines below it take the Platform
// alone. Each group is a plain-data header beside the module that owns it;
// the command drop's group belongs to the host above, so that one header
// alone is also published to the engine layer (cmake/layers.cmake keeps
// every other host header out of reach).
#pragma once

#include <array>
#include <functional>
#include <map>
#include <string>

#include "commands/download_state.hpp"
#include "commands/timer_state.hpp"
#include "host/drop_state.hpp"
#include "platform/platform.hpp"
#include "systray/animation_state.hpp"
#include "systray/balloon_state.hpp"
#include "systray/menu_state.hpp"
#include "systray/tray_state.hpp"

namespace velmora {

// One text slot per event group; empty means no handler.
enum class Slot {
  OpenScript,
  ItemSelect,
  TimerEvent,
  AltShowBalloon,
  ScriptError,
  LeftClick,
  LeftClickOneTime,
  DoubleLeftClick,
  DoubleLeftClickOneTime,
  RightClick,
  RightClickOneTime,
  DoubleRightClick,
  DoubleRightClickOneTime,
  BalloonClick,
  BalloonShow,
  BalloonClose, // Stays last: the slot count is counted from it.
};
constexpr std::size_t kSlotCount = static_cast<std::size_t>(Slot::BalloonClose) + 1;

class HandlerTable {
public:
  std::wstring& operator[](Slot slot) { return slots_[static_cast<std::size_t>(slot)]; }
  const std::wstring& operator[](Slot slot) const { return slots_[static_cast<std::size_t>(slot)]; }

private:
  std::array<std::wstring, kSlotCount> slots_;
};

struct App {
  explicit App(Platform& platformRef) : platform(platformRef) {}

  Platform& platform;

  HandlerTable handlers;
  bool SilentErrors = false;
  std::wstring OutputFile;
  std::wstring LastResult;

  // Each module's own state, declared beside it.
  TrayState tray;
  BalloonState balloon;
  MenuState menu;
  AnimationState animation;
  TimerState timer;
  DownloadState download;
  DropState drop;

  // How deeply events from the message loop nest: a click or tick handled
  // while a handler waits in a box is one level deeper than that handler.
  int EventDepth = 0;
  // The event depth at which the scriptError handler runs, -1 when it does
  // not: reports made by its own run take the log or dialog route, so a
  // failing command in it cannot recurse for ever, while the errors of other
  // events handled during its box still reach it.
  int ScriptErrorDepth = -1;
  // The text of each slot whose handler was found broken and reported, so
  // that a broken handler is reported once, not at every event it misses.
  std::map<Slot, std::wstring> ReportedBrokenHandlers;
  // Set once the program has begun to close. A box still open then is
  // closed with its owner window; what it returns is no user's answer.
  bool Closing = false;
  // When set, every script error is handed here instead of being reported:
  // how a tool learns the very message a line would give.
  std::function<void(const std::wstring& message)> ReportSink;
};

} // namespace velmora
