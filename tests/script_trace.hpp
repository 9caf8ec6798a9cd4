// What script lines did, read back from the fake: the tooltips they set, and
// whether the quit sequence was started.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "fake/fake_platform.hpp"

namespace velmora::testing {

// The tooltip texts sent to the shell with a modify message, in order. Lines
// `set tooltip "<mark>"` serve as markers of which lines ran.
inline std::vector<std::wstring> Tips(const fake::FakePlatform& fake) {
  std::vector<std::wstring> tips;
  for (const auto& call : fake.trayCalls) {
    if (call.message == 1) {
      tips.emplace_back(call.record.szTip.c_str());
    }
  }
  return tips;
}

// Every timer running, so that the quit sequence has something to stop.
inline void StartAllTimers(fake::FakePlatform& fake) {
  for (const TimerId timer : {TimerId::Swap, TimerId::Poll, TimerId::TimerEvent}) {
    fake.Timer(timer).enabled = true;
  }
}

// The quit sequence: normal cursor back, every timer off, the icon removed
// and one close request posted.
inline void ExpectShutDownStarted(fake::FakePlatform& fake) {
  EXPECT_EQ(fake.cursorRestores, 1);
  EXPECT_FALSE(fake.Timer(TimerId::Swap).enabled);
  EXPECT_FALSE(fake.Timer(TimerId::Poll).enabled);
  EXPECT_FALSE(fake.Timer(TimerId::TimerEvent).enabled);
  int deletes = 0;
  for (const auto& call : fake.trayCalls) {
    deletes += call.message == 2 ? 1 : 0;
  }
  EXPECT_EQ(deletes, 1);
  EXPECT_EQ(fake.closePosts, 1);
}

} // namespace velmora::testing
