// Reporting script errors: to the scriptError handler, the error log, or a box.
#pragma once

#include <string>
#include <string_view>

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

void ReportScriptError(App& app, const std::wstring& message, const std::wstring& title = L"");
void ReportRunResult(App& app, RunResult result, std::wstring_view handlerName);
CommandResult SetSilentErrorsCommand(App& app, const CommandLine& command);

// Whether the broken handler now in a slot is yet to be reported; notes it
// as reported. A slot filled again with another text is reported afresh.
bool FirstReportOfBrokenHandler(App& app, Slot slot);

// Marks the handling of one event from the message loop (a tray callback, a
// timer tick, a menu choice) for as long as it lasts.
class EventScope {
public:
  explicit EventScope(App& app) : app_(app) { ++app_.EventDepth; }
  ~EventScope() { --app_.EventDepth; }
  EventScope(const EventScope&) = delete;
  EventScope& operator=(const EventScope&) = delete;

private:
  App& app_;
};

} // namespace velmora
