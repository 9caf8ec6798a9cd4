// The event timer: set timer's numbers and units, long periods counted in
// minute ticks, and timerEvent runs that stop, re-set or outlast the timer.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/script.hpp"

namespace velmora::testing {
namespace {

fake::TimerState& EventTimer(Harness& h) {
  return h.fake.Timer(TimerId::TimerEvent);
}

// Installs a timerEvent handler with the given body lines.
void InstallTimerEvent(Harness& h, const std::vector<const wchar_t*>& body) {
  std::wstring text = L"on timerEvent";
  for (const wchar_t* line : body) {
    text += L"\r\n" + std::wstring(line);
  }
  ParseScript(h.app, text + L"\r\nend timerEvent");
}

TEST(SetTimer, NumbersAndUnitsGiveThePeriodAndTheFirstTick) {
  const struct {
    const wchar_t* line;
    std::int32_t period;
    std::uint32_t interval; // 0: the timer is off
  } cases[] = {
      {L"set timer for 5 seconds", 5000, 5000},
      {L"set the timer to 5000 ms", 5000, 5000},
      {L"set timer to 5", 5, 5},
      {L"set timer to 5 Seconds", 5, 5},
      {L"set timer to 1.5 min", 90000, kMinuteTick},
      {L"set timer for 2 hours", 7200000, kMinuteTick},
      {L"set timer to 65535", 65535, kLongestTimerTick},
      {L"set timer to 65536", 65536, kMinuteTick},
      {L"set timer to soon for 3 mins", 180000, kMinuteTick},
      {L"set timer to 596 hrs", 2145600000, kMinuteTick},
      {L"set timer to 0", 0, 0},
  };
  for (const auto& c : cases) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Ok) << c.line;
    EXPECT_EQ(h.app.timer.TimerPeriod, c.period) << c.line;
    EXPECT_EQ(EventTimer(h).interval, c.interval) << c.line;
    EXPECT_EQ(EventTimer(h).enabled, c.interval != 0) << c.line;
    EXPECT_TRUE(h.fake.boxes.empty()) << c.line;
  }
}

TEST(SetTimer, RefusedLinesLeaveARunningCountAlone) {
  const wchar_t* lines[] = {
      L"set timer to -5",
      L"set timer for -1 sec",
      L"set timer to",
      L"set timer for",
      L"set timer to soon",
      L"set timer to 597 hours",
      L"set timer for 1e12 ms",
      // Full-width and Arabic-Indic digits are refused, not misread.
      L"set timer to \uFF15\uFF10\uFF10\uFF10",
      L"set timer for 1\u0665 sec",
  };
  for (const wchar_t* line : lines) {
    Harness h;
    InstallTimerEvent(h, {L"beep"});
    ExecuteCommand(h.app, L"set timer for 2 min");
    h.fake.AdvanceClock(60000);
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    EXPECT_EQ(h.BoxTexts(), std::vector<std::wstring>{L"Can't understand 'set timer' command."});
    EXPECT_EQ(h.fake.boxes[0].caption, L"Parsing Error");
    EXPECT_EQ(h.app.timer.TimerPeriod, 120000) << line;
    EXPECT_EQ(h.app.timer.TimerElapsed, 60000) << line;
    h.fake.AdvanceClock(60000);
    EXPECT_EQ(h.fake.beeps, 1) << line;
  }
}

TEST(TimerEvent, FiresOncePerPeriodCountingLongPeriodsInMinuteTicks) {
  const struct {
    const wchar_t* line;
    std::uint64_t period;
    int ticksPerPeriod;
  } cases[] = {
      {L"set timer to 5 ms", 5, 1},
      {L"set timer to 65535", 65535, 1},
      {L"set timer to 65536", 65536, 2},
      {L"set timer to 125535", 125535, 2},
      {L"set timer for 200 seconds", 200000, 4},
      {L"set timer for 2 hours", 7200000, 120},
  };
  for (const auto& c : cases) {
    Harness h;
    int ticks = 0;
    h.fake.onTick = [&](TimerId timer) {
      ticks += timer == TimerId::TimerEvent ? 1 : 0;
      DeliverTick(h.app, timer);
    };
    InstallTimerEvent(h, {L"beep"});
    ExecuteCommand(h.app, c.line);
    h.fake.AdvanceClock(c.period - 1);
    EXPECT_EQ(h.fake.beeps, 0) << c.line;
    h.fake.AdvanceClock(1);
    EXPECT_EQ(h.fake.beeps, 1) << c.line;
    EXPECT_EQ(ticks, c.ticksPerPeriod) << c.line;
    h.fake.AdvanceClock(c.period);
    EXPECT_EQ(h.fake.beeps, 2) << c.line;
    EXPECT_EQ(ticks, 2 * c.ticksPerPeriod) << c.line;
  }
}

TEST(TimerEvent, FailingStoppingOrResettingHandlersAreObeyed) {
  const struct {
    std::vector<const wchar_t*> body;
    int beeps;
    std::size_t boxes;
    bool enabled;
  } cases[] = {
      // A failing run is reported by its command only, and the timer goes on.
      {{L"beep", L"bogus"}, 10, 10, true},
      {{L"beep", L"stop timer"}, 1, 0, false},
      {{L"beep", L"set timer to 300"}, 4, 0, true},
  };
  for (const auto& c : cases) {
    Harness h;
    InstallTimerEvent(h, c.body);
    ExecuteCommand(h.app, L"set timer to 100");
    h.fake.AdvanceClock(1000);
    EXPECT_EQ(h.fake.beeps, c.beeps) << c.body.back();
    EXPECT_EQ(h.BoxTexts(), std::vector<std::wstring>(c.boxes, L"Can't understand 'bogus'."));
    EXPECT_EQ(EventTimer(h).enabled, c.enabled) << c.body.back();
  }
}

TEST(TimerEvent, TicksRunWhileAnAnswerBoxIsOpen) {
  Harness h;
  InstallTimerEvent(h, {L"beep"});
  ExecuteCommand(h.app, L"set timer to 100");
  int beepsInsideTheBox = 0;
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    h.fake.AdvanceClock(250);
    beepsInsideTheBox = h.fake.beeps;
    return kButtonYes;
  };
  EXPECT_EQ(ExecuteCommand(h.app, L"answer question \"Go on?\" with \"YesNo\""), CommandResult::Ok);
  EXPECT_EQ(beepsInsideTheBox, 2);
  EXPECT_EQ(h.app.LastResult, L"Yes");
}

TEST(TimerEvent, TheNextPeriodStartsWhenTheHandlersBoxCloses) {
  Harness h;
  InstallTimerEvent(h, {L"answer \"Still there?\""});
  ExecuteCommand(h.app, L"set timer to 100");
  std::size_t boxesOpenInside = 0;
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    if (h.fake.boxes.size() == 1) {
      h.fake.AdvanceClock(1000);
      boxesOpenInside = h.fake.boxes.size();
    }
    return std::nullopt;
  };
  h.fake.AdvanceClock(100);
  EXPECT_EQ(boxesOpenInside, 1u) << "no tick may start a second run inside the first";
  h.fake.AdvanceClock(99);
  EXPECT_EQ(h.fake.boxes.size(), 1u);
  h.fake.AdvanceClock(1);
  EXPECT_EQ(h.fake.boxes.size(), 2u);
}

} // namespace
} // namespace velmora::testing
