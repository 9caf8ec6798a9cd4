// The host window's services: boxes, the tray call, the form icon, the three
// timers and the pop-up menu.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/picture.hpp"
#include "platform/win32/tray_log.hpp"
#include "platform/win32/win32_platform.hpp"

namespace velmora::win32 {

namespace {

// The shell reads our mirror of its record: every field must sit where the
// shell's own declaration puts it, and the record sizes must be the shell's.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
static_assert(offsetof(NotifyIconDataLayout, hWnd) == offsetof(NOTIFYICONDATAW, hWnd));
static_assert(offsetof(NotifyIconDataLayout, hIcon) == offsetof(NOTIFYICONDATAW, hIcon));
static_assert(offsetof(NotifyIconDataLayout, szTip) == offsetof(NOTIFYICONDATAW, szTip));
static_assert(offsetof(NotifyIconDataLayout, szInfo) == offsetof(NOTIFYICONDATAW, szInfo));
static_assert(offsetof(NotifyIconDataLayout, uTimeoutOrVersion) ==
              offsetof(NOTIFYICONDATAW, uTimeout));
static_assert(offsetof(NotifyIconDataLayout, szInfoTitle) ==
              offsetof(NOTIFYICONDATAW, szInfoTitle));
static_assert(offsetof(NotifyIconDataLayout, dwInfoFlags) ==
              offsetof(NOTIFYICONDATAW, dwInfoFlags));
static_assert(offsetof(NotifyIconDataLayout, guidItem) == offsetof(NOTIFYICONDATAW, guidItem));
static_assert(kTrayRecordSizeV6 == NOTIFYICONDATAW_V3_SIZE &&
              kTrayRecordSizeV5 == NOTIFYICONDATAW_V2_SIZE &&
              kTrayRecordSizeOld == NOTIFYICONDATAW_V1_SIZE);

// Copies a fixed-width text field into the shell's field, always leaving it
// NUL-terminated: a text that fills the whole field loses its last unit, and
// the lead unit of a surrogate pair never stays behind without its partner.
template <std::size_t N> void CopyField(char16_t (&field)[N], const std::wstring& text) {
  std::size_t length = std::min({text.find(L'\0'), text.size(), N - 1});
  if (length > 0 && IS_HIGH_SURROGATE(text[length - 1])) {
    --length;
  }
  std::memcpy(field, text.data(), length * sizeof(char16_t));
  field[length] = u'\0';
}

} // namespace

Win32Platform::Win32Platform(HINSTANCE instance,
                             std::function<void(const std::wstring&)> onAboutLink)
    : instance_(instance), onAboutLink_(std::move(onAboutLink)) {}

void Win32Platform::AttachHostWindow(HWND window) {
  host_ = window;
  const int small = GetSystemMetrics(SM_CXSMICON);
  const int big = GetSystemMetrics(SM_CXICON);
  bigFormIcon_.reset(static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, big, big, LR_DEFAULTCOLOR)));
  SendMessageW(host_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigFormIcon_.get()));
  SetFormIcon(UniqueHicon(static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, small, small, LR_DEFAULTCOLOR))));
  for (TimerId timer : {TimerId::Swap, TimerId::Poll, TimerId::TimerEvent}) {
    ApplyTimer(timer);
  }
}

int Win32Platform::RunMessageLoop(const std::function<void()>& onFolderChange) {
  for (;;) {
    HANDLE change = folderChange_.get();
    const DWORD handles = folderChange_ ? 1 : 0;
    // Messages already in the queue count as input too, so none waits for
    // the next one to arrive.
    if (MsgWaitForMultipleObjectsEx(handles, &change, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
            WAIT_OBJECT_0 &&
        handles == 1) {
      // Rearmed first: a change made while the scripts are taken signals
      // again, so a burst costs one pickup and none is missed.
      FindNextChangeNotification(change);
      onFolderChange();
    }
    // The queue is emptied after every wake, so a folder that keeps changing
    // never holds up the program's messages.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        return static_cast<int>(message.wParam);
      }
      DispatchOne(message);
    }
  }
}

