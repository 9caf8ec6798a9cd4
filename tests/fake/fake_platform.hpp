// An in-memory Windows for the core's tests: a case-insensitive file system
// with wildcards and attributes, timers on a clock the test advances,
// scripted message-box answers, a URL table and a log of every tray record.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace velmora::fake {

struct MessageBoxCall {
  std::wstring text;
  std::wstring caption;
  std::uint32_t style = 0;
};

struct TrayCall {
  std::uint32_t message = 0; // 0 add, 1 modify, 2 delete, 4 set version
  TrayIconRecord record;
};

struct FakeFile {
  std::wstring path;    // full path as created, e.g. C:\App\boot.scp
  std::string contents; // bytes as on disk
  bool hidden = false;
  bool system = false;
  bool readOnly = false;
  bool inUse = false;      // a writer holds it open: reads give InUse
  bool unreadable = false; // reads fail
  bool undeletable = false;
  std::uint64_t lastWrite = 0;
};

struct PostedMessage {
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

// A URL the fake serves: an HTTP status of 400 or more is a server error; a
// URL missing from the table is a refused connection.
struct UrlEntry {
  int httpStatus = 200;
  std::string body;
};

// A timer control as the window gives it, before the program sets it up:
// stopped, with an interval that never ticks.
struct TimerState {
  std::uint32_t interval = 0;
  bool enabled = false;
  std::uint64_t lastStart = 0; // clock time the current interval began
};

class FakePlatform : public Platform {
public:
  // The application folder. ProgramFolder gives it as Windows does: without a
  // trailing backslash unless it is a drive root such as C:\.
  explicit FakePlatform(std::wstring programFolder = L"C:\\App");

  // --- Test controls -----------------------------------------------------

  // Files and folders. Paths are full Windows paths; comparisons ignore case.
  // Folders named in a file's path are created with it.
  void AddFile(const std::wstring& path, const std::string& contents);
  void AddFolder(const std::wstring& path);
  FakeFile* File(const std::wstring& path); // nullptr when absent
  bool Exists(const std::wstring& path) const;
  std::string Contents(const std::wstring& path) const; // "" when absent
  void RemoveFile(const std::wstring& path);
  std::vector<std::wstring> FileNames() const; // full paths, in creation order
  // Folders that refuse new files and appends (a read-only folder).
  void SetFolderReadOnly(const std::wstring& folder, bool readOnly);
  // A full disk: every write that adds bytes fails.
  bool diskFull = false;
  // Drives (such as L"D:") whose volume keeps no short names: ShortPathName
  // gives the long path there, as Windows does. And a failing lookup.
  std::vector<std::wstring> drivesWithoutShortNames;
  bool shortPathNameFails = false;

  // Message boxes: every call is logged; answers are taken from the queue,
  // else kButtonOk. The hook, when set, runs while the box is "open" (before the
  // answer is taken) and may deliver events that start nested runs; when it
  // returns a value, that is the answer.
  std::vector<MessageBoxCall> boxes;
  std::vector<int> answers;
  std::function<std::optional<int>(const MessageBoxCall&)> onMessageBox;

  // Timers: the handler receives every tick; AdvanceClock delivers the ticks
  // due in order of their time, a timer's next tick counted from its last one.
  std::function<void(TimerId)> onTick;
  void AdvanceClock(std::uint64_t milliseconds);
  std::uint64_t Now() const { return clock_; }
  TimerState& Timer(TimerId timer);

  // URL table for downloads; urls not in it fail. A failed download writes
  // nothing; one during which a close request is posted is abandoned, as
  // the real program abandons it when its window closes.
  std::map<std::wstring, UrlEntry> urls;
  std::vector<std::wstring> downloads;     // every URL asked for
  std::vector<std::wstring> downloadPaths; // the file each was fetched into
  std::vector<std::wstring> deletedCacheEntries;
  // Called during a download, to deliver events while it is "under way".
  std::function<void()> onDownload;
  // Every replacing move asked for, as source and target.
  std::vector<std::pair<std::wstring, std::wstring>> moves;

  // Everything else the core did, as logged facts.
  std::vector<TrayCall> trayCalls;
  bool trayAddSucceeds = true;
  int beeps = 0;
  bool hostHidden = false;
  int closePosts = 0;
  // Messages posted to the host window, in order.
  std::vector<PostedMessage> posted;
  int foregroundCalls = 0;
  IconHandle formIcon = 1;                      // the form icon the program starts with
  std::vector<std::wstring> unloadablePictures; // paths that are not pictures
  std::vector<MenuItem> menuItems;
  int popups = 0;
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> shellOpens;
  std::vector<std::wstring> processes; // command lines started
  bool processStartSucceeds = true;
  std::vector<std::uint32_t> cursorsSet;
  int cursorRestores = 0;
  OsVersion osVersion{6, 1};
  std::uint32_t shlwapiMajor = 6;
  std::optional<std::uint16_t> shell32Major = 6;
  std::wstring dateText = L"12/7/2026";
  std::wstring timeText = L"9:41:07 AM";
  bool aboutCreated = false;
  int aboutShows = 0;
  FormGeometry aboutGeometry{false, false, 0, 0, 300, 200, 1024, 768};
  std::vector<std::pair<int, int>> aboutMoves;

  // --- Platform ----------------------------------------------------------
  int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                     std::uint32_t style) override;
  void DefaultBeep() override;
  bool ShellNotifyIcon(std::uint32_t message, const TrayIconRecord& record) override;
  WindowHandle HostWindow() override { return kHostWindow; }
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
  void ShellExecuteOpen(const std::wstring& target,
                        const std::optional<std::wstring>& parameters) override;
  bool StartProcess(const std::wstring& commandLine) override;
  void SetSystemArrowCursor(std::uint32_t cursorId) override;
  void RestoreSystemCursors() override;
  OsVersion GetOsVersion() override { return osVersion; }
  std::uint32_t ShlwapiMajorVersion() override { return shlwapiMajor; }
  std::optional<std::uint16_t> Shell32MajorVersion() override { return shell32Major; }
  std::wstring ShortDateText() override { return dateText; }
  std::wstring LongTimeText() override { return timeText; }
  void CreateAboutWindow() override;
  FormGeometry AboutWindowGeometry() override { return aboutGeometry; }
  void MoveAboutWindow(int left, int top) override;
  void ShowAboutWindowModeless() override;

  static constexpr WindowHandle kHostWindow = 0x4242;

private:
  bool FolderExists(const std::wstring& folder) const;
  // Whether a file may be created, emptied or appended to at the path.
  bool CanWrite(const std::wstring& path) const;
  bool WriteBytes(const std::wstring& path, const std::string& bytes, bool append);

  std::wstring programFolder_;
  // In creation order: the enumeration order. A list, so that File() pointers
  // stay valid while the core creates or deletes other files.
  std::list<FakeFile> files_;
  std::vector<std::wstring> folders_; // without trailing backslash
  // Creation stamps of files and folders by folded path, to interleave them
  // in a search.
  std::map<std::wstring, std::uint64_t> created_;
  std::uint64_t nextCreated_ = 0;
  std::vector<std::wstring> readOnlyFolders_;
  std::map<TimerId, TimerState> timers_;
  std::uint64_t clock_ = 0;
  std::uint64_t writeCounter_ = 1;
  IconHandle nextIcon_ = 100;
};

} // namespace velmora::fake
