// The Platform over the real Windows services: thin calls in their wide
// (UTF-16) form, so that every text and path reaches Windows whole; results
// checked, handles owned.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "platform/platform.hpp"
#include "platform/win32/handles.hpp"

namespace velmora::win32 {

// Menu item n of the pop-up menu sends this command id plus n.
constexpr UINT kMenuCommandBase = 1000;

// The WM_TIMER id of each timer control.
constexpr UINT_PTR TimerEventId(TimerId timer) {
  return static_cast<UINT_PTR>(timer) + 1;
}

class Win32Platform : public Platform {
public:
  // onAboutLink opens a link of the About window.
  Win32Platform(HINSTANCE instance, std::function<void(const std::wstring&)> onAboutLink);

  // The hidden host window, once created, with the icons of the program's
  // resources.
  void AttachHostWindow(HWND window);
  // Runs the loop's work for one message: dialog keys, then dispatch.
  void DispatchOne(MSG& message);
  // The program's message loop, which also waits on the watched folder and
  // calls onFolderChange when it changes; gives the exit code of WM_QUIT.
  int RunMessageLoop(const std::function<void()>& onFolderChange);

  int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                     std::uint32_t style) override;
  void DefaultBeep() override;
  bool ShellNotifyIcon(std::uint32_t message, const TrayIconRecord& record) override;
  WindowHandle HostWindow() override;
  void HideHostWindow() override;
  void PostCloseToHost() override;
  void PostToHost(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void SetForegroundHostWindow() override;
  IconHandle FormIcon() override;
  IconHandle LoadFormIconFromFile(const std::wstring& path) override;
  IconHandle SetBlankFormIcon() override;
  void SetTimerInterval(TimerId timer, std::uint32_t milliseconds) override;
  std::uint32_t TimerInterval(TimerId timer) override;
  void SetTimerEnabled(TimerId timer, bool enabled) override;
  void SetMenuItems(const std::vector<MenuItem>& items) override;
  void PopupMenu() override;
  std::wstring ProgramFolder() override;
  ReadStatus ReadFileBytes(const std::wstring& path, std::string& bytes) override;
  bool AppendFileBytes(const std::wstring& path, std::string_view bytes) override;
  bool CreateFileBytes(const std::wstring& path, std::string_view bytes) override;
  void WatchFolder(const std::wstring& folder, bool on) override;
  bool DeleteFiles(const std::wstring& pattern) override;
  bool MoveFileReplacing(const std::wstring& source, const std::wstring& target) override;
  std::vector<FoundFile> FindFiles(const std::wstring& pattern) override;
  std::wstring ShortPathName(const std::wstring& path) override;
  std::wstring ReadProfileString(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& defaultValue, std::uint32_t size,
                                 const std::wstring& file) override;
  bool WriteProfileValue(const std::wstring& section, const std::wstring& key,
                         const std::wstring& value, const std::wstring& file) override;
  bool DownloadUrlToFile(const std::wstring& url, const std::wstring& path) override;
  bool ForgetUrlCacheEntry(const std::wstring& url) override;
  p256::Verdict VerifySignature(std::string_view publicKey, std::string_view data,
                                std::string_view signature) override;
  void ShellExecuteOpen(const std::wstring& target,
                        const std::optional<std::wstring>& parameters) override;
  bool StartProcess(const std::wstring& commandLine) override;
  void SetSystemArrowCursor(std::uint32_t cursorId) override;
  void RestoreSystemCursors() override;
  OsVersion GetOsVersion() override;
  std::uint32_t ShlwapiMajorVersion() override;
  std::optional<std::uint16_t> Shell32MajorVersion() override;
  std::wstring ShortDateText() override;
  std::wstring LongTimeText() override;
  void CreateAboutWindow() override;
  FormGeometry AboutWindowGeometry() override;
  void MoveAboutWindow(int left, int top) override;
  void ShowAboutWindowModeless() override;

private:
  // Stopped, with an interval that never ticks, until the core sets it up.
  struct TimerControl {
    std::uint32_t interval = 0;
    bool enabled = false;
  };

  void ApplyTimer(TimerId timer);
  void SetFormIcon(UniqueHicon icon);
  static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  std::function<void(const std::wstring&)> onAboutLink_;
  HWND host_ = nullptr;
  HWND about_ = nullptr;
  UniqueHicon formIcon_;
  UniqueHicon bigFormIcon_;
  UniqueMenu menu_;
  std::array<TimerControl, 3> timers_{};
  UniqueChange folderChange_;
  bool comStarted_ = false;
};

} // namespace velmora::win32
