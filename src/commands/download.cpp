// Downloads, update checks that take a newer script from a web address, the
// script's identifier, and how often the command drop looks for scripts.
#include "base/files.hpp"
#include "base/numbers.hpp"
#include "base/system.hpp"
#include "base/text.hpp"
#include "commands/commands.hpp"
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
  explicit DownloadMark(App& app) : app_(app), previous_(app.DownloadBusy) {
    app_.DownloadBusy = true;
  }
  ~DownloadMark() {
    app_.DownloadBusy = previous_;
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
  return target + L"." + std::to_wstring(++app.DownloadCount) + L".download";
}

std::wstring Identifier(std::wstring_view line) {
  return TrimBlanks(LastWord(line), true);
}

// Keeps the identifier of the script taken, for the next start.
void SaveLastId(App& app, const std::wstring& identifier) {
  const std::wstring settings = AppFolder(app) + L"velmora.ini";
  if (!FileExists(app, settings)) {
    app.platform.CreateTextFile(settings, L"[Updates]\r\nLastID=" + identifier + L"\r\n");
    return;
  }
  WriteIniValue(app, L"Updates", L"LastID", identifier, settings);
}

// Reads the downloaded script and removes the temporary file, whatever the
// outcome; gives false when there is nothing to read.
bool TakeTemporaryFile(App& app, const std::wstring& path, std::wstring& text) {
  const bool exists = FileExists(app, path);
  const bool read = exists && app.platform.ReadTextFile(path, text) == ReadStatus::Ok;
  if (exists) {
    app.platform.DeleteFiles(path);
  }
  return read;
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
  const std::wstring path = ResolvePath(app, file);
  // Windows names hold no wildcards; a pattern here would make the clean-up
  // below a search that could take other files.
  if (path.find_first_of(L"*?", FolderOf(path).size()) != std::wstring::npos) {
    return Fail(app, L"Download failed. (Check parameters.)");
  }
  const std::wstring temporary = TemporaryDownloadPath(app, path);
  bool downloaded = false;
  {
    const DownloadMark mark(app);
    SetCursorStyle(app, L"Hourglass");
    downloaded = DownloadFile(app, address, temporary);
    SetCursorStyle(app, L"Normal");
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
  if (!FileExists(app, path)) {
    return Fail(app, L"Download failed. Invalid <filePath> parameter.");
  }
  return CommandResult::Ok;
}

CommandResult CheckCommand(App& app, const CommandLine& command) {
  const std::wstring address = GetQuotedText(command.line);
  if (address == kNoQuote) {
    return Fail(app, L"Can't understand 'check' command.");
  }
  const std::wstring temporary = AppFolder(app) + L"velmora.tmp";
  bool downloaded = false;
  {
    const DownloadMark mark(app);
    downloaded = DownloadFile(app, address, temporary);
  }
  std::wstring raw;
  const bool taken = TakeTemporaryFile(app, temporary, raw);
  if (!downloaded || !taken) {
    return Fail(app, L"Check URL: Download failed. (Check parameters.)");
  }
  app.platform.ForgetUrlCacheEntry(address);
  const std::wstring text = NormalizeLineEnds(raw);
  // A page that is no script (an error page, a captive portal) is reported
  // and left alone; it must never stop the program.
  const std::wstring block = ExtractHandler(app, L"openScript", text, Mode::Optional);
  const std::wstring body = block == kIncomplete ? L"" : HandlerBody(block);
  if (body.empty()) {
    return Fail(app, L"Check URL: 'openScript' handler not found in script file.");
  }
  bool declared = false;
  for (const std::wstring& line : SplitLines(body)) {
    const std::wstring w1 = TrimBlanks(GetItem(line, 1, L' '));
    std::wstring w2 = TrimBlanks(GetItem(line, 2, L' '));
    if (w2 == L"the") {
      w2 = TrimBlanks(GetItem(line, 3, L' '));
    }
    if (w1 != L"set" || w2 != L"scriptID") {
      continue;
    }
    declared = true;
    const std::wstring identifier = Identifier(line);
    if (identifier.empty()) {
      continue;
    }
    if (identifier == app.LastID) {
      app.LastResult = L"same";
      return CommandResult::Ok;
    }
    app.LastID = identifier;
    SaveLastId(app, identifier);
    ParseScript(app, text);
    RunHandler(app, app.handlers[Slot::OpenScript], L"openScript", Mode::Mandatory);
    app.LastResult = L"different";
    return CommandResult::Ok;
  }
  if (declared) {
    return Fail(app, L"Check URL: Script ID is invalid in 'set scriptID' command.");
  }
  return Fail(app, L"Check URL: Couldn't find 'set scriptID' in openScript handler.");
}

CommandResult SetScriptIdCommand(App& app, const CommandLine& command) {
  const std::wstring identifier = Identifier(command.line);
  if (identifier.empty()) {
    return Fail(app, L"Can't understand 'set scriptID' command.");
  }
  app.LastID = identifier;
  return CommandResult::Ok;
}

CommandResult SetPollingCommand(App& app, const CommandLine& command) {
  const std::optional<double> value = NumberAfterKeyword(command.line, L"to");
  // A negative interval is no interval: refused like a missing one.
  if (!value || *value < 0) {
    return Fail(app, L"Can't understand 'set polling' command.");
  }
  app.platform.SetTimerEnabled(TimerId::Poll, false);
  if (*value == 0) {
    return CommandResult::Ok;
  }
  // The timer counts to 65535 ms; a longer wish is served once a minute.
  const std::uint32_t interval =
      *value <= 65535 ? static_cast<std::uint32_t>(*value) : std::uint32_t{60000};
  app.platform.SetTimerInterval(TimerId::Poll, interval);
  app.platform.SetTimerEnabled(TimerId::Poll, true);
  return CommandResult::Ok;
}

} // namespace velmora
