// The end-to-end harness: one velmora.exe in a folder of its own, watched and
// driven from outside the way the shell and a user reach it.
#include "velmora_process.hpp"

#include <shellapi.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace velmora::e2e {

namespace {

constexpr Duration kPollStep{10};

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of('\\') + 1);
}

// A file's bytes; the stream shares the file, so the program may append to
// it meanwhile.
std::string ReadWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteWhole(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  return !file.fail();
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos;
       start = end + separator.size()) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The top-level windows of a process with this class name (any class when
// empty), by default only the visible ones.
std::vector<HWND> ProcessWindows(DWORD processId, const std::string& className,
                                 bool visibleOnly = true) {
  struct Search {
    DWORD processId;
    const std::string& className;
    bool visibleOnly;
    std::vector<HWND> found;
  } search{processId, className, visibleOnly, {}};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (owner == s.processId && (s.className.empty() || s.className == name) &&
            (!s.visibleOnly || IsWindowVisible(window))) {
          s.found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PressKey(WORD key) {
  INPUT inputs[2] = {};
  inputs[0].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = key;
  inputs[1] = inputs[0];
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

} // namespace

std::string ReleaseFolder() {
  char value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("VELMORA_E2E_RELEASE", value, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return "";
  }
  const std::string folder(value, length);
  return folder.back() == '\\' ? folder : folder + "\\";
}

std::string BesideTestProgram(const std::string& name) {
  char self[MAX_PATH];
  const DWORD selfLength = GetModuleFileNameA(nullptr, self, MAX_PATH);
  return FolderOf(std::string(self, selfLength)) + name;
}

std::string ProgramPath(const std::string& name) {
  const std::string release = ReleaseFolder();
  return release.empty() ? BesideTestProgram(name) : release + name;
}

bool TrayLogged() {
  return ReleaseFolder().empty();
}

bool WaitUntil(const std::function<bool()>& condition, Duration timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return condition();
    }
    std::this_thread::sleep_for(kPollStep);
  }
  return true;
}

std::string ScriptText(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

VelmoraProcess::VelmoraProcess(const std::optional<std::string>& bootScript) {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  // The program names its folder in the long form; so must the test.
  GetLongPathNameA(temp, temp, MAX_PATH);
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

VelmoraProcess::VelmoraProcess(const InPlace& release)
    : root_(release.folder), appFolder_(release.folder), ownsFolder_(false) {}

VelmoraProcess::~VelmoraProcess() {
  if (process_ != nullptr) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, INFINITE);
    CloseHandle(process_);
  }
  if (ownsFolder_) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
}

bool VelmoraProcess::Start() {
  // The child inherits the variable that switches the test build's tray log
  // on; a program run in place has no log of its own.
  SetEnvironmentVariableA("VELMORA_TRAY_LOG", trayLog_.empty() ? nullptr : trayLog_.c_str());
  const std::string exe = AppPath("velmora.exe");
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      appFolder_.c_str(), &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  return WaitUntil([this] {
           for (HWND window : ProcessWindows(processId_, "", false)) {
             if (WindowText(window) == "Form1") {
               window_ = window;
             }
           }
           return window_ != nullptr && IconInTray() && (!TrayLogged() || !TrayCalls().empty());
         }) &&
         Responds();
}

bool VelmoraProcess::Responds() const {
  // A sent message is taken only once start-up waits for messages, in the
  // message loop or in a box of its own.
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL,
                             static_cast<UINT>(kDeadline.count()), &ignored) != 0;
}

bool VelmoraProcess::IconInTray() const {
  NOTIFYICONDATAA probe{};
  probe.cbSize = sizeof probe;
  probe.hWnd = window_;
  probe.uID = static_cast<UINT>(kTrayIconId);
  probe.uFlags = 0;
  return window_ != nullptr && Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

void VelmoraProcess::PostTrayCallback(LPARAM mouseCode) const {
  PostMessageA(window_, kTrayMessage, kTrayIconId, mouseCode);
}

std::vector<MessageBoxWindow> VelmoraProcess::OpenBoxes() const {
  std::vector<MessageBoxWindow> boxes;
  for (HWND window : ProcessWindows(processId_, "#32770")) {
    MessageBoxWindow box;
    box.window = window;
    box.caption = WindowText(window);
    box.text = WindowText(GetDlgItem(window, 0xFFFF));
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
      const HWND button = GetDlgItem(window, id);
      if (button != nullptr && IsWindowVisible(button)) {
        box.buttons.push_back(id);
      }
    }
    boxes.push_back(box);
  }
  return boxes;
}

std::optional<MessageBoxWindow> VelmoraProcess::WaitForBox() const {
  std::vector<MessageBoxWindow> boxes;
  if (!WaitUntil([&] { return !(boxes = OpenBoxes()).empty(); })) {
    return std::nullopt;
  }
  return boxes.front();
}

bool VelmoraProcess::PressButton(const MessageBoxWindow& box, int buttonId) const {
  PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, buttonId)));
  return WaitUntil([&] { return !IsWindow(box.window); });
}

bool VelmoraProcess::ChooseMenuItem(int item) const {
  if (!WaitUntil([this] { return !ProcessWindows(processId_, "#32768").empty(); })) {
    return false;
  }
  // Nothing is selected when the menu opens: Down n times reaches item n.
  for (int i = 0; i < item; ++i) {
    PressKey(VK_DOWN);
  }
  PressKey(VK_RETURN);
  return WaitUntil([this] { return ProcessWindows(processId_, "#32768").empty(); });
}

void VelmoraProcess::WriteAppFile(const std::string& name, const std::string& text) const {
  WriteWhole(AppPath(name), text);
}

bool VelmoraProcess::Drop(const std::string& name, const std::string& text) const {
  const std::string part = AppPath(name + ".part");
  return WriteWhole(part, text) && MoveFileA(part.c_str(), AppPath(name).c_str());
}

std::vector<std::string> VelmoraProcess::AppFileLines(const std::string& name) const {
  std::vector<std::string> lines = Split(ReadWhole(AppPath(name)), "\r\n");
  if (lines.back().empty()) {
    lines.pop_back();
  }
  return lines;
}

std::vector<std::string>
VelmoraProcess::WaitForLines(const std::string& name,
                             const std::vector<std::string>& expected) const {
  std::vector<std::string> lines;
  WaitUntil([&] { return (lines = AppFileLines(name)) == expected; });
  return lines;
}

std::vector<std::string> VelmoraProcess::ScriptFiles() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(AppPath("*.scp").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    return names;
  }
  do {
    names.push_back(data.cFileName);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

std::vector<TrayCall> VelmoraProcess::TrayCalls() const {
  std::vector<TrayCall> calls;
  for (const std::string& line : Split(ReadWhole(trayLog_), "\r\n")) {
    if (line.empty()) {
      continue;
    }
    TrayCall call;
    for (const std::string& field : Split(line, "\t")) {
      const std::size_t equals = field.find('=');
      call[field.substr(0, equals)] = equals == std::string::npos ? "" : field.substr(equals + 1);
    }
    calls.push_back(call);
  }
  return calls;
}

bool VelmoraProcess::IsRunning() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool VelmoraProcess::WaitForExit(Duration timeout) const {
  return process_ != nullptr &&
         WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD VelmoraProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

bool VelmoraProcess::Stop() {
  PostMessageA(window_, WM_CLOSE, 0, 0);
  return WaitForExit();
}

} // namespace velmora::e2e
