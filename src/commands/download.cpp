// Downloads, update checks that take a newer script from a web address, the
// script's identifier, and how often the command drop looks for scripts.
#include "base/encoding.hpp"
#include "base/files.hpp"
#include "base/numbers.hpp"
#include "base/system.hpp"
#include "base/text.hpp"
#include "base/text_files.hpp"
#include "commands/commands.hpp"
#include "commands/update_key.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/run.hpp"
#include "interpreter/script.hpp"
#include "systray/tray.hpp"

namespace velmora {

namespace {

// Marks a download under way for its whole length, so the command drop does
// nothing meanwhile and the tray holds its events back until the end; nested
// downloads leave the mark as they found it.
class DownloadMark {
public:
  explicit DownloadMark(App& app) : app_(app), previous_(app.download.DownloadBusy) {
    app_.download.DownloadBusy = true;
  }
  ~DownloadMark() {
    app_.download.DownloadBusy = previous_;
    if (!previous_) {
      ReplayHeldBackTrayEvents(app_);
    }
  }
  DownloadMark(const DownloadMark&) = delete;
  DownloadMark& operator=(const DownloadMark&) = delete;

private:
  App& app_;
  bool previous_;
};

// Where a download is fetched before it replaces its target: beside the
// target, so that the move is one rename on the same volume, and under a
// name of its own per download, so that nested downloads of one file do not
// write into each other. Its extension is never ".scp": the command drop
// must not take a script that is still arriving.
std::wstring TemporaryDownloadPath(App& app, const std::wstring& target) {
  return target + L"." + DecimalText(++app.download.DownloadCount) + L".download";
}

std::wstring Identifier(std::wstring_view line) {
  return TrimBlanks(LastWord(line), true);
}

// Keeps the identifier of the script taken, for the next start; false when
// it cannot be kept.
bool SaveLastId(App& app, const std::wstring& identifier) {
  const std::wstring settings = AppFolder(app.platform) + kSettingsFileName;
  if (!FileExists(app.platform, settings)) {
    // UTF-16 with its mark for an identifier the ANSI code page cannot hold:
    // the form in which Windows' settings calls keep such a value.
    return CreateTextFile(app.platform, settings, L"[Updates]\r\nLastID=" + identifier + L"\r\n",
                          TextEncoding::Utf16Le);
  }
  return WriteIniValue(app.platform, L"Updates", L"LastID", identifier, settings);
}

// Fetches an address through a temporary file, which is gone again
// afterwards; none when nothing arrived.
std::optional<std::string> FetchBytes(App& app, const std::wstring& address,
                                      const std::wstring& temporary) {
  bool downloaded = false;
  {
    const DownloadMark mark(app);
    downloaded = DownloadFile(app.platform, address, temporary);
  }
  std::string bytes;
  const bool exists = FileExists(app.platform, temporary);
  const bool read = exists && app.platform.ReadFileBytes(temporary, bytes) == ReadStatus::Ok;
  if (exists) {
    app.platform.DeleteFiles(temporary);
  }
  if (!downloaded || !read) {
    return std::nullopt;
  }
  app.platform.ForgetUrlCacheEntry(address);
  return bytes;
}

// Why a script fetched from an address may not be taken: with an update key
// set, its signature is fetched from beside it and checked.
std::optional<std::wstring> UnsignedFault(App& app, const std::wstring& address,
                                          std::string_view script, const std::wstring& temporary) {
  if (app.download.KeyState == UpdateKeyState::None) {
    return std::nullopt;
  }
  if (const std::optional<std::wstring> fault = KeyFault(app)) {
    return fault;
  }
  return SignatureFault(app, script,
                        FetchBytes(app, SignatureAddress(address), temporary + L".sig"));
}

bool IsScriptPath(const std::wstring& path) {
  std::wstring name = path;
  // Windows drops a name's trailing dots and spaces.
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) {
    name.pop_back();
  }
  return name.size() >= 4 && LowerCase(name.substr(name.size() - 4)) == L".scp";
}

struct ScriptIdDeclaration {
  bool found = false;      // a line declares an identifier, empty or not
  std::wstring identifier; // the first one that is not empty
};

// The identifier a downloaded openScript declares. A declaration is a set
// line whose subject is scriptID, written exactly so: the words are taken
// as written, not lower-cased as when the line runs.
ScriptIdDeclaration DeclaredScriptId(std::wstring_view body) {
  ScriptIdDeclaration declaration;
  for (const std::wstring& line : SplitLines(body)) {
    const auto word = [&line](int k) { return TrimBlanks(GetItem(line, k, L' ')); };
    const CommandLine asWritten{line, word(1), word(2), word(3)};
    if (asWritten.w1 != L"set" || SetSubject(asWritten) != L"scriptID") {
      continue;
    }
    declaration.found = true;
    declaration.identifier = Identifier(line);
    if (!declaration.identifier.empty()) {
      break;
    }
  }
  return declaration;
}

// Keeps a newer script's identifier, in memory and for the next start, and
// loads and runs the script; false, with nothing changed, when the
// identifier cannot be kept.
bool TakeNewScript(App& app, const std::wstring& identifier, const std::wstring& text,
                   std::string bytes) {
  if (!SaveLastId(app, identifier)) {
    return false;
  }
  app.download.LastID = identifier;
  app.download.TakenScript = std::move(bytes);
  ParseScript(app, text);
  if (RunHandler(app, app.handlers[Slot::OpenScript], L"openScript", Mode::Mandatory) ==
      RunResult::Fatal) {
    ShutDown(app);
  }
  return true;
}

} // namespace

