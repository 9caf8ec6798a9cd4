// The end-to-end harness: a real velmora.exe in a folder of its own, driven
// from outside the way the shell and a user reach it, and programs beside it.
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

using Duration = std::chrono::milliseconds;
using Lines = std::vector<std::string>;

// Long enough for Wine on a busy two-core machine; a passing test never waits this long.
constexpr Duration kDeadline{15000};

// Polls the condition until it holds (true) or the timeout passes (false).
inline bool WaitUntil(const std::function<bool()>& condition, Duration timeout = kDeadline) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return condition();
    }
    std::this_thread::sleep_for(Duration{10});
  }
  return true;
}

// Script lines joined with CR LF, as a script file holds them.
inline std::string ScriptText(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

// A file's bytes ("" when absent), read while the program may append to it.
inline std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The lines of a file, each ended by CR LF.
inline Lines FileLines(const std::string& path) {
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

inline std::string BesideTestProgram(const std::string& name) {
  char self[MAX_PATH];
  const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  return path.substr(0, path.find_last_of('\\') + 1) + name;
}

// True for the test build, whose velmora.exe logs every tray record it sends.
inline bool TrayLogged() {
  return ReleaseFolder().empty();
}

// velmora.exe or velmoractl.exe from the release, else beside this program.
inline std::string ProgramPath(const std::string& name) {
  return TrayLogged() ? BesideTestProgram(name) : ReleaseFolder() + name;
}

#define REQUIRE_TRAY_LOG()                                                                         \
  if (!::velmora::e2e::TrayLogged())                                                               \
  GTEST_SKIP() << "reads the tray record, which only the test build logs"

// A program started at once, in this folder ("" for the test's own), with its
// standard output and error in one pipe; ended if it still runs when this goes.
class Child {
public:
  explicit Child(std::string commandLine, const std::string& folder = "") {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    if (!CreatePipe(&read_, &write, &inherit, 0)) {
      return;
    }
    SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = write;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
      id_ = info.dwProcessId;
    }
    CloseHandle(write); // the child has its own
  }
  ~Child() {
    if (process_ != nullptr) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, INFINITE);
      CloseHandle(process_);
    }
    CloseHandle(read_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  DWORD Id() const { return id_; }

  // Waits for the exit, takes its code and output (CR LF read as LF); false if it overstays.
  bool Finish(Duration timeout = kDeadline) {
    if (process_ == nullptr ||
        WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
      return false;
    }
    GetExitCodeProcess(process_, &exitCode);
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
  HANDLE process_ = nullptr;
  HANDLE read_ = nullptr;
  DWORD id_ = 0;
};

// A Shell_NotifyIconA call as the test build logs it: "msg", "result", the record's fields.
using TrayCall = std::map<std::string, std::string>;

constexpr char kNimModify[] = "1";
constexpr char kNimDelete[] = "2";
// The flags of a call that changes the picture alone, as a flash or swap tick does.
constexpr char kNifIconOnly[] = "2";

struct MessageBoxWindow {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  std::vector<int> buttons; // control ids of the visible buttons, e.g. IDOK
};

class VelmoraProcess {
public:
  // A fresh folder under the temp folder with a copy of velmora.exe and, if given, boot.scp.
  explicit VelmoraProcess(const std::optional<std::string>& bootScript) {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    GetLongPathNameA(temp, temp, MAX_PATH); // the program names its folder so
    root_ = std::string(temp) + "velmora-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    appFolder_ = root_ + "\\app\\";
    trayLog_ = root_ + "\\tray.log";
    std::filesystem::create_directories(appFolder_);
    std::filesystem::copy_file(ProgramPath("velmora.exe"), AppPath("velmora.exe"));
    if (bootScript) {
      WriteAppFile("boot.scp", *bootScript);
    }
  }
  // The velmora.exe of a release, run in its folder (ending in "\\"), which is left as it is.
  struct InPlace {
    std::string folder;
  };
  explicit VelmoraProcess(const InPlace& release)
      : root_(release.folder), appFolder_(release.folder), ownsFolder_(false) {}
  ~VelmoraProcess() {
    process_.reset(); // ends the program before its folder goes
    if (std::error_code ignored; ownsFolder_) {
      std::filesystem::remove_all(root_, ignored);
    }
  }

  // Starts velmora.exe and waits until its icon is in the tray and its window answers a sent
  // message, which it takes only once it waits for messages, in its loop or in a box.
  bool Start() {
    // The test build logs its tray records where this variable says.
    SetEnvironmentVariableA("VELMORA_TRAY_LOG", trayLog_.empty() ? nullptr : trayLog_.c_str());
    process_.emplace("\"" + AppPath("velmora.exe") + "\"", appFolder_);
    DWORD_PTR ignored = 0;
    return WaitUntil([this] {
             const std::vector<HWND> host = Windows(nullptr, "Form1");
             window_ = host.empty() ? nullptr : host.front();
             return IconInTray() && (!TrayLogged() || !TrayCalls().empty());
           }) &&
           SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL,
                               static_cast<UINT>(kDeadline.count()), &ignored) != 0;
  }

  // A tray callback as the shell sends it for the program's icon.
  void PostTrayCallback(LPARAM mouseCode) const {
    PostMessageA(window_, kTrayMessage, kTrayIconId, mouseCode);
  }

  // Modifying nothing of an icon succeeds only for an icon the shell holds.
  bool IconInTray() const {
    NOTIFYICONDATAA probe{};
    probe.cbSize = sizeof probe;
    probe.hWnd = window_;
    probe.uID = kTrayIconId;
    return window_ != nullptr && Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
  }

  std::vector<MessageBoxWindow> OpenBoxes() const {
    std::vector<MessageBoxWindow> boxes;
    for (HWND window : Windows("#32770", nullptr)) {
      boxes.push_back({window, WindowText(window), WindowText(GetDlgItem(window, 0xFFFF)), {}});
      for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        if (GetDlgItem(window, id) != nullptr && IsWindowVisible(GetDlgItem(window, id))) {
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
    const auto menuOpen = [this] { return !Windows("#32768", nullptr).empty(); };
    if (!WaitUntil(menuOpen)) {
      return false;
    }
    // Nothing is selected when the menu opens: Down n times reaches item n.
    for (int i = 0; i <= item; ++i) {
      INPUT inputs[2] = {};
      inputs[0].type = INPUT_KEYBOARD;
      inputs[0].ki.wVk = i < item ? VK_DOWN : VK_RETURN;
      inputs[1] = inputs[0];
      inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, inputs, sizeof(INPUT));
    }
    return WaitUntil([&] { return !menuOpen(); });
  }

  bool WriteAppFile(const std::string& name, const std::string& text) const {
    std::ofstream file(AppPath(name), std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return !file.fail();
  }

  // Writes a script as .part and renames it, so the program never sees it half-written.
  bool Drop(const std::string& name, const std::string& text) const {
    return WriteAppFile(name + ".part", text) &&
           MoveFileA(AppPath(name + ".part").c_str(), AppPath(name).c_str());
  }

  std::string AppPath(const std::string& name) const { return appFolder_ + name; }

  Lines AppFileLines(const std::string& name) const { return FileLines(AppPath(name)); }

  // Waits until the file holds exactly these lines; gives the lines last read.
  Lines WaitForLines(const std::string& name, const Lines& expected) const {
    Lines lines;
    WaitUntil([&] { return (lines = AppFileLines(name)) == expected; });
    return lines;
  }

  // The names in the application folder, with this extension if one is given, sorted.
  Lines AppFiles(const std::string& extension = "") const {
    Lines names;
    for (const auto& entry : std::filesystem::directory_iterator(appFolder_)) {
      if (extension.empty() || entry.path().extension() == extension) {
        names.push_back(entry.path().filename().string());
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

  // The exit code once the program has ended; nullopt while it runs.
  std::optional<DWORD> WaitForExit(Duration timeout = kDeadline) {
    return process_ && process_->Finish(timeout) ? std::optional(process_->exitCode) : std::nullopt;
  }

private:
  // The tray callback message and the icon id the program registers.
  static constexpr UINT kTrayMessage = 1025;
  static constexpr UINT kTrayIconId = 999;

  static std::string WindowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }

  // The program's windows of this class or title, only visible ones unless a title is given.
  std::vector<HWND> Windows(const char* className, const char* title) const {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className, title));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (process_ && owner == process_->Id() && (title != nullptr || IsWindowVisible(window))) {
        found.push_back(window);
      }
    }
    return found;
  }

  std::string root_;
  std::string appFolder_;
  std::string trayLog_;
  std::optional<Child> process_;
  HWND window_ = nullptr;
  bool ownsFolder_ = true;
};

} // namespace velmora::e2e
