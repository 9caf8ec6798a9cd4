// The fake platform's own behaviour, where a mistake in it would make the
// core's tests pass or fail for the wrong reason.
#include <gtest/gtest.h>

#include "fake/fake_platform.hpp"

namespace velmora::fake {
namespace {

std::vector<std::wstring> Names(const std::vector<FoundFile>& entries) {
  std::vector<std::wstring> names;
  for (const auto& entry : entries) {
    names.push_back(entry.nameField.substr(0, entry.nameField.find(L'\0')));
  }
  return names;
}

TEST(FakePlatformFiles, SearchMatchesWildcardsWithoutRegardToCase) {
  FakePlatform fake;
  fake.AddFile(L"C:\\App\\b.scp", "");
  fake.AddFile(L"C:\\App\\A.SCP", "");
  fake.AddFolder(L"C:\\App\\dir.scp");
  fake.AddFile(L"C:\\App\\a.scpx", "");
  fake.AddFile(L"C:\\App\\readme", "");
  fake.AddFile(L"C:\\App\\sub\\c.scp", "");

  const struct {
    const wchar_t* pattern;
    std::vector<std::wstring> names;
  } cases[] = {
      // As on Windows, a short name matches too: a.scpx is A~1.SCP.
      {L"c:\\APP\\*.SCP", {L"b.scp", L"A.SCP", L"dir.scp", L"a.scpx"}},
      {L"C:\\App\\A~1.SCP", {L"a.scpx"}},
      {L"C:\\App\\?.scp", {L"b.scp", L"A.SCP"}},
      {L"C:\\App\\*.*", {L"b.scp", L"A.SCP", L"dir.scp", L"a.scpx", L"readme", L"sub"}},
      {L"C:\\Missing\\*.scp", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Names(fake.FindFiles(c.pattern)), c.names) << c.pattern;
  }
  // The name field is padded with NULs as Windows leaves it.
  EXPECT_EQ(fake.FindFiles(L"C:\\App\\b.scp")[0].nameField,
            std::wstring(L"b.scp") + std::wstring(255, L'\0'));
}

TEST(FakePlatformFiles, ProgramFolderHasNoTrailingBackslashExceptAtARoot) {
  EXPECT_EQ(FakePlatform(L"C:\\Tools\\Tray\\").ProgramFolder(), L"C:\\Tools\\Tray");
  EXPECT_EQ(FakePlatform(L"C:\\").ProgramFolder(), L"C:\\");
}

TEST(FakePlatformTimers, TicksArriveInTimeOrderAndFollowChangesMadeByHandlers) {
  FakePlatform fake;
  std::vector<std::pair<TimerId, std::uint64_t>> ticks;
  fake.SetTimerInterval(TimerId::Swap, 500);
  fake.SetTimerEnabled(TimerId::Swap, true);
  fake.SetTimerEnabled(TimerId::Poll, true);
  fake.SetTimerInterval(TimerId::Poll, 300);
  fake.SetTimerEnabled(TimerId::TimerEvent, true);
  fake.SetTimerInterval(TimerId::TimerEvent, 0);
  fake.onTick = [&](TimerId id) {
    ticks.emplace_back(id, fake.Now());
    if (id == TimerId::Swap) {
      // Re-arming restarts the countdown from this tick.
      fake.SetTimerInterval(TimerId::Swap, 400);
    }
    if (id == TimerId::Poll && fake.Now() == 900) {
      fake.SetTimerEnabled(TimerId::Poll, false);
    }
  };

  fake.AdvanceClock(1300);

  const std::vector<std::pair<TimerId, std::uint64_t>> expected = {
      {TimerId::Poll, 300}, {TimerId::Swap, 500}, {TimerId::Poll, 600},
      {TimerId::Swap, 900}, {TimerId::Poll, 900}, {TimerId::Swap, 1300},
  };
  EXPECT_EQ(ticks, expected);
  EXPECT_EQ(fake.Now(), 1300u);
}

TEST(FakePlatformTimers, EnablingARunningTimerDoesNotRestartIt) {
  FakePlatform fake;
  int ticks = 0;
  fake.onTick = [&](TimerId) { ++ticks; };
  fake.SetTimerInterval(TimerId::Swap, 500);
  fake.SetTimerEnabled(TimerId::Swap, true);
  fake.AdvanceClock(400);
  fake.SetTimerEnabled(TimerId::Swap, true);
  fake.AdvanceClock(100);
  EXPECT_EQ(ticks, 1);
  fake.SetTimerEnabled(TimerId::Swap, false);
  fake.AdvanceClock(1000);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(fake.Now(), 1500u);
}

TEST(FakePlatformDialogs, HookRunsWhileTheBoxIsOpenAndMayOpenAnother) {
  FakePlatform fake;
  fake.answers = {kButtonNo, kButtonCancel};
  fake.onMessageBox = [&](const MessageBoxCall& call) -> std::optional<int> {
    if (call.text == L"outer") {
      EXPECT_EQ(fake.ShowMessageBox(L"inner", L"", 0), kButtonNo);
      return std::nullopt;
    }
    if (call.text == L"hooked") {
      return kButtonYes;
    }
    return std::nullopt;
  };
  EXPECT_EQ(fake.ShowMessageBox(L"outer", L"c", 4), kButtonCancel);
  EXPECT_EQ(fake.ShowMessageBox(L"hooked", L"c", 4), kButtonYes);
  EXPECT_EQ(fake.ShowMessageBox(L"last", L"c", 0), kButtonOk);
  ASSERT_EQ(fake.boxes.size(), 4u);
  EXPECT_EQ(fake.boxes[1].text, L"inner");
}

} // namespace
} // namespace velmora::fake
