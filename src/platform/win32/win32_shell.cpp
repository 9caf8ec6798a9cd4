// The shell, processes, the system cursor, versions, and date and time texts.
#include <windows.h>

#include <objbase.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <iterator>

#include "platform/win32/late_library.hpp"
#include "platform/win32/win32_platform.hpp"

namespace velmora::win32 {

namespace {
// The system cursor slot of the normal arrow.
constexpr DWORD kOcrNormal = 32512;
} // namespace

void Win32Platform::ShellExecuteOpen(const std::wstring& target,
                                     const std::optional<std::wstring>& parameters) {
  // The shell's open verb may hand work to shell extensions, which need COM:
  // started on this thread at the first open, and kept for the program's life.
  if (!comStarted_) {
    if (auto* const initialize =
            LateFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx")) {
      comStarted_ = true;
      initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
  }
  ShellExecuteW(GetDesktopWindow(), L"open", target.c_str(),
                parameters ? parameters->c_str() : nullptr, nullptr, SW_SHOWNORMAL);
}

bool Win32Platform::StartProcess(const std::wstring& commandLine) {
  // The wide call may write into the command line it is given.
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  // The program runs on its own; nothing waits for it.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void Win32Platform::SetSystemArrowCursor(std::uint32_t cursorId) {
  // SetSystemCursor takes ownership of the cursor it is given, so a shared
  // cursor is copied first.
  const HCURSOR shared = LoadCursorW(nullptr, MAKEINTRESOURCEW(cursorId));
  if (shared == nullptr) {
    return;
  }
  const HCURSOR copy = CopyCursor(shared);
  if (copy != nullptr && !SetSystemCursor(copy, kOcrNormal)) {
    DestroyCursor(copy);
  }
}

void Win32Platform::RestoreSystemCursors() {
  SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, 0);
}

OsVersion Win32Platform::GetOsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) {
    return {};
  }
#pragma GCC diagnostic pop
  return {info.dwMajorVersion, info.dwMinorVersion};
}

std::uint32_t Win32Platform::ShlwapiMajorVersion() {
  const UniqueModule shlwapi(LoadLibraryW(L"shlwapi.dll"));
  if (!shlwapi) {
    return 0;
  }
  const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(shlwapi.get(), "DllGetVersion")));
  if (getVersion == nullptr) {
    return 0;
  }
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  return SUCCEEDED(getVersion(&info)) ? info.dwMajorVersion : 0;
}

std::optional<std::uint16_t> Win32Platform::Shell32MajorVersion() {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(L"shell32.dll", &ignored);
  if (size == 0) {
    return std::nullopt;
  }
  std::string block(size, '\0');
  if (!GetFileVersionInfoW(L"shell32.dll", 0, size, block.data())) {
    return std::nullopt;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof *fixed) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(HIWORD(fixed->dwFileVersionMS));
}

std::wstring Win32Platform::ShortDateText() {
  wchar_t buffer[128] = {};
  const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer,
                                    static_cast<int>(std::size(buffer)));
  return length > 0 ? std::wstring(buffer) : L"";
}

std::wstring Win32Platform::LongTimeText() {
  wchar_t buffer[128] = {};
  const int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer,
                                    static_cast<int>(std::size(buffer)));
  return length > 0 ? std::wstring(buffer) : L"";
}

} // namespace velmora::win32
