// Start-up, script loading, the command drop and the two ways of quitting.
#include "host/host.hpp"

#include "base/files.hpp"
#include "base/system.hpp"
#include "base/text.hpp"
#include "base/text_files.hpp"
#include "commands/commands.hpp"
#include "commands/update_key.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/run.hpp"
#include "interpreter/script.hpp"
#include "systray/animation.hpp"
#include "systray/menu.hpp"
#include "systray/tray.hpp"

namespace velmora {

namespace {

constexpr std::uint32_t kDefaultTimerInterval = 500;

ReadStatus ReadScript(App& app, const std::wstring& path, std::wstring& text) {
  std::wstring raw;
  const ReadStatus status = ReadTextFile(app.platform, path, raw);
  if (status == ReadStatus::Ok) {
    text = NormalizeLineEnds(raw);
  }
  return status;
}

CommandResult RunScriptText(App& app, const std::wstring& text) {
  ParseScript(app, text);
  const RunResult result =
      RunHandler(app, app.handlers[Slot::OpenScript], L"openScript", Mode::Mandatory);
  // A script without an openScript that runs cannot go on: its message is
  // shown and the program ends. Only an "error" of openScript counts as a
  // failure; "Not found" and "incomplete" do not.
  if (result == RunResult::Fatal) {
    ShutDown(app);
  }
  return result == RunResult::Error ? CommandResult::Error : CommandResult::Ok;
}

std::optional<FileSignature> SignatureOf(App& app, const std::wstring& path) {
  const std::vector<FoundFile> found = SearchFiles(app.platform, path);
  if (found.empty()) {
    return std::nullopt;
  }
  return FileSignature{found.front().size, found.front().lastWrite};
}

// Runs one dropped script and deletes it. A file that cannot be read or
// deleted is reported once, then left alone until it changes, so that it is
// neither reported nor run again at every poll.
void TakeDroppedScript(App& app, const std::wstring& path) {
  const std::optional<FileSignature> signature = SignatureOf(app, path);
  const std::wstring key = UpperCase(path);
  const auto stuck = app.drop.StuckDrops.find(key);
  if (stuck != app.drop.StuckDrops.end()) {
    if (signature && stuck->second == *signature) {
      return;
    }
    app.drop.StuckDrops.erase(stuck);
  }
  std::wstring text;
  const ReadStatus status = ReadScript(app, path, text);
  if (status == ReadStatus::InUse) {
    // Still being written: taken at a later poll, once its writer is done.
    return;
  }
  if (status == ReadStatus::Failed) {
    app.drop.StuckDrops[key] = signature.value_or(FileSignature{});
    ReportScriptError(app, L"Can't read script file '" + path + L"'.");
    return;
  }
  app.drop.DropRunning = true;
  RunScriptText(app, text);
  app.drop.DropRunning = false;
  // A script that deleted its own file (or whose sender took it back) has
  // left nothing to delete: that is no failure.
  if (!app.platform.DeleteFiles(path) && !SearchFiles(app.platform, path).empty()) {
    app.drop.StuckDrops[key] = SignatureOf(app, path).value_or(FileSignature{});
    ReportScriptError(app, L"Can't delete file '" + path + L"'.");
  }
}

// The three timers start stopped, each with an interval of half a second,
// so that the command drop, once on, looks for scripts twice a second until
// a script sets its polling.
void SetTimerDefaults(App& app) {
  for (const TimerId timer : {TimerId::Swap, TimerId::Poll, TimerId::TimerEvent}) {
    app.platform.SetTimerEnabled(timer, false);
    app.platform.SetTimerInterval(timer, kDefaultTimerInterval);
  }
}

} // namespace

void StartUp(App& app) {
  SetTimerDefaults(app);
  app.SilentErrors = false;
  app.download.DownloadBusy = false;
  const std::wstring settings = AppFolder(app.platform) + kSettingsFileName;
  app.download.LastID = FileExists(app.platform, settings)
                            ? ReadIniValue(app.platform, L"Updates", L"LastID", settings)
                            : L"";
  LoadUpdateKey(app);
  const std::wstring boot = AppFolder(app.platform) + L"boot.scp";
  AddTrayIcon(app);
  if (!FileExists(app.platform, boot)) {
    app.platform.ShowMessageBox(L"Cannot locate 'boot.scp' script file. Velmora cannot continue.",
                                L"File Missing", kBoxIconError);
    Quit(app);
    return;
  }
  // A start-up script that cannot be read (held open by another program, no
  // permission) ends the program like a missing one: running on without it
  // would leave an icon that does nothing and cannot be closed.
  std::wstring text;
  if (ReadScript(app, boot, text) != ReadStatus::Ok) {
    app.platform.ShowMessageBox(L"Cannot read 'boot.scp' script file. Velmora cannot continue.",
                                L"File Unreadable", kBoxIconError);
    Quit(app);
    return;
  }
  // A start-up script that fails leaves the command drop off until a script
  // turns polling on; one that ended the program (no openScript, or a quit
  // in it) leaves it off for good.
  if (RunScriptText(app, text) != CommandResult::Error && !app.Closing) {
    SetCommandDrop(app, true);
  }
  app.platform.HideHostWindow();
}

void CheckForCommands(App& app) {
  // No dropped script runs during a download, nor inside another dropped
  // script that waits in a dialog (it would find its own file not yet gone),
  // nor once the program has begun to close.
  if (app.download.DownloadBusy || app.drop.DropRunning || app.Closing) {
    return;
  }
  const std::wstring list = ListFilesByExtension(app.platform, L"", L".scp");
  for (const std::wstring& name : SplitLines(list)) {
    // The start-up script is never a dropped one, however its name is
    // written: start-up finds it in any letter case, so must the drop.
    if (name == kAbsent || LowerCase(name) == L"boot.scp") {
      continue;
    }
    const std::wstring path = AppFolder(app.platform) + name;
    if (!FileExists(app.platform, path)) {
      continue;
    }
    TakeDroppedScript(app, path);
    // A script that quit ends the poll: the files after it stay for the next
    // start, rather than run (and ask questions no one can answer) while
    // the program closes.
    if (app.Closing) {
      return;
    }
  }
}

void PollTimer_Timer(App& app) {
  CheckForCommands(app);
}

void DeliverFolderChange(App& app) {
  // A change reported just before the drop was turned off takes nothing.
  if (!app.drop.DropOn) {
    return;
  }
  const EventScope event(app);
  CheckForCommands(app);
}

void DeliverTick(App& app, TimerId timer) {
  const EventScope event(app);
  switch (timer) {
  case TimerId::Swap:
    SwapTimer_Timer(app);
    break;
  case TimerId::Poll:
    PollTimer_Timer(app);
    break;
  case TimerId::TimerEvent:
    TimerEventTimer_Timer(app);
    break;
  }
}

void mFile_Click(App& app, int index) {
  if (ChooseMenuItem(app, index) == MenuChoice::Quit) {
    Quit(app);
  }
}

void Quit(App& app) {
  app.Closing = true;
  app.platform.SetTimerEnabled(TimerId::Swap, false);
  SetCommandDrop(app, false);
  app.platform.PostCloseToHost();
}

void Form_Unload(App& app) {
  app.Closing = true;
  RemoveTrayIcon(app);
  // Every way out puts back the user's cursors, so no busy arrow outlives us.
  SetCursorStyle(app.platform, L"Normal");
}

} // namespace velmora
