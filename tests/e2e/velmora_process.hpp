// Drives one real velmora.exe in an application folder of its own: start and
// exit, its host window, tray callbacks, message boxes, the tray menu, dropped
// scripts and the files it writes.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::e2e {

using Duration = std::chrono::milliseconds;

// Long enough for Wine on a busy two-core machine; a passing test never waits
// this long.
constexpr Duration kDeadline{15000};

// Polls the condition until it holds (true) or the timeout passes (false).
bool WaitUntil(const std::function<bool()>& condition, Duration timeout = kDeadline);

// Script lines joined with CR LF, as a script file holds them.
std::string ScriptText(std::initializer_list<std::string> lines);

// The unpacked release under test, ending in a backslash, from
// VELMORA_E2E_RELEASE; "" when the test build runs.
std::string ReleaseFolder();
// The path of a program under test: from the unpacked release that
// VELMORA_E2E_RELEASE names (velmora.exe, velmoractl.exe), else the test build
// beside this test program.
std::string ProgramPath(const std::string& name);
// A file beside this test program, such as the launch tests' recorder.
std::string BesideTestProgram(const std::string& name);
// True when the programs under test are the test build, whose velmora.exe
// logs every tray record it sends; the released program logs nothing.
bool TrayLogged();

// Skips a test that reads the tray record when the released program runs.
#define REQUIRE_TRAY_LOG()                                                                         \
  if (!::velmora::e2e::TrayLogged())                                                               \
  GTEST_SKIP() << "reads the tray record, which only the test build logs"

// Names a parameterised test after the "name" of its table row.
struct RowName {
  template <typename Info> std::string operator()(const Info& row) const { return row.param.name; }
};

// One Shell_NotifyIconA call as the test build logged it: "msg", "result" and
// every field of the record sent, by name.
using TrayCall = std::map<std::string, std::string>;

constexpr char kNimAdd[] = "0";
constexpr char kNimModify[] = "1";
constexpr char kNimDelete[] = "2";
constexpr char kNimSetVersion[] = "4";
// The flags of a call that changes the picture alone, as a tick does.
constexpr char kNifIconOnly[] = "2";

// The tray callback message and the icon id the program registers.
constexpr UINT kTrayMessage = 1025;
constexpr WPARAM kTrayIconId = 999;

// A message box of the program, read once it is shown.
struct MessageBoxWindow {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  std::vector<int> buttons; // control ids of the visible buttons, e.g. IDOK
};

class VelmoraProcess {
public:
  // A fresh application folder under the Windows temp folder holding a copy of
  // velmora.exe and, when given, boot.scp with that text.
  explicit VelmoraProcess(const std::optional<std::string>& bootScript);
  // The velmora.exe already in this folder (a release unpacked or installed),
  // run where it is; the folder and its files are left as they are.
  struct InPlace {
    std::string folder; // ends in a backslash
  };
  explicit VelmoraProcess(const InPlace& release);
  // Ends the program if it still runs and removes a folder it made.
  ~VelmoraProcess();
  VelmoraProcess(const VelmoraProcess&) = delete;
  VelmoraProcess& operator=(const VelmoraProcess&) = delete;

  // Starts velmora.exe in its folder (the test build with its tray log
  // switched on), and waits until its host window answers messages and its
  // icon is in the notification area; false if that never came.
  bool Start();

  // The program's hidden host window "Form1" (null before Start).
  HWND Window() const { return window_; }
  // A tray callback as the shell sends it: message 1025, icon id 999.
  void PostTrayCallback(LPARAM mouseCode) const;
  // Asks the shell whether the program's icon is in the notification area, the
  // way any program can: modifying nothing of it succeeds only for an icon the
  // shell holds.
  bool IconInTray() const;

  // The program's shown message boxes, and waiting for the first one.
  std::vector<MessageBoxWindow> OpenBoxes() const;
  std::optional<MessageBoxWindow> WaitForBox() const;
  // Presses a button the way a click does, then waits until the box is gone.
  bool PressButton(const MessageBoxWindow& box, int buttonId) const;

  // Waits for the program's pop-up menu and chooses item n (counted from 1)
  // with the keyboard, as a user does.
  bool ChooseMenuItem(int item) const;

  // Writes a file into the application folder at once.
  void WriteAppFile(const std::string& name, const std::string& text) const;
  // Writes a script under a temporary name and renames it to its .scp name,
  // so the program never sees it half-written. Safe from several threads.
  bool Drop(const std::string& name, const std::string& text) const;

  std::string AppPath(const std::string& name) const { return appFolder_ + name; }
  // The lines of a file in the application folder (empty if it is absent).
  std::vector<std::string> AppFileLines(const std::string& name) const;
  // Waits until a file of the application folder holds exactly these lines;
  // gives the lines last read, for the test to compare.
  std::vector<std::string> WaitForLines(const std::string& name,
                                        const std::vector<std::string>& expected) const;
  // The names of the *.scp files in the application folder, in the order the
  // file system lists them.
  std::vector<std::string> ScriptFiles() const;

  std::vector<TrayCall> TrayCalls() const;

  bool IsRunning() const;
  bool WaitForExit(Duration timeout = kDeadline) const;
  DWORD ExitCode() const;
  // Closes the program's window as Windows does and waits for the exit;
  // false when it overstays.
  bool Stop();

private:
  bool Responds() const;

  std::string root_;
  std::string appFolder_;
  std::string trayLog_;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
  bool ownsFolder_ = true;
};

} // namespace velmora::e2e
