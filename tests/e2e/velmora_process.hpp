// The end-to-end harness: a real velmora.exe in a folder of its own, driven from outside as the
// shell and a user reach it, and programs beside it. Paths may hold any name; texts are UTF-8.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace velmora::e2e {

namespace fs = std::filesystem;
using Duration = std::chrono::milliseconds;
using Lines = std::vector<std::string>;

// Long enough for Wine on a busy two-core machine; a passing test never waits this long.
constexpr Duration kDeadline{15000};

inline bool WaitUntil(const std::function<bool()>& condition, Duration timeout = kDeadline) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (; !condition(); std::this_thread::sleep_for(Duration{10})) {
    if (std::chrono::steady_clock::now() > deadline) {
      return condition();
    }
  }
  return true;
}

inline std::string ScriptText(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

// A file's bytes ("" when absent), read while the program may append to it.
inline std::string FileText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool Exists(const fs::path& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline Lines FileLines(const fs::path& path) {
  Lines lines;
  std::istringstream text(FileText(path));
  for (std::string line; std::getline(text, line);) {
    lines.push_back(line.substr(0, line.size() - (!line.empty() && line.back() == '\r')));
  }
  return lines;
}

// The unpacked release under test, from VELMORA_E2E_RELEASE; "" for the test build.
inline std::string ReleaseFolder() {
  const char* folder = std::getenv("VELMORA_E2E_RELEASE");
  return folder == nullptr || *folder == '\0' ? "" : std::string(folder) + "\\";
}

inline fs::path BesideTestProgram(const std::string& name) {
  wchar_t self[MAX_PATH];
  return fs::path(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)))
      .replace_filename(name);
}

// True for the test build, whose velmora.exe logs every tray record it sends.
inline bool TrayLogged() {
  return ReleaseFolder().empty();
}

// velmora.exe or velmoractl.exe from the release, else beside this program.
inline fs::path ProgramPath(const std::string& name) {
  return TrayLogged() ? BesideTestProgram(name) : fs::path(ReleaseFolder() + name);
}

#define REQUIRE_TRAY_LOG()                                                                         \
  if (!::velmora::e2e::TrayLogged())                                                               \
  GTEST_SKIP() << "reads the tray record, which only the test build logs"

// A program started at once, in this folder (empty for the test's own), with its standard output
// and error in one pipe; ended if it still runs when this goes.
class Child {
public:
  explicit Child(const std::string& commandLine, const fs::path& folder = {}) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    if (!CreatePipe(&read_, &write, &inherit, 0)) {
      return;
    }
    SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = write;
    std::wstring wide = fs::u8path(commandLine).wstring(); // UTF-8 to UTF-16, as paths convert
    if (CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &info_)) {
      CloseHandle(info_.hThread);
    }
    CloseHandle(write); // the child has its own
  }
  ~Child() {
    if (info_.hProcess != nullptr) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, INFINITE);
      CloseHandle(info_.hProcess);
    }
    CloseHandle(read_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  DWORD Id() const { return info_.dwProcessId; }

  // Waits for the exit, takes its code and output (CR LF read as LF); false if it overstays.
  bool Finish(Duration timeout = kDeadline) {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
      return false;
    }
    GetExitCodeProcess(info_.hProcess, &exitCode);
    // Only what is there: a program it started (the desktop, say) may keep the pipe open.
    char buffer[512];
    for (DWORD got = 0, size = 0; PeekNamedPipe(read_, nullptr, 0, nullptr, &size, nullptr) &&
                                  size > 0 &&
                                  ReadFile(read_, buffer, sizeof buffer, &got, nullptr);) {
      output.append(buffer, got);
    }
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    return true;
  }

  DWORD exitCode = STILL_ACTIVE;
  std::string output;

private:
  PROCESS_INFORMATION info_{};
  HANDLE read_ = nullptr;
};

// A Shell_NotifyIconA call as the test build logs it: "msg", "result", the record's fields.
using TrayCall = std::map<std::string, std::string>;

