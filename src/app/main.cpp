// The program's entry: the hidden host window "Form1", its message loop, and
// the routing of its messages to the core's event routines.
#include <windows.h>

#include "base/system.hpp"
#include "host/host.hpp"
#include "platform/win32/win32_platform.hpp"
#include "systray/tray.hpp"

namespace {

using velmora::App;
using velmora::win32::Win32Platform;

constexpr wchar_t kHostClass[] = L"VelmoraHost";

// The shell sends this message to every top-level window when the taskbar
// is created anew, as after Explorer restarts.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

App* AppOf(HWND window) {
  return reinterpret_cast<App*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The icon's callbacks: the core decides what each event does.
LRESULT OnTrayCallback(App& app, LPARAM event) {
  velmora::TrayWindowProc(app, event);
  return 0;
}

LRESULT OnTimer(App& app, WPARAM timerId) {
  for (const velmora::TimerId timer :
       {velmora::TimerId::Swap, velmora::TimerId::Poll, velmora::TimerId::TimerEvent}) {
    if (timerId == velmora::win32::TimerEventId(timer)) {
      velmora::DeliverTick(app, timer);
    }
  }
  return 0;
}

LRESULT OnCommand(App& app, WPARAM wParam) {
  const UINT id = LOWORD(wParam);
  if (HIWORD(wParam) == 0 && id > velmora::win32::kMenuCommandBase) {
    velmora::mFile_Click(app, static_cast<int>(id - velmora::win32::kMenuCommandBase));
  }
  return 0;
}

LRESULT OnClose(App& app, HWND window) {
  velmora::Form_Unload(app);
  DestroyWindow(window);
  return 0;
}

LRESULT OnEndSession(App& app, WPARAM ending) {
  if (ending) {
    velmora::ShutDown(app);
  }
  return 0;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  App* app = AppOf(window);
  if (app == nullptr) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == TaskbarCreatedMessage()) {
    velmora::RestoreTrayIcon(*app);
    return 0;
  }
  switch (message) {
  case velmora::kTrayCallbackMessage:
    return OnTrayCallback(*app, lParam);
  case WM_TIMER:
    return OnTimer(*app, wParam);
  case WM_COMMAND:
    return OnCommand(*app, wParam);
  case WM_CLOSE:
    return OnClose(*app, window);
  case WM_ENDSESSION:
    return OnEndSession(*app, wParam);
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND CreateHostWindow(HINSTANCE instance, App& app) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  windowClass.lpszClassName = kHostClass;
  if (RegisterClassExW(&windowClass) == 0) {
    return nullptr;
  }
  return CreateWindowExW(0, kHostClass, L"Form1", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                         320, 240, nullptr, nullptr, instance, &app);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  App* linkTarget = nullptr;
  Win32Platform platform(instance, [&linkTarget](const std::wstring& url) {
    velmora::ShellOpen(linkTarget->platform, url);
  });
  App app(platform);
  linkTarget = &app;

  const HWND window = CreateHostWindow(instance, app);
  if (window == nullptr) {
    return 1;
  }
  platform.AttachHostWindow(window);
  velmora::StartUp(app);

  return platform.RunMessageLoop([&app] { velmora::DeliverFolderChange(app); });
}
