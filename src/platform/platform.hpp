// The one interface between the portable core and the operating system. Every
// method stands for one platform operation and holds no decision of its own:
// texts, codes, flags and record fields all come from the core.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/p256.hpp"
#include "platform/tray_record.hpp"

namespace velmora {

using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;

// The three timer controls of the host window.
enum class TimerId { Swap, Poll, TimerEvent };

// One entry of a directory search, as the platform gives it.
struct FoundFile {
  std::wstring nameField; // the fixed-width name field, NUL padded
  bool directory = false;
  bool hidden = false;
  bool system = false;
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0; // platform time stamp; only compared for change
};

enum class ReadStatus {
  Ok,
  InUse, // another program holds the file open for writing
  Failed,
};

struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

// Position and size of a window in logical units, with the screen's size.
struct FormGeometry {
  bool minimized = false;
  bool maximized = false;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int screenWidth = 0;
  int screenHeight = 0;
};

// Message boxes, numbered as Windows numbers them: a style is one icon and
// one button set added together, and a box gives back the code of the
// button pressed.
constexpr std::uint32_t kBoxOk = 0;
constexpr std::uint32_t kBoxOkCancel = 1;
constexpr std::uint32_t kBoxYesNoCancel = 3;
constexpr std::uint32_t kBoxYesNo = 4;
constexpr std::uint32_t kBoxIconError = 16;
constexpr std::uint32_t kBoxIconQuestion = 32;
constexpr std::uint32_t kBoxIconWarning = 48;
constexpr std::uint32_t kBoxIconInfo = 64;
constexpr int kButtonOk = 1;
constexpr int kButtonCancel = 2;
constexpr int kButtonYes = 6;
constexpr int kButtonNo = 7;

// A timer counts at most 65535 ms a tick; a longer wait is counted in ticks
// of a minute.
constexpr std::uint32_t kLongestTimerTick = 65535;
constexpr std::uint32_t kMinuteTick = 60000;

struct MenuItem {
  std::wstring caption;
  bool enabled = true;
};

class Platform {
public:
  virtual ~Platform() = default;

  // Dialogs and sound.
  // Shows a modal message box; gives the platform's code of the button pressed.
  virtual int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                             std::uint32_t style) = 0;
  virtual void DefaultBeep() = 0;

  // Notification area: sends the program's record with one shell message
  // (add 0, modify 1, delete 2, set version 4); gives the shell's success flag.
  virtual bool ShellNotifyIcon(std::uint32_t message, const TrayIconRecord& record) = 0;

  // Host window.
  virtual WindowHandle HostWindow() = 0;
  virtual void HideHostWindow() = 0;
  virtual void PostCloseToHost() = 0;
  // Queues a message for the host window, handled after the current event.
  virtual void PostToHost(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  virtual void SetForegroundHostWindow() = 0;
  virtual IconHandle FormIcon() = 0;
  // Loads a picture file at the small-icon size and makes it the form icon;
  // gives its handle, or 0 when the file cannot be loaded as a picture.
  virtual IconHandle LoadFormIconFromFile(const std::wstring& path) = 0;
  // Makes an empty picture the form icon and gives its handle.
  virtual IconHandle SetBlankFormIcon() = 0;

  // Timer controls: an interval of 0 ms never ticks.
  virtual void SetTimerInterval(TimerId timer, std::uint32_t milliseconds) = 0;
  virtual std::uint32_t TimerInterval(TimerId timer) = 0;
  virtual void SetTimerEnabled(TimerId timer, bool enabled) = 0;

  // The pop-up menu: its item array (item 1 first) and showing it at the mouse.
  virtual void SetMenuItems(const std::vector<MenuItem>& items) = 0;
  virtual void PopupMenu() = 0;

  // Files, as the bytes they hold: which encoding a text takes on disk is
  // the core's decision.
  virtual std::wstring ProgramFolder() = 0;
  virtual ReadStatus ReadFileBytes(const std::wstring& path, std::string& bytes) = 0;
  // Appends to the file, creating it when it does not exist.
  virtual bool AppendFileBytes(const std::wstring& path, std::string_view bytes) = 0;
  // Creates the file, or empties an existing one, and writes the bytes.
  virtual bool CreateFileBytes(const std::wstring& path, std::string_view bytes) = 0;
  // Deletes every file the pattern matches; false when any could not be deleted.
  virtual bool DeleteFiles(const std::wstring& pattern) = 0;
  // Puts a file in place of another in one move on the same volume, replacing
  // an existing target and written through to the disk; false, with both
  // files as they were, when the move cannot be made.
  virtual bool MoveFileReplacing(const std::wstring& source, const std::wstring& target) = 0;
  // Watches a folder for changes of names, sizes and write times, or stops
  // watching (a folder of "" or on false). While it watches, the platform
  // tells the host of a change at once, once for a burst of changes.
  virtual void WatchFolder(const std::wstring& folder, bool on) = 0;
  // First-file / next-file search; the entries in the file system's order.
  // Windows matches the pattern against short (8.3) names as well as long
  // ones, so an entry may match only by its short name.
  virtual std::vector<FoundFile> FindFiles(const std::wstring& pattern) = 0;
  // The 8.3 form of an existing path, cut to the length reported; "" on failure.
  virtual std::wstring ShortPathName(const std::wstring& path) = 0;

  // Private-profile settings files.
  virtual std::wstring ReadProfileString(const std::wstring& section, const std::wstring& key,
                                         const std::wstring& defaultValue, std::uint32_t size,
                                         const std::wstring& file) = 0;
  virtual bool WriteProfileValue(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& value, const std::wstring& file) = 0;

  // Internet: fetches a URL into a file (true on success: status zero and an
  // HTTP status below 400), and forgets the URL's cache entry. A download
  // that fails, or that is abandoned because the program is closing, leaves
  // no file at the path.
  virtual bool DownloadUrlToFile(const std::wstring& url, const std::wstring& path) = 0;
  virtual bool ForgetUrlCacheEntry(const std::wstring& url) = 0;

  // Signatures: whether an ECDSA P-256 signature (r and s) over the data's
  // SHA-256 digest was made with the private half of the public key (its
  // uncompressed point).
  virtual p256::Verdict VerifySignature(std::string_view publicKey, std::string_view data,
                                        std::string_view signature) = 0;

  // Shell and processes.
  virtual void ShellExecuteOpen(const std::wstring& target,
                                const std::optional<std::wstring>& parameters) = 0;
  virtual bool StartProcess(const std::wstring& commandLine) = 0;

  // Cursor: installs a shared cursor as the system's normal arrow, or puts
  // back the user's own cursor scheme.
  virtual void SetSystemArrowCursor(std::uint32_t cursorId) = 0;
  virtual void RestoreSystemCursors() = 0;

  // Versions: the operating system's; Shlwapi.dll's major (0 when unknown);
  // the major file version of shell32.dll (none when it cannot be read).
  virtual OsVersion GetOsVersion() = 0;
  virtual std::uint32_t ShlwapiMajorVersion() = 0;
  virtual std::optional<std::uint16_t> Shell32MajorVersion() = 0;

  // The current date in the user's short date format, the time in the long
  // time format.
  virtual std::wstring ShortDateText() = 0;
  virtual std::wstring LongTimeText() = 0;

  // The About window: created and loaded when it does not exist, then moved
  // and shown modeless.
  virtual void CreateAboutWindow() = 0;
  virtual FormGeometry AboutWindowGeometry() = 0;
  virtual void MoveAboutWindow(int left, int top) = 0;
  virtual void ShowAboutWindowModeless() = 0;
};

} // namespace velmora