void Win32Platform::DispatchOne(MSG& message) {
  if (about_ != nullptr && IsDialogMessageW(about_, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

// The core's message-box numbers are Windows' own.
static_assert(kBoxOk == MB_OK && kBoxOkCancel == MB_OKCANCEL && kBoxYesNoCancel == MB_YESNOCANCEL &&
              kBoxYesNo == MB_YESNO);
static_assert(kBoxIconError == MB_ICONERROR && kBoxIconQuestion == MB_ICONQUESTION &&
              kBoxIconWarning == MB_ICONWARNING && kBoxIconInfo == MB_ICONINFORMATION);
static_assert(kButtonOk == IDOK && kButtonCancel == IDCANCEL && kButtonYes == IDYES &&
              kButtonNo == IDNO);

int Win32Platform::ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                  std::uint32_t style) {
  // A tray program has no window in front: the box brings itself forward.
  return MessageBoxW(nullptr, text.c_str(), caption.c_str(), style | MB_SETFOREGROUND);
}

void Win32Platform::DefaultBeep() {
  MessageBeep(MB_OK);
}

bool Win32Platform::ShellNotifyIcon(std::uint32_t message, const TrayIconRecord& record) {
  NotifyIconDataLayout data{};
  data.cbSize = record.cbSize;
  data.hWnd = record.hWnd;
  data.uID = record.uID;
  data.uFlags = record.uFlags;
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = record.hIcon;
  CopyField(data.szTip, record.szTip);
  data.dwState = record.dwState;
  data.dwStateMask = record.dwStateMask;
  CopyField(data.szInfo, record.szInfo);
  data.uTimeoutOrVersion = record.uTimeoutOrVersion;
  CopyField(data.szInfoTitle, record.szInfoTitle);
  data.dwInfoFlags = record.dwInfoFlags;
  const BOOL result = Shell_NotifyIconW(message, reinterpret_cast<PNOTIFYICONDATAW>(&data));
  LogTrayCall(message, data, result);
  return result != FALSE;
}

WindowHandle Win32Platform::HostWindow() {
  return reinterpret_cast<WindowHandle>(host_);
}

void Win32Platform::HideHostWindow() {
  ShowWindow(host_, SW_HIDE);
}

void Win32Platform::PostCloseToHost() {
  PostMessageW(host_, WM_CLOSE, 0, 0);
}

void Win32Platform::PostToHost(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  PostMessageW(host_, message, wParam, lParam);
}

void Win32Platform::SetForegroundHostWindow() {
  SetForegroundWindow(host_);
}

IconHandle Win32Platform::FormIcon() {
  return reinterpret_cast<IconHandle>(formIcon_.get());
}

void Win32Platform::SetFormIcon(UniqueHicon icon) {
  SendMessageW(host_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
  // The shell keeps its own copy of a tray icon, so the old one can go.
  formIcon_ = std::move(icon);
}

IconHandle Win32Platform::LoadFormIconFromFile(const std::wstring& path) {
  UniqueHicon icon = LoadPictureAsIcon(path, GetSystemMetrics(SM_CXSMICON));
  if (!icon) {
    return 0;
  }
  SetFormIcon(std::move(icon));
  return FormIcon();
}

IconHandle Win32Platform::SetBlankFormIcon() {
  SetFormIcon(MakeBlankIcon(GetSystemMetrics(SM_CXSMICON)));
  return FormIcon();
}

void Win32Platform::ApplyTimer(TimerId timer) {
  const TimerControl& control = timers_[static_cast<std::size_t>(timer)];
  if (host_ == nullptr) {
    return;
  }
  // Like a timer control: changing either setting restarts the count, and an
  // interval of 0 never ticks.
  KillTimer(host_, TimerEventId(timer));
  if (control.enabled && control.interval > 0) {
    SetTimer(host_, TimerEventId(timer), control.interval, nullptr);
  }
}

void Win32Platform::SetTimerInterval(TimerId timer, std::uint32_t milliseconds) {
  timers_[static_cast<std::size_t>(timer)].interval = milliseconds;
  ApplyTimer(timer);
}

std::uint32_t Win32Platform::TimerInterval(TimerId timer) {
  return timers_[static_cast<std::size_t>(timer)].interval;
}

void Win32Platform::SetTimerEnabled(TimerId timer, bool enabled) {
  TimerControl& control = timers_[static_cast<std::size_t>(timer)];
  if (control.enabled == enabled) {
    return;
  }
  control.enabled = enabled;
  ApplyTimer(timer);
}

void Win32Platform::SetMenuItems(const std::vector<MenuItem>& items) {
  menu_.reset(CreatePopupMenu());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const UINT flags = MF_STRING | (items[i].enabled ? MF_ENABLED : MF_GRAYED);
    AppendMenuW(menu_.get(), flags, kMenuCommandBase + i + 1, items[i].caption.c_str());
  }
}

void Win32Platform::PopupMenu() {
  if (!menu_) {
    return;
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  // The menu closes when the user clicks elsewhere only if our window is in
  // front while it is open, and the posted message lets it close at once.
  SetForegroundWindow(host_);
  TrackPopupMenu(menu_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, host_, nullptr);
  PostMessageW(host_, WM_NULL, 0, 0);
}

} // namespace velmora::win32
