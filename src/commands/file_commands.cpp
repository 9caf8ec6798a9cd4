// Commands on files and other programs, and the choice of the output file
// through which results reach the programs that wait for them.
#include "base/files.hpp"
#include "base/system.hpp"
#include "base/text.hpp"
#include "commands/commands.hpp"
#include "commands/update_key.hpp"
#include "interpreter/escapes.hpp"

namespace velmora {

namespace {

bool EndsWithExe(const std::wstring& path) {
  return path.size() >= 4 && LowerCase(path.substr(path.size() - 4)) == L".exe";
}

// An existing file named as the parameter goes in its short form. Where that
// still holds a space (a volume without short names) or cannot be had, the
// name goes in quotes, so the program always receives it as one argument.
std::wstring FileParameter(App& app, const std::wstring& file) {
  const std::wstring shortForm = app.platform.ShortPathName(file);
  if (shortForm.empty()) {
    return L"\"" + file + L"\"";
  }
  if (shortForm.find(L' ') != std::wstring::npos) {
    return L"\"" + shortForm + L"\"";
  }
  return shortForm;
}

} // namespace

CommandResult WriteCommand(App& app, const CommandLine& command) {
  const std::wstring text = GetQuotedText(command.line);
  if (text == kNoQuote) {
    return Fail(app, L"Can't understand 'write' command.");
  }
  std::wstring file = GetQuotedText(GetTextAfterQuotes(command.line));
  if (file == kNoQuote) {
    // The output file, without making the default the chosen one.
    file = app.OutputFile.empty() ? L"output.txt" : app.OutputFile;
  }
  const std::wstring path = ResolvePath(app.platform, file);
  if (HoldsUpdateKey(app, path)) {
    return Fail(app, UpdateKeyGuardMessage());
  }
  if (file.empty() || !AppendTextLine(app.platform, ExpandEscapes(app, text, false), file)) {
    return Fail(app, L"Can't write to file '" + path + L"'.");
  }
  return CommandResult::Ok;
}

CommandResult SetOutputFileCommand(App& app, const CommandLine& command) {
  const std::wstring name = GetQuotedText(command.line);
  if (name == kNoQuote) {
    return Fail(app, L"Can't understand 'set outputFile' command.");
  }
  // Kept as written and resolved at every write; "" brings the default back.
  app.OutputFile = name;
  return CommandResult::Ok;
}

CommandResult DeleteCommand(App& app, const CommandLine& command) {
  if (command.w2 != L"file") {
    return CommandResult::Ok;
  }
  const std::wstring name = GetQuotedText(command.line);
  if (name == kNoQuote) {
    return Fail(app, L"Can't understand 'delete' command.");
  }
  const std::wstring path = ResolvePath(app.platform, name);
  // The name is a pattern: wildcards in its last part select every match.
  // What a pattern takes is what FileExists sees: files matched by their
  // long name, never folders, hidden or system files.
  const std::wstring folder = FolderOf(path);
  std::vector<std::wstring> doomed;
  for (const FoundFile& entry : SearchFiles(app.platform, path)) {
    if (!entry.directory && !entry.hidden && !entry.system) {
      doomed.push_back(folder + StripAtNul(entry.nameField));
    }
  }
  if (doomed.empty()) {
    return Fail(app, L"Can't understand 'delete' command. File <filePath> does not exist.");
  }
  // A pattern that takes the file holding the update key deletes nothing.
  for (const std::wstring& file : doomed) {
    if (HoldsUpdateKey(app, file)) {
      return Fail(app, UpdateKeyGuardMessage());
    }
  }
  bool allDeleted = true;
  for (const std::wstring& file : doomed) {
    allDeleted = app.platform.DeleteFiles(file) && allDeleted;
  }
  if (!allDeleted) {
    return Fail(app, L"Can't delete file '" + path + L"'.");
  }
  return CommandResult::Ok;
}

CommandResult LaunchCommand(App& app, const CommandLine& command) {
  const std::wstring file = GetQuotedText(command.line);
  const std::wstring rest = GetTextAfterQuotes(command.line);
  std::wstring parameter;
  if (GetItem(rest, 1, L' ') == L"with") {
    parameter = GetQuotedText(rest);
    // "with" and nothing quoted after it is a mistake in the line, not a
    // parameter to hand to the program.
    if (parameter == kNoQuote) {
      return Fail(app, L"Can't understand 'launch' command.");
    }
    if (FileExists(app.platform, parameter)) {
      parameter = FileParameter(app, parameter);
    }
  }
  if (file == kNoQuote) {
    return Fail(app, L"Can't understand 'launch' command.");
  }
  const std::wstring path = ResolvePath(app.platform, file);
  if (!FileExists(app.platform, path)) {
    return Fail(app, L"Can't understand 'launch' command. (File '" + file + L"' does not exist.)");
  }
  if (!EndsWithExe(path)) {
    ShellOpen(app.platform, path, parameter.empty() ? std::nullopt : std::optional(parameter));
    return CommandResult::Ok;
  }
  // The program's path is quoted, so a folder with spaces in its name works
  // and a program named by the first part of the path cannot start instead.
  std::wstring commandLine = L"\"" + path + L"\"";
  if (!parameter.empty()) {
    commandLine += L" " + parameter;
  }
  if (!app.platform.StartProcess(commandLine)) {
    return Fail(app, L"Can't launch '" + path + L"'.");
  }
  return CommandResult::Ok;
}

CommandResult GoUrlCommand(App& app, const CommandLine& command) {
  const std::wstring address = GetQuotedText(command.line);
  if (address == kNoQuote) {
    return Fail(app, L"Can't understand 'goURL' command.");
  }
  ShellOpen(app.platform, address);
  return CommandResult::Ok;
}

} // namespace velmora
