// All program-wide state in one place, passed first to every routine.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.hpp"

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
  BalloonClose,
};
constexpr std::size_t kSlotCount = 16;

class HandlerTable {
public:
  std::wstring& operator[](Slot slot) { return slots_[static_cast<std::size_t>(slot)]; }
  const std::wstring& operator[](Slot slot) const { return slots_[static_cast<std::size_t>(slot)]; }

private:
  std::array<std::wstring, kSlotCount> slots_;
};

// What identifies one version of a dropped file that the command drop could
// not read or delete, so that it is retried only once the file changes.
struct FileSignature {
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  bool operator==(const FileSignature& other) const {
    return size == other.size && lastWrite == other.lastWrite;
  }
};

struct App {
  explicit App(Platform& platformRef) : platform(platformRef) {}

  Platform& platform;

  HandlerTable handlers;
  bool SilentErrors = false;
  std::wstring OutputFile;
  std::wstring LastResult;
  std::wstring LastID;
  bool DownloadBusy = false;
  // Downloads started so far: names each one's temporary file.
  std::uint32_t DownloadCount = 0;

  TrayIconRecord TrayIcon;
  std::uint32_t TrayRecordSize = 0;
  std::wstring TooltipText;

  // Balloons.
  std::wstring BalloonText;
  std::wstring BalloonTitle;

  // Icon flashing and swapping.
  std::wstring FirstIconFile;
  std::wstring SecondIconFile;
  std::wstring ShownIconFile;
  std::uint32_t SwapInterval = 500;

  // The pop-up menu: item 1 exists from the start and is never removed.
  std::vector<MenuItem> MenuItems{{L"dummy", true}};
  bool MenuCreated = false;
  bool MenuHasQuit = false;

  // The timerEvent period and what is counted of it, in milliseconds.
  std::int32_t TimerPeriod = 0;
  std::int32_t TimerElapsed = 0;
  // Changes whenever a script sets or stops the timer, so that a tick can
  // tell that its own handler did and leave the new setting alone.
  std::uint32_t TimerGeneration = 0;

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
  // True while a dropped script runs, so that a poll tick delivered during one
  // of its dialogs does not run the same file again inside it.
  bool DropRunning = false;
  // Tray callbacks that arrived while a download was under way, in order.
  std::vector<std::intptr_t> DeferredTrayEvents;
  // Set once the program has begun to close. A box still open then is
  // closed with its owner window; what it returns is no user's answer.
  bool Closing = false;
  // Dropped files already reported as unreadable or undeletable, by path.
  std::map<std::wstring, FileSignature> StuckDrops;
  // When set, every script error is handed here instead of being reported:
  // how a tool learns the very message a line would give.
  std::function<void(const std::wstring& message)> ReportSink;
};

} // namespace velmora
