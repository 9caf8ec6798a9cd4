// The tray icon's callbacks: mouse and balloon events become runs of the
// script's handlers, or wait while a download runs.
#include <utility>

#include "interpreter/errors.hpp"
#include "interpreter/handlers.hpp"
#include "interpreter/run.hpp"
#include "systray/tray.hpp"

namespace velmora {

namespace {

constexpr std::intptr_t kLeftButtonUp = 514;
constexpr std::intptr_t kLeftDoubleClick = 515;
constexpr std::intptr_t kRightButtonDown = 516;
constexpr std::intptr_t kRightButtonUp = 517;
constexpr std::intptr_t kRightDoubleClick = 518;
constexpr std::intptr_t kBalloonShow = 1026;
constexpr std::intptr_t kBalloonTimeout = 1028;
constexpr std::intptr_t kBalloonClick = 1029;

// How many events may wait for a download to end. A user who clicks on and on
// meanwhile gets the first of them handled, not a run for every click.
constexpr std::size_t kMostHeldBackEvents = 16;

// The callbacks that run something; the others (mouse moves among them) are
// of no use once their moment has passed.
bool RunsSomething(std::intptr_t code) {
  switch (code) {
  case kLeftButtonUp:
  case kLeftDoubleClick:
  case kRightButtonDown:
  case kRightButtonUp:
  case kRightDoubleClick:
  case kBalloonShow:
  case kBalloonTimeout:
  case kBalloonClick:
    return true;
  default:
    return false;
  }
}

// Runs the slot's handler, found in the given slot text, under its full
// name, then its short name when the first is not found; gives the result
// and the name that gave it.
std::pair<RunResult, const wchar_t*> RunGroup(App& app, Slot slot, const std::wstring& text) {
  const EventNames names = EventNamesOf(slot);
  RunResult result = RunHandler(app, text, names.name, Mode::Optional);
  if (result == RunResult::NotFound && names.shortName != nullptr) {
    return {RunHandler(app, text, names.shortName, Mode::Optional), names.shortName};
  }
  return {result, names.name};
}

// A one-time handler, when installed, serves the event instead of the
// permanent one. It is removed before it runs, so a handler that installs
// its successor keeps it, and an event that arrives while it waits in a box
// does not run it a second time. A failing one is put back, unless the slot
// was filled again meanwhile, so the next such event tries it again.
void RunMouseEvent(App& app, Slot oneTime, Slot permanent) {
  const EventScope event(app);
  std::wstring& slot = app.handlers[oneTime];
  if (!slot.empty()) {
    const std::wstring handler = std::exchange(slot, std::wstring());
    const auto [result, name] = RunGroup(app, oneTime, handler);
    if (result != RunResult::Ok) {
      if (slot.empty()) {
        slot = handler;
      }
      ReportRunResult(app, result, name);
    }
    return;
  }
  const auto [result, name] = RunGroup(app, permanent, app.handlers[permanent]);
  ReportRunResult(app, result, name);
}

void RunBalloonEvent(App& app, Slot slot) {
  const EventScope event(app);
  if (app.handlers[slot].empty()) {
    return;
  }
  const wchar_t* name = EventNamesOf(slot).name;
  ReportRunResult(app, RunHandler(app, app.handlers[slot], name, Mode::Optional), name);
}

} // namespace

void ReplayHeldBackTrayEvents(App& app) {
  // The events held back during a download go to the window again, to be
  // handled after the event that started the download.
  for (const std::intptr_t code : app.tray.DeferredTrayEvents) {
    app.platform.PostToHost(kTrayCallbackMessage, kTrayIconId, code);
  }
  app.tray.DeferredTrayEvents.clear();
}

void TrayWindowProc(App& app, std::intptr_t event) {
  // A click or balloon event during a download is handled once the download
  // is done, so that its handler cannot start another download over the
  // files of the first (both would fail), nor take the result of a check.
  if (app.download.DownloadBusy) {
    if (RunsSomething(event) && app.tray.DeferredTrayEvents.size() < kMostHeldBackEvents) {
      app.tray.DeferredTrayEvents.push_back(event);
    }
    return;
  }
  app.platform.SetForegroundHostWindow();
  switch (event) {
  case kLeftButtonUp:
    RunMouseEvent(app, Slot::LeftClickOneTime, Slot::LeftClick);
    break;
  case kLeftDoubleClick:
    RunMouseEvent(app, Slot::DoubleLeftClickOneTime, Slot::DoubleLeftClick);
    break;
  case kRightButtonDown:
    ExecuteCommand(app, L"popup");
    break;
  case kRightButtonUp:
    RunMouseEvent(app, Slot::RightClickOneTime, Slot::RightClick);
    break;
  case kRightDoubleClick:
    RunMouseEvent(app, Slot::DoubleRightClickOneTime, Slot::DoubleRightClick);
    break;
  case kBalloonShow:
    RunBalloonEvent(app, Slot::BalloonShow);
    break;
  case kBalloonTimeout:
    RunBalloonEvent(app, Slot::BalloonClose);
    break;
  case kBalloonClick:
    RunBalloonEvent(app, Slot::BalloonClick);
    break;
  default:
    break;
  }
}

} // namespace velmora
