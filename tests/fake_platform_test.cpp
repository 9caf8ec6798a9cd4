// The fake platform's own behaviour, where a mistake in it would make the core's tests pass or fail
// for the wrong reason.
#include <gtest/gtest.h>

#include "fake/fake_platform.hpp"

namespace velmora::fake {
namespace {

TEST(FakePlatformFiles, SearchMatchesWildcardsAndShortNamesWithoutRegardToCase) {
  FakePlatform fake;
  fake.AddFolder(L"C:\\App\\dir.scp");
  for (const wchar_t* name : {L"b.scp", L"A.SCP", L"a.scpx", L"readme", L"sub\\c.scp"}) {
    fake.AddFile(L"C:\\App\\" + std::wstring(name), "");
  }
  const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
      // As on Windows, a short name matches too: a.scpx is A~1.SCP.
      {L"c:\\APP\\*.SCP", {L"dir.scp", L"b.scp", L"A.SCP", L"a.scpx"}},
      {L"C:\\App\\?.scp", {L"b.scp", L"A.SCP"}},
      {L"C:\\App\\*.*", {L"dir.scp", L"b.scp", L"A.SCP", L"a.scpx", L"readme", L"sub"}},
  };
  for (const auto& [pattern, names] : cases) {
    std::vector<std::wstring> found;
    for (const FoundFile& entry : fake.FindFiles(pattern)) {
      found.push_back(entry.nameField.substr(0, entry.nameField.find(L'\0')));
    }
    EXPECT_EQ(found, names) << pattern;
  }
  // The name field is padded with NULs as Windows leaves it.
  EXPECT_EQ(fake.FindFiles(L"C:\\App\\b.scp")[0].nameField,
            std::wstring(L"b.scp") + std::wstring(255, L'\0'));
}

TEST(FakePlatformTimers, TicksArriveInTimeOrderAndFollowChangesMadeByHandlers) {
  FakePlatform fake;
  std::vector<std::pair<TimerId, std::uint64_t>> ticks;
  fake.SetTimerInterval(TimerId::Swap, 500);
  fake.SetTimerEnabled(TimerId::Swap, true);
  fake.SetTimerEnabled(TimerId::Poll, true);
  fake.SetTimerInterval(TimerId::Poll, 300);
  fake.SetTimerEnabled(TimerId::TimerEvent, true); // an interval of 0 never ticks
  fake.onTick = [&](TimerId id) {
    ticks.emplace_back(id, fake.Now());
    if (id == TimerId::Swap) {
      fake.SetTimerInterval(TimerId::Swap, 400); // re-arming counts from this tick
    } else if (fake.Now() == 900) {
      fake.SetTimerEnabled(TimerId::Poll, false);
    }
  };
  fake.AdvanceClock(200);
  fake.SetTimerEnabled(TimerId::Swap, true); // enabling a running timer does not restart it
  fake.AdvanceClock(1200);
  // At 900 both are due: the tie goes to the first in TimerId order.
  const decltype(ticks) expected = {
      {TimerId::Poll, 300}, {TimerId::Swap, 500}, {TimerId::Poll, 600},
      {TimerId::Swap, 900}, {TimerId::Poll, 900}, {TimerId::Swap, 1300},
  };
  EXPECT_EQ(ticks, expected);
  EXPECT_EQ(fake.Now(), 1400u);
}

} // namespace
} // namespace velmora::fake
