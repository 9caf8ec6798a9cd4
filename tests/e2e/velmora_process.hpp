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
// True when the condition holds at every check throughout the period: the
// way to see that something does not happen.
bool HoldsFor(const std::function<bool()>& condition, Duration period);

// Script lines joined with CR LF, as a script file holds them.
std::string ScriptText(std::initializer_list<std::string> lines);

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
  // Ends the program if it still runs and removes the folder.
  ~VelmoraProcess();
  VelmoraProcess(const VelmoraProcess&) = delete;
  VelmoraProcess& operator=(const VelmoraProcess&) = delete;

  // Starts velmora.exe in its folder with the tray log switched on, and waits
  // for its host window and its first tray call; false if either never came.
  bool Start();

  // The program's hidden host window "Form1" (null before Start).
  HWND Window() const { return window_; }
  // A tray callback as the shell sends it: message 1025, icon id 999.
  void PostTrayCallback(LPARAM mouseCode) const;

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
  std::string root_;
  std::string appFolder_;
  std::string trayLog_;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
};

} // namespace velmora::e2e
