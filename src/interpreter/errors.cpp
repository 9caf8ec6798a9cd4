// Script errors go to exactly one place: the scriptError handler, else the
// error log in silent mode, else a modal box.
#include "interpreter/errors.hpp"

#include "coolcode/files.hpp"
#include "interpreter/run.hpp"

namespace velmora {

namespace {
constexpr std::uint32_t kErrorOk = 16;
} // namespace

void ReportScriptError(App& app, const std::wstring& message, const std::wstring& title) {
  if (app.ReportSink) {
    app.ReportSink(message);
    return;
  }
  // While the scriptError handler runs, a failure inside it is reported as if
  // there were no handler; otherwise it would run itself again without end.
  if (!app.handlers[Slot::ScriptError].empty() && !app.InScriptErrorHandler) {
    app.InScriptErrorHandler = true;
    RunHandler(app, app.handlers[Slot::ScriptError], L"scriptError", Mode::Optional);
    app.InScriptErrorHandler = false;
    return;
  }
  if (app.SilentErrors) {
    // A log that cannot be written loses the line, never the program.
    AppendTextLine(app, message, L"errors.log");
    return;
  }
  app.platform.ShowMessageBox(message, title.empty() ? L"Parsing Error" : title, kErrorOk);
}

void ReportRunResult(App& app, RunResult result, std::wstring_view handlerName) {
  // A run cut short because the program is closing (a download its quit
  // abandoned) has no one left to tell, and no window to tell it in.
  if (app.Closing) {
    return;
  }
  const std::wstring name(handlerName);
  if (result == RunResult::Incomplete) {
    ReportScriptError(app, L"Incomplete '" + name + L"' handler.", L"Execution Error");
  } else if (result == RunResult::Error) {
    ReportScriptError(app, L"Error in '" + name + L"' handler.", L"Execution Error");
  }
}

CommandResult SetSilentErrorsCommand(App& app, const CommandLine& command) {
  const std::wstring value = LastWord(command.line);
  if (value == L"true") {
    app.SilentErrors = true;
  } else if (value == L"false") {
    app.SilentErrors = false;
  } else {
    return Fail(app, L"Can't understand 'set silentErrors' command.");
  }
  return CommandResult::Ok;
}

} // namespace velmora
