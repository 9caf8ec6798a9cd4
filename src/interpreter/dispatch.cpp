// The command executor: a line's first word names its command, compared
// lower-cased in a fixed order.
#include "interpreter/dispatch.hpp"

#include "base/text.hpp"
#include "commands/commands.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/handlers.hpp"
#include "interpreter/switch.hpp"
#include "systray/animation.hpp"
#include "systray/balloon.hpp"
#include "systray/menu.hpp"
#include "systray/tray.hpp"

namespace velmora {

namespace {

using CommandFn = CommandResult (*)(App&, const CommandLine&);

struct Command {
  std::wstring_view word;
  CommandFn run;
};

// Word k of a line as LineWord gives it, into a string whose storage is
// reused.
void AssignLineWord(std::wstring& word, std::wstring_view line, int k) {
  word.assign(TrimmedView(ItemView(line, k, L' ')));
  for (wchar_t& c : word) {
    c = LowerChar(c);
  }
}

CommandResult DoNothing(App&, const CommandLine&) {
  return CommandResult::Ok;
}

// quit and exit only start the exit: the lines after them still run, and the
// program closes once the message loop takes the close request.
CommandResult QuitCommand(App& app, const CommandLine&) {
  ShutDown(app);
  return CommandResult::Ok;
}

CommandResult SetCommand(App& app, const CommandLine& command) {
  const std::wstring& subject = SetSubject(command);
  static constexpr Command kSubjects[] = {
      {L"icon", SetIconCommand},
      {L"outputfile", SetOutputFileCommand},
      {L"polling", SetPollingCommand},
      {L"scriptid", SetScriptIdCommand},
      {L"silenterrors", SetSilentErrorsCommand},
      {L"timer", SetTimerCommand},
      {L"tooltip", SetTooltipCommand},
  };
  for (const Command& entry : kSubjects) {
    if (subject == entry.word) {
      return entry.run(app, command);
    }
  }
  // Any other subject is accepted and does nothing.
  return CommandResult::Ok;
}

// stop flash and stop swap end the animation, stop timer the event timer.
CommandResult StopCommand(App& app, const CommandLine& command) {
  static constexpr Command kSubjects[] = {
      {L"flash", StopAnimationCommand}, {L"flashing", StopAnimationCommand},
      {L"swap", StopAnimationCommand},  {L"swapping", StopAnimationCommand},
      {L"timer", StopTimerCommand},
  };
  for (const Command& entry : kSubjects) {
    if (command.w2 == entry.word) {
      return entry.run(app, command);
    }
  }
  return Fail(app, L"Can't understand 'stop' command.");
}

// In the order the words are compared.
constexpr Command kCommands[] = {
    {L"answer", AnswerCommand},   {L"beep", BeepCommand},
    {L"check", CheckCommand},     {L"checkswitch", CheckSwitchCommand},
    {L"create", CreateCommand},   {L"delete", DeleteCommand},
    {L"do", DoNothing},           {L"download", DownloadCommand},
    {L"flash", FlashCommand},     {L"gourl", GoUrlCommand},
    {L"install", InstallCommand}, {L"install:", InstallCommand},
    {L"keep", KeepCommand},       {L"launch", LaunchCommand},
    {L"nothing", DoNothing},      {L"popup", PopupCommand},
    {L"set", SetCommand},         {L"show", ShowCommand},
    {L"stop", StopCommand},       {L"swap", SwapCommand},
    {L"write", WriteCommand},     {L"quit", QuitCommand},
    {L"exit", QuitCommand},
};

} // namespace

const std::wstring& SetSubject(const CommandLine& command) {
  return command.w2 == L"the" ? command.w3 : command.w2;
}

bool IsCommandWord(std::wstring_view word) {
  for (const Command& entry : kCommands) {
    if (word == entry.word) {
      return true;
    }
  }
  return false;
}

std::wstring LineWord(std::wstring_view line, int k) {
  std::wstring word;
  AssignLineWord(word, line, k);
  return word;
}

std::wstring LastWord(std::wstring_view line) {
  return GetItem(line, CountItems(line, L" "), L' ');
}

CommandResult Fail(App& app, const std::wstring& message) {
  ReportScriptError(app, message);
  return CommandResult::Error;
}

CommandResult ExecuteCommand(App& app, std::wstring_view rawLine) {
  CommandLine command;
  return ExecuteCommand(app, rawLine, command);
}

CommandResult ExecuteCommand(App& app, std::wstring_view rawLine, CommandLine& command) {
  command.line.assign(TrimmedView(rawLine));
  // Comment lines are accepted wherever a line is executed.
  if (command.line.rfind(L"--", 0) == 0 || command.line.rfind(L"#", 0) == 0) {
    return CommandResult::Ok;
  }
  AssignLineWord(command.w1, command.line, 1);
  AssignLineWord(command.w2, command.line, 2);
  AssignLineWord(command.w3, command.line, 3);
  for (const Command& entry : kCommands) {
    if (command.w1 == entry.word) {
      return entry.run(app, command);
    }
  }
  return Fail(app, L"Can't understand '" + command.w1 + L"'.");
}

} // namespace velmora
