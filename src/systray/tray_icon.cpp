// The tray record: its size for the shell at hand, adding and removing the
// icon, and the quit sequence that removes it.
#include "base/encoding.hpp"
#include "base/system.hpp"
#include "commands/commands.hpp"
#include "systray/tray.hpp"

namespace velmora {

// The first tray operation that finds no size chosen chooses it.
void PrepareRecordHeader(App& app) {
  if (app.tray.TrayRecordSize == 0) {
    ChooseTrayRecordSize(app);
  }
  app.tray.TrayIcon.cbSize = app.tray.TrayRecordSize;
  app.tray.TrayIcon.hWnd = app.platform.HostWindow();
  app.tray.TrayIcon.uID = kTrayIconId;
}

std::wstring FixedWidth(std::wstring_view text, std::size_t width) {
  std::wstring field(CutToUnits(text, width - 1));
  field.resize(width, L'\0');
  return field;
}

bool ShellVersionAtLeast(App& app, std::uint16_t major) {
  const std::optional<std::uint16_t> version = app.platform.Shell32MajorVersion();
  return version && *version >= major;
}

void ChooseTrayRecordSize(App& app) {
  if (ShellVersionAtLeast(app, 6)) {
    app.tray.TrayRecordSize = kTrayRecordSizeV6;
  } else if (ShellVersionAtLeast(app, 5)) {
    app.tray.TrayRecordSize = kTrayRecordSizeV5;
  } else {
    app.tray.TrayRecordSize = kTrayRecordSizeOld;
  }
}

void AddTrayIcon(App& app) {
  PrepareRecordHeader(app);
  TrayIconRecord& record = app.tray.TrayIcon;
  record.uFlags = kNifMessageIconTip;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = app.platform.FormIcon();
  record.szTip = FixedWidth(L"Velmora", kTipChars);
  record.dwState = 0;
  // The shell's version 3 behaviour; the same field is a balloon's time-out.
  record.uTimeoutOrVersion = 3;
  if (!app.platform.ShellNotifyIcon(kNimAdd, record)) {
    return;
  }
  app.platform.ShellNotifyIcon(kNimSetVersion, record);
}

void RestoreTrayIcon(App& app) {
  // The taskbar was made anew (Explorer restarted) and has forgotten the icon:
  // it comes back with the picture shown now and the current tip.
  PrepareRecordHeader(app);
  TrayIconRecord record = app.tray.TrayIcon;
  record.uFlags = kNifMessageIconTip;
  record.hIcon = app.platform.FormIcon();
  if (!app.platform.ShellNotifyIcon(kNimAdd, record)) {
    return;
  }
  app.platform.ShellNotifyIcon(kNimSetVersion, record);
}

void RemoveTrayIcon(App& app) {
  PrepareRecordHeader(app);
  app.platform.ShellNotifyIcon(kNimDelete, app.tray.TrayIcon);
}

void ShutDown(App& app) {
  app.Closing = true;
  SetCursorStyle(app.platform, L"Normal");
  app.platform.SetTimerEnabled(TimerId::Swap, false);
  SetCommandDrop(app, false);
  app.platform.SetTimerEnabled(TimerId::TimerEvent, false);
  RemoveTrayIcon(app);
  app.platform.PostCloseToHost();
}

} // namespace velmora