CommandResult DownloadCommand(App& app, const CommandLine& command) {
  const std::wstring address = GetQuotedText(command.line);
  if (address == kNoQuote) {
    return Fail(app, L"Can't understand 'download' command.");
  }
  const std::wstring rest = GetTextAfterQuotes(command.line);
  std::wstring file;
  if (!rest.empty()) {
    file = GetQuotedText(rest);
    if (file == kNoQuote) {
      return Fail(app, L"Can't understand 'download' command..");
    }
  } else {
    // The address's final path segment names the file.
    file = GetItem(address, CountItems(address, L"/"), L'/');
  }
  const std::wstring path = ResolvePath(app.platform, file);
  // Windows names hold no wildcards; a pattern here would make the clean-up
  // below a search that could take other files.
  if (path.find_first_of(L"*?", FolderOf(path).size()) != std::wstring::npos) {
    return Fail(app, L"Download failed. (Check parameters.)");
  }
  if (HoldsUpdateKey(app, path)) {
    return Fail(app, UpdateKeyGuardMessage());
  }
  // With an update key set, a script is taken only with its signature.
  const bool signedScript = app.download.KeyState != UpdateKeyState::None && IsScriptPath(path);
  if (const std::optional<std::wstring> fault = signedScript ? KeyFault(app) : std::nullopt) {
    return Fail(app, L"Download failed. " + *fault);
  }
  const std::wstring temporary = TemporaryDownloadPath(app, path);
  bool downloaded = false;
  {
    const DownloadMark mark(app);
    SetCursorStyle(app.platform, L"Hourglass");
    downloaded = DownloadFile(app.platform, address, temporary);
    SetCursorStyle(app.platform, L"Normal");
  }
  if (downloaded && signedScript) {
    std::string script;
    const bool read = app.platform.ReadFileBytes(temporary, script) == ReadStatus::Ok;
    const std::optional<std::wstring> fault =
        read ? UnsignedFault(app, address, script, temporary)
             : std::optional<std::wstring>(L"(Check parameters.)");
    if (fault) {
      app.platform.DeleteFiles(temporary);
      // A signature fetch the user's quit abandoned is no failure to tell of.
      return app.Closing ? CommandResult::Error : Fail(app, L"Download failed. " + *fault);
    }
  }
  // The file is put in place only whole, in one move: a failed transfer, a
  // full disk or a target in use leaves the existing file byte for byte.
  if (!downloaded || !app.platform.MoveFileReplacing(temporary, path)) {
    app.platform.DeleteFiles(temporary);
    // A transfer the user's quit abandoned is no failure to tell anyone of.
    if (app.Closing) {
      return CommandResult::Error;
    }
    return Fail(app, L"Download failed. (Check parameters.)");
  }
  // The next download of the same address fetches it afresh.
  app.platform.ForgetUrlCacheEntry(address);
  if (!FileExists(app.platform, path)) {
    return Fail(app, L"Download failed. Invalid <filePath> parameter.");
  }
  return CommandResult::Ok;
}