constexpr char kNimModify[] = "1";
constexpr char kNimDelete[] = "2";
// The flags of a call that changes the picture alone, as a flash or swap tick does.
constexpr char kNifIconOnly[] = "2";

struct MessageBoxWindow {
  HWND window = nullptr;
  std::string caption, text;
  std::vector<int> buttons; // control ids of the visible buttons, e.g. IDOK
};

class VelmoraProcess {
public:
  // A fresh folder (named so) under the temp folder, with velmora.exe and boot.scp if given.
  explicit VelmoraProcess(const std::optional<std::string>& bootScript,
                          const fs::path& folderName = "app") {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetLongPathNameW(temp, temp, MAX_PATH); // the program names its folder so
    root_ = fs::path(temp) / ("velmora-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(++counter));
    appFolder_ = root_ / folderName;
    trayLog_ = root_ / "tray.log";
    fs::create_directories(appFolder_);
    fs::copy_file(ProgramPath("velmora.exe"), AppPath("velmora.exe"));
    if (bootScript) {
      WriteAppFile("boot.scp", *bootScript);
    }
  }
  // The velmora.exe of a release, run in its folder, which is left as it is.
  struct InPlace {
    fs::path folder;
  };
  explicit VelmoraProcess(const InPlace& release) : appFolder_(release.folder) {}
  ~VelmoraProcess() {
    process_.reset(); // ends the program before its folder goes
    if (std::error_code ignored; !root_.empty()) {
      fs::remove_all(root_, ignored);
    }
  }

  // Starts velmora.exe and waits until its icon is in the tray and its window answers a sent
  // message, which it takes only once it waits for messages, in its loop or in a box.
  bool Start() {
    SetEnvironmentVariableW(L"VELMORA_TRAY_LOG", trayLog_.empty() ? nullptr : trayLog_.c_str());
    process_.emplace("\"" + AppPath("velmora.exe").u8string() + "\"", appFolder_);
    DWORD_PTR ignored = 0;
    return WaitUntil([this] {
             const std::vector<HWND> host = Windows(nullptr, L"Form1");
             window_ = host.empty() ? nullptr : host.front();
             return IconInTray() && (!TrayLogged() || !TrayCalls().empty());
           }) &&
           SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL,
                               static_cast<UINT>(kDeadline.count()), &ignored) != 0;
  }

  void PostTrayCallback(LPARAM code) const { PostMessageA(window_, kTrayMessage, kIconId, code); }

  // Modifying nothing of an icon succeeds only for an icon the shell holds.
  bool IconInTray() const {
    NOTIFYICONDATAA probe{};
    probe.cbSize = sizeof probe;
    probe.hWnd = window_;
    probe.uID = kIconId;
    return window_ != nullptr && Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
  }

