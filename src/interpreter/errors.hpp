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

} // namespace velmora
