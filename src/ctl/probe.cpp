// A system that only pretends, and the line probe built on it. Questions a
// line asks of the system get the answer the script hopes for (every file is
// there, the shell is new enough); everything that would act on the machine
// does nothing but note that the line has acted.
#include "ctl/probe.hpp"

#include <array>

#include "base/encoding.hpp"
#include "base/files.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/escapes.hpp"

namespace velmora::ctl {

namespace {

class ProbePlatform final : public Platform {
public:
  bool acted = false;
  std::vector<std::wstring> texts;

  int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                     std::uint32_t) override {
    Note(text);
    Note(caption);
    return 0;
  }
  void DefaultBeep() override { Act(); }
  bool ShellNotifyIcon(std::uint32_t, const TrayIconRecord& record) override {
    Note(StripAtNul(record.szTip));
    Note(StripAtNul(record.szInfo));
    Note(StripAtNul(record.szInfoTitle));
    return true;
  }

  WindowHandle HostWindow() override { return 1; }
  void HideHostWindow() override { Act(); }
  void PostCloseToHost() override { Act(); }
  void PostToHost(std::uint32_t, std::uintptr_t, std::intptr_t) override { Act(); }
  void SetForegroundHostWindow() override { Act(); }
  IconHandle FormIcon() override { return 1; }
  IconHandle LoadFormIconFromFile(const std::wstring&) override {
    Act();
    return 1;
  }
  IconHandle SetBlankFormIcon() override {
    Act();
    return 1;
  }

  // The timers are state a line sets and reads back, not an act.
  void SetTimerInterval(TimerId timer, std::uint32_t milliseconds) override {
    intervals_[static_cast<std::size_t>(timer)] = milliseconds;
  }
  std::uint32_t TimerInterval(TimerId timer) override {
    return intervals_[static_cast<std::size_t>(timer)];
  }
  void SetTimerEnabled(TimerId, bool) override {}

  void SetMenuItems(const std::vector<MenuItem>&) override { Act(); }
  void PopupMenu() override { Act(); }

  std::wstring ProgramFolder() override { return L"C:\\Velmora"; }
  // Every file is there, and empty.
  ReadStatus ReadFileBytes(const std::wstring&, std::string& bytes) override {
    Act();
    bytes.clear();
    return ReadStatus::Ok;
  }
  bool AppendFileBytes(const std::wstring&, std::string_view bytes) override {
    Note(DecodeText(bytes));
    return true;
  }
  bool CreateFileBytes(const std::wstring&, std::string_view bytes) override {
    Note(DecodeText(bytes));
    return true;
  }
  void WatchFolder(const std::wstring&, bool) override {}
  bool DeleteFiles(const std::wstring&) override {
    Act();
    return true;
  }
  bool MoveFileReplacing(const std::wstring&, const std::wstring&) override {
    Act();
    return true;
  }
  // Whether a file is there is a matter of the machine the script runs on,
  // not of the line: every file a line names is taken to exist.
  std::vector<FoundFile> FindFiles(const std::wstring& pattern) override {
    FoundFile file;
    file.nameField = pattern.substr(pattern.find_last_of(L"\\/") + 1);
    return {file};
  }
  std::wstring ShortPathName(const std::wstring& path) override { return path; }

  std::wstring ReadProfileString(const std::wstring&, const std::wstring&,
                                 const std::wstring& defaultValue, std::uint32_t,
                                 const std::wstring&) override {
    return defaultValue;
  }
  bool WriteProfileValue(const std::wstring&, const std::wstring&, const std::wstring&,
                         const std::wstring&) override {
    Act();
    return true;
  }

  bool DownloadUrlToFile(const std::wstring&, const std::wstring&) override {
    Act();
    return false;
  }
  bool ForgetUrlCacheEntry(const std::wstring&) override {
    Act();
    return true;
  }
  p256::Verdict VerifySignature(std::string_view, std::string_view, std::string_view) override {
    Act();
    return p256::Verdict::Invalid;
  }

  void ShellExecuteOpen(const std::wstring&, const std::optional<std::wstring>&) override { Act(); }
  bool StartProcess(const std::wstring&) override {
    Act();
    return true;
  }

  void SetSystemArrowCursor(std::uint32_t) override { Act(); }
  void RestoreSystemCursors() override { Act(); }

  OsVersion GetOsVersion() override { return {6, 1}; }
  std::uint32_t ShlwapiMajorVersion() override { return 6; }
  std::optional<std::uint16_t> Shell32MajorVersion() override { return 6; }

  std::wstring ShortDateText() override { return L"1/2/2026"; }
  std::wstring LongTimeText() override { return L"3:04:05 PM"; }

  void CreateAboutWindow() override { Act(); }
  FormGeometry AboutWindowGeometry() override { return {}; }
  void MoveAboutWindow(int, int) override { Act(); }
  void ShowAboutWindowModeless() override { Act(); }

private:
  void Act() { acted = true; }
  void Note(const std::wstring& text) {
    Act();
    texts.push_back(text);
  }

  std::array<std::uint32_t, 3> intervals_{};
};

} // namespace

LineProbe ProbeLine(std::wstring_view line) {
  ProbePlatform platform;
  App app(platform);
  LineProbe probe;
  // Whether an update check has taken a script to keep is known only as the
  // script runs: keep update is taken to have one.
  app.download.TakenScript = std::string();
  // A report made before the line first acts is the line's own refusal; one
  // made after it tells how the act went, which only the real machine knows.
  app.ReportSink = [&platform, &probe](const std::wstring& message) {
    if (!platform.acted && !probe.refusal) {
      probe.refusal = message;
    }
  };
  ExecuteCommand(app, line);
  probe.textsOut = std::move(platform.texts);
  for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
    const std::wstring& text = app.handlers[static_cast<Slot>(slot)];
    if (!text.empty()) {
      probe.installed = text;
    }
  }
  return probe;
}

QuietProgram::QuietProgram() : platform_(std::make_unique<ProbePlatform>()), app_(*platform_) {
  app_.ReportSink = [](const std::wstring&) {};
}

std::wstring ExpandAsScript(std::wstring_view text, bool keepQuoteEscape) {
  QuietProgram program;
  return ExpandEscapes(program.app(), text, keepQuoteEscape);
}

std::wstring RunReport(RunResult result, std::wstring_view handlerName) {
  QuietProgram program;
  std::wstring report;
  program.app().ReportSink = [&report](const std::wstring& message) { report = message; };
  ReportRunResult(program.app(), result, handlerName);
  return report;
}

} // namespace velmora::ctl