  std::vector<MessageBoxWindow> OpenBoxes() const {
    std::vector<MessageBoxWindow> boxes;
    for (HWND window : Windows(L"#32770", nullptr)) {
      boxes.push_back({window, WindowText(window), WindowText(GetDlgItem(window, 0xFFFF)), {}});
      for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        if (IsWindowVisible(GetDlgItem(window, id))) {
          boxes.back().buttons.push_back(id);
        }
      }
    }
    return boxes;
  }

  std::optional<MessageBoxWindow> WaitForBox() const {
    std::vector<MessageBoxWindow> boxes;
    return WaitUntil([&] { return !(boxes = OpenBoxes()).empty(); }) ? std::optional(boxes[0])
                                                                     : std::nullopt;
  }

  // Presses a button the way a click does, then waits until the box is gone.
  bool PressButton(const MessageBoxWindow& box, int buttonId) const {
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.window, buttonId)));
    return WaitUntil([&] { return !IsWindow(box.window); });
  }

  // Presses this button on the next box; gives "caption|text", or "no box".
  std::string Answer(int buttonId) const {
    const std::optional<MessageBoxWindow> box = WaitForBox();
    return box && PressButton(*box, buttonId) ? box->caption + "|" + box->text : "no box";
  }

  // Clicks the icon so and chooses item n (from 1) of its menu with the keyboard.
  bool ChooseMenuItem(int item, LPARAM mouseCode = WM_RBUTTONDOWN) const {
    PostTrayCallback(mouseCode);
    const auto menuOpen = [this] { return !Windows(L"#32768", nullptr).empty(); };
    if (!WaitUntil(menuOpen)) {
      return false;
    }
    // Nothing is selected when the menu opens: Down n times reaches item n.
    for (int i = 0; i <= item; ++i) {
      INPUT inputs[2] = {};
      inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
      inputs[0].ki.wVk = inputs[1].ki.wVk = i < item ? VK_DOWN : VK_RETURN;
      inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, inputs, sizeof(INPUT));
    }
    return WaitUntil([&] { return !menuOpen(); });
  }

  bool WriteAppFile(const fs::path& name, const std::string& text) const {
    std::ofstream file(AppPath(name), std::ios::binary);
    return static_cast<bool>(file << text << std::flush);
  }

  // Writes a script as .part and renames it, so the program never sees it half-written. A script of
  // the same name still waiting or running is waited for first: the program deletes a script only
  // after running it.
  bool Drop(const fs::path& name, const std::string& text) const {
    const std::wstring part = name.wstring() + L".part";
    return WaitUntil([&] { return !Exists(AppPath(name)); }) && WriteAppFile(part, text) &&
           MoveFileW(AppPath(part).c_str(), AppPath(name).c_str());
  }

  const fs::path& Folder() const { return appFolder_; }
  fs::path AppPath(const fs::path& name) const { return appFolder_ / name; }

  Lines AppFileLines(const fs::path& name) const { return FileLines(AppPath(name)); }

  // Waits until the file holds exactly these lines; gives the lines last read.
  Lines WaitForLines(const fs::path& name, const Lines& expected) const {
    Lines lines;
    WaitUntil([&] { return (lines = AppFileLines(name)) == expected; });
    return lines;
  }

  // The names in the application folder (UTF-8), with this extension if one is given, sorted.
  Lines AppFiles(const std::string& extension = "") const {
    Lines names;
    for (const auto& entry : fs::directory_iterator(appFolder_)) {
      if (extension.empty() || entry.path().extension() == extension) {
        names.push_back(entry.path().filename().u8string());
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<TrayCall> TrayCalls() const {
    std::vector<TrayCall> calls;
    for (const std::string& line : FileLines(trayLog_)) {
      std::istringstream fields(line);
      TrayCall& call = calls.emplace_back();
      for (std::string field; std::getline(fields, field, '\t');) {
        const std::size_t equals = field.find('=');
        call[field.substr(0, equals)] = equals == std::string::npos ? "" : field.substr(equals + 1);
      }
    }
    return calls;
  }

  std::optional<DWORD> WaitForExit(Duration timeout = kDeadline) {
    return process_ && process_->Finish(timeout) ? std::optional(process_->exitCode) : std::nullopt;
  }

private:
  // The tray callback message and the icon id the program registers.
  static constexpr UINT kTrayMessage = 1025;
  static constexpr UINT kIconId = 999;

  // In UTF-8, converted as a path is.
  static std::string WindowText(HWND window) {
    wchar_t text[1024] = {};
    return fs::path(std::wstring(text, GetWindowTextW(window, text, 1024))).u8string();
  }

  // The program's windows of this class or title, only visible ones unless a title is given.
  std::vector<HWND> Windows(const wchar_t* className, const wchar_t* title) const {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, title));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (process_ && owner == process_->Id() && (title != nullptr || IsWindowVisible(window))) {
        found.push_back(window);
      }
    }
    return found;
  }

  fs::path root_, appFolder_, trayLog_; // none of the test's own for a release in place
  std::optional<Child> process_;
  HWND window_ = nullptr;
};

// velmoractl with this command for the program's folder (no final backslash: it escapes a quote).
inline std::string Ctl(const VelmoraProcess& velmora, const std::string& command) {
  return "\"" + ProgramPath("velmoractl.exe").u8string() + "\" " + command + " --folder \"" +
         velmora.Folder().u8string() + "\"";
}

} // namespace velmora::e2e
