// The smallest tray program that does Velmora's job: a hidden window, one tray
// icon, and a folder poll that takes each dropped *.scp file, writes its first
// line to output.txt and deletes it. The benchmarks measure Velmora against it.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

constexpr UINT kTrayCallback = WM_USER + 1;
constexpr UINT_PTR kPollTimer = 1;

// The folder the program runs from, ending in a backslash: drops and the
// output file live there.
std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path, length);
  return full.substr(0, full.find_last_of('\\') + 1);
}

const std::string& Folder() {
  static const std::string folder = ProgramFolder();
  return folder;
}

void AppendLine(const std::string& line) {
  const HANDLE file =
      CreateFileA((Folder() + "output.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// Reads a whole file, refusing one that a writer still holds open, so a
// half-written drop waits for the next poll.
bool ReadWholeFile(const std::string& path, std::string& text) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  const DWORD size = GetFileSize(file, nullptr);
  text.assign(size == INVALID_FILE_SIZE ? 0 : size, '\0');
  DWORD read = 0;
  const bool ok = text.empty() || ReadFile(file, text.data(), size, &read, nullptr) != FALSE;
  CloseHandle(file);
  text.resize(read);
  return ok;
}

void TakeDrops() {
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA((Folder() + "*.scp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    const std::string path = Folder() + found.cFileName;
    std::string text;
    if (!ReadWholeFile(path, text)) {
      continue;
    }
    AppendLine(text.substr(0, text.find_first_of("\r\n")));
    DeleteFileA(path.c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

NOTIFYICONDATAA TrayRecord(HWND window) {
  NOTIFYICONDATAA record{};
  record.cbSize = sizeof record;
  record.hWnd = window;
  record.uID = 1;
  record.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  record.uCallbackMessage = kTrayCallback;
  record.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
  lstrcpynA(record.szTip, "Baseline", sizeof record.szTip);
  return record;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_TIMER:
    TakeDrops();
    return 0;
  case WM_CLOSE: {
    NOTIFYICONDATAA record = TrayRecord(window);
    Shell_NotifyIconA(NIM_DELETE, &record);
    DestroyWindow(window);
    return 0;
  }
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

} // namespace

// The poll interval in milliseconds is the one argument (500 when absent).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const unsigned long parsed = std::strtoul(commandLine, nullptr, 10);
  const UINT interval = parsed == 0 ? 500 : static_cast<UINT>(parsed);

  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "BaselineHost";
  if (RegisterClassExA(&windowClass) == 0) {
    return 1;
  }
  const HWND window =
      CreateWindowExA(0, "BaselineHost", "Baseline", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 320, 240, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    return 1;
  }
  NOTIFYICONDATAA record = TrayRecord(window);
  Shell_NotifyIconA(NIM_ADD, &record);
  AppendLine("started");
  SetTimer(window, kPollTimer, interval, nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
