// Script errors go to exactly one place: the scriptError handler, else the
// error log in silent mode, else a modal box.
#include "interpreter/errors.hpp"

#include "base/files.hpp"
#include "interpreter/run.hpp"

namespace velmora {

namespace {

std::wstring RunResultMessage(RunResult result, std::wstring_view handlerName) {
  const std::wstring name(handlerName);
  return result == RunResult::Incomplete ? L"Incomplete '" + name + L"' handler."
                                         : L"Error in '" + name + L"' handler.";
}

// The routes a report takes when no scriptError handler takes it.
void LogOrShow(App& app, const std::wstring& message, const std::wstring& title) {
  if (app.SilentErrors) {
    // A log that cannot be written loses the line, never the program.
    AppendTextLine(app.platform, message, L"errors.log");
    return;
  }
  app.platform.ShowMessageBox(message, title.empty() ? L"Parsing Error" : title, kBoxIconError);
}

// Runs the scriptError handler for one report; gives false when the handler
// cannot run at all (its block is malformed).
bool RunScriptErrorHandler(App& app) {
  const int outer = app.ScriptErrorDepth;
  app.ScriptErrorDepth = app.EventDepth;
  const RunResult result =
      RunHandler(app, app.handlers[Slot::ScriptError], L"scriptError", Mode::Optional);
  app.ScriptErrorDepth = outer;
  // "Not found" here is a handler without a line, which takes every report
  // and does nothing with it: a way to silence errors on purpose.
  return result != RunResult::Incomplete;
}

} // namespace

bool FirstReportOfBrokenHandler(App& app, Slot slot) {
  std::wstring& reported = app.ReportedBrokenHandlers[slot];
  if (reported == app.handlers[slot]) {
    return false;
  }
  reported = app.handlers[slot];
  return true;
}

void ReportScriptError(App& app, const std::wstring& message, const std::wstring& title) {
  if (app.ReportSink) {
    app.ReportSink(message);
    return;
  }
  // A report made by the scriptError handler's own run takes the other
  // routes; otherwise it would run the handler again without end. Reports of
  // other events handled while the handler waits in a box still reach it.
  const bool ownRun = app.ScriptErrorDepth == app.EventDepth;
  if (app.handlers[Slot::ScriptError].empty() || ownRun) {
    LogOrShow(app, message, title);
    return;
  }
  if (RunScriptErrorHandler(app)) {
    return;
  }
  // A handler that cannot run swallows nothing: the report takes the other
  // routes, followed once by the news that the handler is broken.
  LogOrShow(app, message, title);
  if (FirstReportOfBrokenHandler(app, Slot::ScriptError)) {
    LogOrShow(app, RunResultMessage(RunResult::Incomplete, L"scriptError"), L"Execution Error");
  }
}

void ReportRunResult(App& app, RunResult result, std::wstring_view handlerName) {
  // A run cut short because the program is closing (a download its quit
  // abandoned) has no one left to tell, and no window to tell it in.
  if (app.Closing) {
    return;
  }
  if (result == RunResult::Incomplete || result == RunResult::Error) {
    ReportScriptError(app, RunResultMessage(result, handlerName), L"Execution Error");
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
