// The show command: balloons, or the script's own substitute on systems
// without them, and the About window.
#include "systray/balloon.hpp"

#include "base/encoding.hpp"
#include "base/system.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/run.hpp"
#include "systray/tray.hpp"

namespace velmora {

namespace {

// In UTF-16 units, as the record's fields count them.
constexpr std::size_t kBalloonTextChars = 255;
constexpr std::size_t kBalloonTitleChars = 63;

std::uint32_t BalloonKindOf(std::wstring_view word) {
  if (word == L"info" || word == L"information") {
    return 1;
  }
  if (word == L"warning") {
    return 2;
  }
  if (word == L"error") {
    return 3;
  }
  return 0;
}

} // namespace

bool HasNativeBalloons(App& app) {
  const OsVersion version = app.platform.GetOsVersion();
  return version.major > 5 || (version.major == 5 && version.minor >= 1);
}

CommandResult ShowCommand(App& app, const CommandLine& command) {
  const std::wstring& word = command.w2;
  const bool balloon = word == L"info" || word == L"information" || word == L"warning" ||
                       word == L"error" || word == L"balloon";
  if (!balloon) {
    // Any other second word is accepted; "about" opens the About window.
    if (word == L"about") {
      ShowAboutWindow(app.platform);
    }
    return CommandResult::Ok;
  }
  const std::uint32_t kind = command.w3 == L"balloon" ? BalloonKindOf(word) : 0;
  const std::wstring message = GetQuotedText(command.line);
  const std::wstring rest = GetTextAfterQuotes(command.line);
  const std::wstring title = rest.empty() ? kNoQuote : GetQuotedText(rest);
  if (message == kNoQuote || title == kNoQuote) {
    return Fail(app, L"Can't understand 'show' command.");
  }
  if (!HasNativeBalloons(app)) {
    // The script shows its message its own way; a handler that is there but
    // fails is reported, a missing one means the script chose to show nothing.
    const RunResult result =
        RunHandler(app, app.handlers[Slot::AltShowBalloon], L"altShowBalloon", Mode::Optional);
    if (result == RunResult::Error || result == RunResult::Incomplete) {
      return Fail(app, L"Can't execute 'altShowBalloon' handler.");
    }
    return CommandResult::Ok;
  }
  app.balloon.BalloonText = CutToUnits(ExpandEscapes(app, message, false), kBalloonTextChars);
  app.balloon.BalloonTitle = CutToUnits(ExpandEscapes(app, title, false), kBalloonTitleChars);
  ShowBalloon(app, kind);
  return CommandResult::Ok;
}

void ShowBalloon(App& app, std::uint32_t kind) {
  PrepareRecordHeader(app);
  TrayIconRecord& record = app.tray.TrayIcon;
  record.uFlags = kNifInfo;
  record.dwInfoFlags = kind;
  record.szInfoTitle = FixedWidth(app.balloon.BalloonTitle, kInfoTitleChars);
  record.szInfo = FixedWidth(app.balloon.BalloonText, kInfoChars);
  app.platform.ShellNotifyIcon(kNimModify, record);
}

} // namespace velmora
