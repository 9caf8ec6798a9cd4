// An in-memory Windows for the core's tests: case-insensitive files, timers on a clock the test
// advances, scripted boxes and downloads, and a log of the rest.
#pragma once

#include <functional>
#include <list>
#include <map>

#include "platform/platform.hpp"

namespace velmora::fake {

struct MessageBoxCall {
  std::wstring text, caption;
  std::uint32_t style = 0;
};

struct TrayCall {
  std::uint32_t message = 0; // 0 add, 1 modify, 2 delete, 4 set version
  TrayIconRecord record;
};

struct FakeFile {
  std::wstring path;    // full path as created, e.g. C:\App\boot.scp
  std::string contents; // bytes as on disk
  bool hidden = false, system = false;
  bool readOnly = false;   // on a folder: it refuses new files and writes
  bool inUse = false;      // a writer holds it open: reads give InUse
  bool unreadable = false; // reads fail
  bool undeletable = false;
  std::uint64_t lastWrite = 0;
  bool directory = false; // a folder: only its path and readOnly count
};

struct PostedMessage {
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

// A URL the fake serves; one missing from the table is a refused connection.
struct UrlEntry {
  int httpStatus = 200; // 400 or more is a server error
  std::string body;
};

// A timer control as the window gives it: stopped, never ticking.
struct TimerState {
  std::uint32_t interval = 0;
  bool enabled = false;
  std::uint64_t lastStart = 0; // clock time the current interval began
};

class FakePlatform : public Platform {
public:
  // The folder as ProgramFolder gives it: no trailing backslash but at a root.
  explicit FakePlatform(std::wstring programFolder = L"C:\\App");

  // Files and folders by full path, without regard to case. A file's folders are made with it;
  // drive roots always exist.
  void AddFile(const std::wstring& path, const std::string& contents);
  void AddFolder(const std::wstring& path);
  FakeFile* File(const std::wstring& path); // nullptr when absent
  bool Exists(const std::wstring& path) const;
  std::string Contents(const std::wstring& path) const; // "" when absent
  void RemoveFile(const std::wstring& path);
  std::vector<std::wstring> FileNames() const; // full paths, in creation order
  void SetFolderReadOnly(const std::wstring& folder, bool readOnly);
  bool diskFull = false;                             // every write that adds bytes fails
  std::vector<std::wstring> drivesWithoutShortNames; // such as L"D:": long paths only
  bool shortPathNameFails = false;

  // Message boxes are logged and answered from the queue, else kButtonOk. The hook runs while the
  // box is open, may start nested runs, and may answer.
  std::vector<MessageBoxCall> boxes;
  std::vector<int> answers;
  std::function<std::optional<int>(const MessageBoxCall&)> onMessageBox;

  // AdvanceClock delivers the ticks due in time order, each from the last.
  std::function<void(TimerId)> onTick;
  void AdvanceClock(std::uint64_t milliseconds);
  std::uint64_t Now() const { return clock_; }
  TimerState& Timer(TimerId timer) { return timers_[timer]; }

  // A failed download writes nothing; one during which a close is posted is abandoned, as when the
  // window closes. The hook runs while it is under way.
  std::map<std::wstring, UrlEntry> urls;
  std::vector<std::wstring> downloadPaths; // the file each download was fetched into
  std::wstring watchedFolder;              // the folder watched for changes, "" when none
  std::vector<std::wstring> deletedCacheEntries;
  std::function<void()> onDownload;
  std::vector<std::pair<std::wstring, std::wstring>> moves; // source and target

  // Everything else the core did, as logged facts.
  std::vector<TrayCall> trayCalls;
  bool trayAddSucceeds = true;
  int beeps = 0;
  bool hostHidden = false;
  int closePosts = 0;
  std::vector<PostedMessage> posted; // messages posted to the host window, in order
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

  int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                     std::uint32_t style) override;
  void DefaultBeep() override { ++beeps; }
  bool ShellNotifyIcon(std::uint32_t message, const TrayIconRecord& record) override {
    trayCalls.push_back({message, record});
    return message != 0 || trayAddSucceeds;
  }
  WindowHandle HostWindow() override { return kHostWindow; }
  void HideHostWindow() override { hostHidden = true; }
  void PostCloseToHost() override { ++closePosts; }
  void PostToHost(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    posted.push_back({message, wParam, lParam});
  }
  void SetForegroundHostWindow() override { ++foregroundCalls; }
  IconHandle FormIcon() override { return formIcon; }
  IconHandle LoadFormIconFromFile(const std::wstring& path) override;
  IconHandle SetBlankFormIcon() override { return formIcon = nextIcon_++; }
  void SetTimerInterval(TimerId timer, std::uint32_t milliseconds) override {
    timers_[timer] = {milliseconds, timers_[timer].enabled, clock_};
  }
  std::uint32_t TimerInterval(TimerId timer) override { return timers_[timer].interval; }
  void SetTimerEnabled(TimerId timer, bool enabled) override;
  void SetMenuItems(const std::vector<MenuItem>& items) override { menuItems = items; }
  void PopupMenu() override { ++popups; }
  std::wstring ProgramFolder() override { return programFolder_; }
  ReadStatus ReadFileBytes(const std::wstring& path, std::string& bytes) override;
  bool AppendFileBytes(const std::wstring& path, std::string_view bytes) override;
  bool CreateFileBytes(const std::wstring& path, std::string_view bytes) override;
  void WatchFolder(const std::wstring& folder, bool on) override {
    watchedFolder = on ? folder : L"";
  }
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
  bool ForgetUrlCacheEntry(const std::wstring& url) override {
    deletedCacheEntries.push_back(url);
    return true;
  }
  // Checked for real, as Windows checks them.
  p256::Verdict VerifySignature(std::string_view publicKey, std::string_view data,
                                std::string_view signature) override {
    return p256::Verify(publicKey, data, signature);
  }
  void ShellExecuteOpen(const std::wstring& target,
                        const std::optional<std::wstring>& parameters) override {
    shellOpens.emplace_back(target, parameters);
  }
  bool StartProcess(const std::wstring& commandLine) override {
    processes.push_back(commandLine);
    return processStartSucceeds;
  }
  void SetSystemArrowCursor(std::uint32_t cursorId) override { cursorsSet.push_back(cursorId); }
  void RestoreSystemCursors() override { ++cursorRestores; }
  OsVersion GetOsVersion() override { return osVersion; }
  std::uint32_t ShlwapiMajorVersion() override { return shlwapiMajor; }
  std::optional<std::uint16_t> Shell32MajorVersion() override { return shell32Major; }
  std::wstring ShortDateText() override { return dateText; }
  std::wstring LongTimeText() override { return timeText; }
  void CreateAboutWindow() override { aboutCreated = true; }
  FormGeometry AboutWindowGeometry() override { return aboutGeometry; }
  void MoveAboutWindow(int left, int top) override {
    aboutMoves.emplace_back(aboutGeometry.left = left, aboutGeometry.top = top);
  }
  void ShowAboutWindowModeless() override { ++aboutShows; }

  static constexpr WindowHandle kHostWindow = 0x4242;

private:
  bool WriteBytes(const std::wstring& path, const std::string& bytes, bool append);

  std::wstring programFolder_;
  // In creation order, the order of a search; a list, so File() pointers stay valid while the core
  // adds or deletes.
  std::list<FakeFile> files_;
  std::map<TimerId, TimerState> timers_;
  std::uint64_t clock_ = 0;
  std::uint64_t writeCounter_ = 1;
  IconHandle nextIcon_ = 100;
};

} // namespace velmora::fake
