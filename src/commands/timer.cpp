// The event timer: set timer arms a repeating period, from milliseconds to
// hours, each completed period runs the timerEvent handler, and stop timer
// ends it.
#include <climits>

#include "base/numbers.hpp"
#include "base/text.hpp"
#include "commands/commands.hpp"
#include "interpreter/run.hpp"

namespace velmora {

namespace {

// Periods longer than one tick can count are counted in ticks of a minute
// and one final tick of the remainder. Periods are kept as signed counts.
constexpr auto kLongestTick = static_cast<std::int32_t>(kLongestTimerTick);
constexpr auto kMinute = static_cast<std::int32_t>(kMinuteTick);

std::uint32_t TickFor(std::int32_t period) {
  return static_cast<std::uint32_t>(period <= kLongestTick ? period : kMinute);
}

} // namespace

std::optional<double> TimerUnitFactor(std::wstring_view unit) {
  static constexpr struct {
    const wchar_t* word;
    double factor;
  } kUnits[] = {
      {L"ms", 1},         {L"milliseconds", 1}, {L"sec", 1000},   {L"secs", 1000},
      {L"second", 1000},  {L"seconds", 1000},   {L"min", 60000},  {L"mins", 60000},
      {L"minute", 60000}, {L"minutes", 60000},  {L"hr", 3600000}, {L"hrs", 3600000},
      {L"hour", 3600000}, {L"hours", 3600000},
  };
  for (const auto& entry : kUnits) {
    if (unit == entry.word) {
      return entry.factor;
    }
  }
  return std::nullopt;
}

std::wstring TimerUnitWord(std::wstring_view line) {
  const std::vector<std::wstring_view> words = SplitItems(line, L' ');
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    if ((words[i] == L"to" || words[i] == L"for") && !words[i + 1].empty() &&
        ParseNumber(words[i + 1])) {
      return i + 2 < words.size() ? std::wstring(words[i + 2]) : L"";
    }
  }
  return L"";
}

CommandResult SetTimerCommand(App& app, const CommandLine& command) {
  const std::optional<double> number = NumberAfterKeyword(command.line, L"to", L"for");
  if (!number) {
    return Fail(app, L"Can't understand 'set timer' command.");
  }
  // Unknown unit words, capitalised ones included, and no word mean
  // milliseconds.
  const double period = *number * TimerUnitFactor(TimerUnitWord(command.line)).value_or(1);
  // The period is kept as a 32-bit count of milliseconds; a negative one or
  // one beyond that is refused and the timer keeps its state.
  if (period < 0 || period >= static_cast<double>(INT32_MAX) + 1) {
    return Fail(app, L"Can't understand 'set timer' command.");
  }
  ++app.timer.TimerGeneration;
  app.timer.TimerElapsed = 0;
  app.timer.TimerPeriod = static_cast<std::int32_t>(period);
  if (period == 0) {
    app.platform.SetTimerInterval(TimerId::TimerEvent, 0);
    app.platform.SetTimerEnabled(TimerId::TimerEvent, false);
    return CommandResult::Ok;
  }
  app.platform.SetTimerInterval(TimerId::TimerEvent, TickFor(app.timer.TimerPeriod));
  app.platform.SetTimerEnabled(TimerId::TimerEvent, true);
  return CommandResult::Ok;
}

CommandResult StopTimerCommand(App& app, const CommandLine&) {
  ++app.timer.TimerGeneration;
  app.platform.SetTimerInterval(TimerId::TimerEvent, 0);
  app.platform.SetTimerEnabled(TimerId::TimerEvent, false);
  return CommandResult::Ok;
}

void TimerEventTimer_Timer(App& app) {
  const std::uint32_t interval = app.platform.TimerInterval(TimerId::TimerEvent);
  if (interval == 0) {
    app.platform.SetTimerEnabled(TimerId::TimerEvent, false);
    return;
  }
  if (app.timer.TimerElapsed + static_cast<std::int64_t>(interval) != app.timer.TimerPeriod) {
    // A minute of a long period has passed; the last tick takes the rest.
    app.timer.TimerElapsed += kMinute;
    const std::int32_t remaining = app.timer.TimerPeriod - app.timer.TimerElapsed;
    if (remaining <= kLongestTick) {
      app.platform.SetTimerInterval(TimerId::TimerEvent, static_cast<std::uint32_t>(remaining));
    }
    return;
  }
  // The period is complete. The next one is timed from the end of the run,
  // unless the handler itself set or stopped the timer: its word stands.
  app.platform.SetTimerEnabled(TimerId::TimerEvent, false);
  const std::uint32_t generation = app.timer.TimerGeneration;
  RunHandler(app, app.handlers[Slot::TimerEvent], L"timerEvent", Mode::Optional);
  if (generation != app.timer.TimerGeneration) {
    return;
  }
  app.timer.TimerElapsed = 0;
  app.platform.SetTimerInterval(TimerId::TimerEvent, TickFor(app.timer.TimerPeriod));
  app.platform.SetTimerEnabled(TimerId::TimerEvent, true);
}

} // namespace velmora