CommandResult CheckCommand(App& app, const CommandLine& command) {
  const std::wstring address = GetQuotedText(command.line);
  if (address == kNoQuote) {
    return Fail(app, L"Can't understand 'check' command.");
  }
  if (const std::optional<std::wstring> fault = KeyFault(app)) {
    return Fail(app, L"Check URL: " + *fault);
  }
  const std::wstring temporary = AppFolder(app.platform) + L"velmora.tmp";
  std::optional<std::string> bytes = FetchBytes(app, address, temporary);
  if (!bytes) {
    return Fail(app, L"Check URL: Download failed. (Check parameters.)");
  }
  // Nothing of a script is read before its signature is found good.
  if (const std::optional<std::wstring> fault = UnsignedFault(app, address, *bytes, temporary)) {
    return Fail(app, L"Check URL: " + *fault);
  }
  const std::wstring text = NormalizeLineEnds(DecodeText(*bytes));
  // A page that is no script (an error page, a captive portal) is reported
  // and left alone; it must never stop the program.
  const std::wstring block = ExtractHandler(L"openScript", text);
  const std::wstring body = block == kIncomplete ? L"" : HandlerBody(block);
  if (body.empty()) {
    return Fail(app, L"Check URL: 'openScript' handler not found in script file.");
  }
  const ScriptIdDeclaration declaration = DeclaredScriptId(body);
  if (declaration.identifier.empty()) {
    return Fail(app, declaration.found
                         ? L"Check URL: Script ID is invalid in 'set scriptID' command."
                         : L"Check URL: Couldn't find 'set scriptID' in openScript handler.");
  }
  if (declaration.identifier == app.download.LastID) {
    app.LastResult = L"same";
    return CommandResult::Ok;
  }
  if (!TakeNewScript(app, declaration.identifier, text, std::move(*bytes))) {
    return Fail(app, L"Check URL: Can't keep the script's identifier in '" +
                         std::wstring(kSettingsFileName) + L"'.");
  }
  app.LastResult = L"different";
  return CommandResult::Ok;
}

CommandResult KeepCommand(App& app, const CommandLine& command) {
  if (command.w2 != L"update") {
    return Fail(app, L"Can't understand 'keep' command.");
  }
  if (!app.download.TakenScript) {
    return Fail(app, L"Can't keep update: 'check' has taken no script.");
  }
  // Written beside the start-up script and put in its place in one move, so
  // that a full disk or a quit never leaves half a start-up script.
  const std::wstring boot = AppFolder(app.platform) + L"boot.scp";
  const std::wstring temporary = TemporaryDownloadPath(app, boot);
  if (!app.platform.CreateFileBytes(temporary, *app.download.TakenScript) ||
      !app.platform.MoveFileReplacing(temporary, boot)) {
    app.platform.DeleteFiles(temporary);
    return Fail(app, L"Can't write to file '" + boot + L"'.");
  }
  return CommandResult::Ok;
}

CommandResult SetScriptIdCommand(App& app, const CommandLine& command) {
  const std::wstring identifier = Identifier(command.line);
  if (identifier.empty()) {
    return Fail(app, L"Can't understand 'set scriptID' command.");
  }
  app.download.LastID = identifier;
  return CommandResult::Ok;
}

void SetCommandDrop(App& app, bool on) {
  app.drop.DropOn = on;
  app.platform.SetTimerEnabled(TimerId::Poll, on);
  // The poll stays as the safety net of the watch: a change the folder's
  // watch does not report (a writer that closes its file without changing
  // it again) is seen at the next poll.
  app.platform.WatchFolder(on ? AppFolder(app.platform) : L"", on);
}

CommandResult SetPollingCommand(App& app, const CommandLine& command) {
  const std::optional<double> value = NumberAfterKeyword(command.line, L"to");
  // A negative interval is no interval: refused like a missing one.
  if (!value || *value < 0) {
    return Fail(app, L"Can't understand 'set polling' command.");
  }
  SetCommandDrop(app, false);
  if (*value == 0) {
    return CommandResult::Ok;
  }
  // A longer wish than one tick can count is served once a minute.
  const std::uint32_t interval =
      *value <= kLongestTimerTick ? static_cast<std::uint32_t>(*value) : kMinuteTick;
  app.platform.SetTimerInterval(TimerId::Poll, interval);
  SetCommandDrop(app, true);
  return CommandResult::Ok;
}

} // namespace velmora
