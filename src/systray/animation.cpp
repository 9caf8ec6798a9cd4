// Icon flashing and swapping on the swap timer, and stopping them.
#include "systray/animation.hpp"

#include "base/files.hpp"
#include "base/numbers.hpp"
#include "base/text.hpp"
#include "interpreter/escapes.hpp"
#include "systray/tray.hpp"

namespace velmora {

namespace {

constexpr std::uint32_t kDefaultSwapInterval = 500;
// An "every" of more than a minute is no usable interval: the default stays.
constexpr double kLongestSwapInterval = kMinuteTick;

// The interval an "every" clause asks for: none when the clause is absent or
// its number is unusable (too large, not a number), which keeps the default.
// A negative number, also the "-1" of a missing one, is refused.
struct EveryClause {
  bool refused = false;
  std::optional<std::uint32_t> interval;
};

EveryClause ReadEveryClause(std::wstring_view text) {
  EveryClause clause;
  if (GetItem(text, 1, L' ') != L"every") {
    return clause;
  }
  const std::wstring word = GetItem(text, 2, L' ');
  const std::optional<double> value = word.empty() ? std::nullopt : ParseNumber(word);
  if (!value) {
    return clause;
  }
  if (*value < 0) {
    clause.refused = true;
  } else if (*value <= kLongestSwapInterval) {
    clause.interval = static_cast<std::uint32_t>(*value);
  }
  return clause;
}

void StartSwapTimer(App& app, const EveryClause& clause) {
  app.animation.SwapInterval = clause.interval.value_or(kDefaultSwapInterval);
  app.platform.SetTimerInterval(TimerId::Swap, app.animation.SwapInterval);
  app.platform.SetTimerEnabled(TimerId::Swap, true);
}

} // namespace

CommandResult FlashCommand(App& app, const CommandLine& command) {
  if (command.w2 != L"icon") {
    return Fail(app, L"Can't understand 'flash' command.");
  }
  const std::wstring file = GetQuotedText(command.line);
  // Without a file name the clause is looked for in the whole line, whose
  // first word is "flash", so the interval stays at its default.
  const EveryClause clause = ReadEveryClause(GetTextAfterQuotes(command.line));
  if (clause.refused) {
    return Fail(app, L"Can't understand 'flash' command.");
  }
  app.platform.SetTimerEnabled(TimerId::Swap, false);
  if (file != kNoQuote) {
    const std::wstring path = ResolvePath(app.platform, file);
    if (!FileExists(app.platform, path)) {
      return Fail(app, L"Can't understand 'flash' command.");
    }
    app.animation.FirstIconFile = path;
  }
  app.animation.SecondIconFile.clear();
  StartSwapTimer(app, clause);
  return CommandResult::Ok;
}

CommandResult SwapCommand(App& app, const CommandLine& command) {
  if (command.w2 == L"icon") {
    // The singular is the plural, run as a line of its own; a failure has
    // been reported by that run.
    ExecuteCommand(app, L"swap icons " +
                            GetItemRange(command.line, 3, CountItems(command.line, L" "), L' '));
    return CommandResult::Ok;
  }
  if (command.w2 != L"icons") {
    return CommandResult::Ok;
  }
  const std::wstring first = GetQuotedText(command.line);
  const std::wstring rest = GetTextAfterQuotes(command.line);
  const std::wstring second = rest.empty() ? kNoQuote : GetQuotedText(rest);
  const EveryClause clause =
      ReadEveryClause(second == kNoQuote ? std::wstring() : GetTextAfterQuotes(rest));
  if (clause.refused) {
    return Fail(app, L"Can't understand 'swap' command.");
  }
  app.platform.SetTimerEnabled(TimerId::Swap, false);
  if (first == kNoQuote) {
    return Fail(app, L"Can't understand 'swap' command.");
  }
  const std::wstring firstPath = ResolvePath(app.platform, first);
  if (!FileExists(app.platform, firstPath)) {
    return Fail(app, L"Can't understand 'swap' command. (File '" + first + L"' doesn't exist.)");
  }
  // The first file is taken even when the line fails after it, so a later
  // "flash icon" without a file flashes it.
  app.animation.FirstIconFile = firstPath;
  if (second == kNoQuote) {
    return Fail(app, L"Can't understand 'swap' command.");
  }
  const std::wstring secondPath = ResolvePath(app.platform, second);
  if (!FileExists(app.platform, secondPath)) {
    return Fail(app, L"Can't understand 'swap' command. (File '" + second + L"' doesn't exist.)");
  }
  app.animation.SecondIconFile = secondPath;
  StartSwapTimer(app, clause);
  return CommandResult::Ok;
}

CommandResult StopAnimationCommand(App& app, const CommandLine&) {
  // The picture shown at this moment stays, the blank one included.
  app.platform.SetTimerEnabled(TimerId::Swap, false);
  return CommandResult::Ok;
}

void SwapTimer_Timer(App& app) {
  IconHandle icon = 0;
  if (app.animation.FirstIconFile != app.animation.ShownIconFile) {
    icon = app.platform.LoadFormIconFromFile(app.animation.FirstIconFile);
    app.animation.ShownIconFile = app.animation.FirstIconFile;
  } else {
    icon = app.animation.SecondIconFile.empty()
               ? app.platform.SetBlankFormIcon()
               : app.platform.LoadFormIconFromFile(app.animation.SecondIconFile);
    app.animation.ShownIconFile = app.animation.SecondIconFile;
  }
  // A picture that can no longer be loaded leaves the icon as it is; the
  // animation goes on with the next one.
  if (icon == 0) {
    return;
  }
  // The picture shown before is gone now, so the record names the new one: a
  // later tip change, or the icon added again after Explorer restarts, shows
  // what the user sees. The tick changes the picture alone, so the tip stays
  // while the icon animates.
  app.tray.TrayIcon.hIcon = icon;
  PrepareRecordHeader(app);
  TrayIconRecord record = app.tray.TrayIcon;
  record.uFlags = kNifIcon;
  app.platform.ShellNotifyIcon(kNimModify, record);
}

} // namespace velmora
