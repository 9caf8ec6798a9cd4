// The commands that change the icon's look: set icon and set tooltip.
#include "base/encoding.hpp"
#include "base/files.hpp"
#include "base/system.hpp"
#include "interpreter/escapes.hpp"
#include "systray/tray.hpp"

namespace velmora {

CommandResult SetIconCommand(App& app, const CommandLine& command) {
  // A new icon ends any flashing or swapping, also when the line is wrong.
  app.platform.SetTimerEnabled(TimerId::Swap, false);
  const std::wstring file = GetQuotedText(command.line);
  if (file == kNoQuote) {
    return Fail(app, L"Can't understand 'set icon' command.");
  }
  const std::wstring path = ResolvePath(app.platform, file);
  if (!FileExists(app.platform, path)) {
    return Fail(app, L"Can't understand 'set' command. (File '" + file + L"' doesn't exist.)");
  }
  // A file that is no picture keeps the current icon rather than showing a
  // blank one as if it had worked.
  const IconHandle icon = app.platform.LoadFormIconFromFile(path);
  if (icon == 0) {
    return Fail(app, L"Can't understand 'set icon' command.");
  }
  app.animation.FirstIconFile = path;
  app.animation.ShownIconFile = path;
  app.tray.TrayIcon.hIcon = icon;
  app.tray.TrayIcon.uFlags = kNifMessageIconTip;
  app.platform.ShellNotifyIcon(kNimModify, app.tray.TrayIcon);
  return CommandResult::Ok;
}

CommandResult SetTooltipCommand(App& app, const CommandLine& command) {
  const std::wstring text = GetQuotedText(command.line);
  if (text == kNoQuote) {
    return Fail(app, L"Can't understand 'set tooltip' command.");
  }
  // Older shells show 63 characters (UTF-16 units, as the record counts). The cut comes before the
  // expansion, so escapes and placeholders can make the text longer again.
  const std::size_t limit = IsShlwapi5OrLater(app.platform) ? 127 : 63;
  app.tray.TooltipText = ExpandEscapes(app, CutToUnits(text, limit), false);
  app.tray.TrayIcon.szTip = FixedWidth(app.tray.TooltipText, kTipChars);
  app.tray.TrayIcon.uFlags = kNifMessageIconTip;
  app.platform.ShellNotifyIcon(kNimModify, app.tray.TrayIcon);
  return CommandResult::Ok;
}

} // namespace velmora
