// The event timer: set timer's numbers and units, long periods counted in minute ticks, and
// timerEvent runs that stop, re-set or outlast the timer.
#include <gtest/gtest.h>
#include <tuple>

#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/script.hpp"

namespace velmora::testing {
namespace {

// Each row: a line, then the period it sets, the first tick's interval ("off" when the timer does
// not run) and the ticks of a period: periods too long for one tick are counted in minute ticks.
// The handler runs once a period.
TEST(SetTimer, NumbersAndUnitsGiveThePeriodAndItsTicks) {
  for (const std::wstring row :
       {L"set timer for 5 seconds: 5000 5000 1", L"set the timer to 5000 ms: 5000 5000 1",
        L"set timer to 5: 5 5 1", L"set timer to 5 Seconds: 5 5 1",
        L"set timer to 1.5 min: 90000 60000 2", L"set timer for 2 hours: 7200000 60000 120",
        L"set timer to 65535: 65535 65535 1", L"set timer to 65536: 65536 60000 2",
        L"set timer to 125535: 125535 60000 2", L"set timer for 200 seconds: 200000 60000 4",
        L"set timer to soon for 3 mins: 180000 60000 3",
        L"set timer to 596 hrs: 2145600000 60000 35760", L"set timer to 0: 0 0 off"}) {
    SCOPED_TRACE(row);
    Harness h;
    int ticks = 0;
    h.fake.onTick = [&](TimerId timer) {
      ticks += timer == TimerId::TimerEvent ? 1 : 0;
      DeliverTick(h.app, timer);
    };
    ParseScript(h.app, Block(L"timerEvent", {L"beep"}));
    const std::size_t colon = row.find(L':');
    EXPECT_EQ(ExecuteCommand(h.app, row.substr(0, colon)), CommandResult::Ok);
    const auto period = static_cast<std::uint64_t>(h.app.timer.TimerPeriod);
    const fake::TimerState& timer = h.fake.Timer(TimerId::TimerEvent);
    std::wstring seen = std::to_wstring(period) + L" " + std::to_wstring(timer.interval) +
                        (timer.enabled ? L"" : L" off");
    if (period > 0) {
      h.fake.AdvanceClock(period - 1);
      EXPECT_EQ(h.fake.beeps, 0);
      h.fake.AdvanceClock(1);
      EXPECT_EQ(h.fake.beeps, 1);
      seen += L" " + std::to_wstring(ticks);
      h.fake.AdvanceClock(period);
      EXPECT_EQ(std::make_pair(h.fake.beeps, ticks),
                std::make_pair(2, 2 * std::stoi(seen.substr(seen.rfind(L' ')))));
    }
    EXPECT_EQ(seen, row.substr(colon + 2));
    EXPECT_TRUE(h.fake.boxes.empty());
  }
}

TEST(SetTimer, RefusedLinesLeaveARunningCountAlone) {
  // Full-width and Arabic-Indic digits are refused, not misread.
  for (const wchar_t* line :
       {L"set timer to -5", L"set timer for -1 sec", L"set timer to", L"set timer for",
        L"set timer to soon", L"set timer to 597 hours", L"set timer for 1e12 ms",
        L"set timer to \uFF15\uFF10\uFF10\uFF10", L"set timer for 1\u0665 sec"}) {
    Harness h;
    ParseScript(h.app, Block(L"timerEvent", {L"beep"}));
    ExecuteCommand(h.app, L"set timer for 2 min");
    h.fake.AdvanceClock(60000);
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'set timer' command."});
    EXPECT_EQ(h.Captions(), Texts{L"Parsing Error"});
    EXPECT_EQ(h.app.timer.TimerPeriod, 120000) << line;
    EXPECT_EQ(h.app.timer.TimerElapsed, 60000) << line;
    h.fake.AdvanceClock(60000);
    EXPECT_EQ(h.fake.beeps, 1) << line;
  }
}

TEST(TimerEvent, FailingStoppingOrResettingHandlersAreObeyed) {
  // A failing run is reported by its command only, and the timer goes on.
  const std::tuple<const wchar_t*, int, std::size_t, bool> cases[] = {
      {L"bogus", 10, 10, true}, {L"stop timer", 1, 0, false}, {L"set timer to 300", 4, 0, true}};
  for (const auto& [line, beeps, boxes, enabled] : cases) {
    Harness h;
    ParseScript(h.app, Block(L"timerEvent", {L"beep", line}));
    ExecuteCommand(h.app, L"set timer to 100");
    h.fake.AdvanceClock(1000);
    EXPECT_EQ(h.fake.beeps, beeps) << line;
    EXPECT_EQ(h.BoxTexts(), Texts(boxes, L"Can't understand 'bogus'.")) << line;
    EXPECT_EQ(h.fake.Timer(TimerId::TimerEvent).enabled, enabled) << line;
  }
}

// Ticks run while a box is open, but no tick starts a second run inside the first: the next period
// starts when the handler's box closes.
TEST(TimerEvent, TicksRunWhileABoxIsOpenAndTheNextPeriodStartsWhenTheHandlersBoxCloses) {
  Harness h;
  ParseScript(h.app, Block(L"timerEvent", {L"beep"}));
  ExecuteCommand(h.app, L"set timer to 100");
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    h.fake.AdvanceClock(250);
    EXPECT_EQ(h.fake.beeps, 2);
    return kButtonYes;
  };
  EXPECT_EQ(ExecuteCommand(h.app, L"answer question \"Go on?\" with \"YesNo\""), CommandResult::Ok);
  EXPECT_EQ(h.app.LastResult, L"Yes");

  Harness b;
  ParseScript(b.app, Block(L"timerEvent", {L"answer \"Still there?\""}));
  ExecuteCommand(b.app, L"set timer to 100");
  b.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    if (b.fake.boxes.size() == 1) {
      b.fake.AdvanceClock(1000);
      EXPECT_EQ(b.fake.boxes.size(), 1u);
    }
    return std::nullopt;
  };
  b.fake.AdvanceClock(100);
  b.fake.AdvanceClock(99);
  EXPECT_EQ(b.fake.boxes.size(), 1u);
  b.fake.AdvanceClock(1);
  EXPECT_EQ(b.fake.boxes.size(), 2u);
}

} // namespace
} // namespace velmora::testing
