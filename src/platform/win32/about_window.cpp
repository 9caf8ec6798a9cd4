// The About window: a modeless dialog with the product's name, version and
// a link, which opens through the core's shell routine.
#include <windows.h>

#include <commctrl.h>

#include "platform/win32/late_library.hpp"
#include "platform/win32/resource.h"
#include "platform/win32/win32_platform.hpp"
#include "version.hpp"

namespace velmora::win32 {

INT_PTR CALLBACK Win32Platform::AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
  case WM_INITDIALOG:
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, L"Version " VELMORA_VERSION_STRING);
    return TRUE;
  case WM_COMMAND:
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
      // OK unloads the window: the next "show about" makes it afresh.
      DestroyWindow(dialog);
      if (self != nullptr) {
        self->about_ = nullptr;
      }
      return TRUE;
    }
    return FALSE;
  case WM_NOTIFY: {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_ABOUT_LINK &&
        (header->code == NM_CLICK || header->code == NM_RETURN) && self != nullptr) {
      const auto* link = reinterpret_cast<const NMLINK*>(lParam);
      self->onAboutLink_(link->item.szUrl);
      return TRUE;
    }
    return FALSE;
  }
  default:
    return FALSE;
  }
}

void Win32Platform::CreateAboutWindow() {
  if (about_ != nullptr) {
    return;
  }
  // The link control of the About window is a common control, loaded only
  // for this window.
  if (auto* const initialize =
          LateFunction<decltype(InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx")) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
    initialize(&controls);
  }
  about_ = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutProc,
                              reinterpret_cast<LPARAM>(this));
}

FormGeometry Win32Platform::AboutWindowGeometry() {
  FormGeometry geometry;
  geometry.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  geometry.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT rect{};
  if (about_ == nullptr || !GetWindowRect(about_, &rect)) {
    return geometry;
  }
  geometry.minimized = IsIconic(about_) != FALSE;
  geometry.maximized = IsZoomed(about_) != FALSE;
  geometry.left = rect.left;
  geometry.top = rect.top;
  geometry.width = rect.right - rect.left;
  geometry.height = rect.bottom - rect.top;
  return geometry;
}

void Win32Platform::MoveAboutWindow(int left, int top) {
  SetWindowPos(about_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Platform::ShowAboutWindowModeless() {
  ShowWindow(about_, SW_SHOWNORMAL);
  SetForegroundWindow(about_);
}

} // namespace velmora::win32
