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
  fake.AddFile(L"C:\\App\\ab.scp", "");
  fake.AddFile(L"C:\\App\\a.scpx", "");
  fake.AddFile(L"C:\\App\\readme", "");
  fake.AddFile(L"C:\\App\\sub\\c.scp", "");

  const struct {
    const wchar_t* pattern;
    std::vector<std::wstring> names;
  } cases[] = {
      {L"C:\\App\\*.scp", {L"b.scp", L"A.SCP", L"dir.scp", L"ab.scp"}},
      {L"c:\\APP\\*.SCP", {L"b.scp", L"A.SCP", L"dir.scp", L"ab.scp"}},
      {L"C:\\App\\?.scp", {L"b.scp", L"A.SCP"}},
      {L"C:\\App\\a*", {L"A.SCP", L"ab.scp", L"a.scpx"}},
      {L"C:\\App\\*.*", {L"b.scp", L"A.SCP", L"dir.scp", L"ab.scp", L"a.scpx", L"readme", L"sub"}},
      {L"C:\\App\\a.scp", {L"A.SCP"}},
      {L"C:\\App\\*.txt", {}},
      {L"C:\\Missing\\*.scp", {}},
      {L"C:\\App\\sub\\*", {L"c.scp"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Names(fake.FindFiles(c.pattern)), c.names) << c.pattern;
  }
}

TEST(FakePlatformFiles, SearchEntriesCarryPaddedNameAndAttributes) {
  FakePlatform fake;
  fake.AddFolder(L"C:\\App\\icons");
  fake.AddFile(L"C:\\App\\x.log", "12345");
  fake.File(L"C:\\App\\x.log")->hidden = true;

  const auto entries = fake.FindFiles(L"C:\\App\\*");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].directory);
  EXPECT_EQ(entries[1].nameField.size(), 260u);
  EXPECT_EQ(entries[1].nameField.substr(0, 6), std::wstring(L"x.log\0", 6));
  EXPECT_FALSE(entries[1].directory);
  EXPECT_TRUE(entries[1].hidden);
  EXPECT_EQ(entries[1].size, 5u);

  // Rewriting a file keeps its place in the enumeration and changes its stamp.
  const auto stamp = entries[1].lastWrite;
  fake.AddFile(L"C:\\APP\\X.LOG", "1");
  const auto again = fake.FindFiles(L"C:\\App\\*");
  EXPECT_EQ(Names(again), (std::vector<std::wstring>{L"icons", L"x.log"}));
  EXPECT_NE(again[1].lastWrite, stamp);
}

TEST(FakePlatformFiles, ProgramFolderHasNoTrailingBackslashExceptAtARoot) {
  EXPECT_EQ(FakePlatform(L"C:\\Tools\\Tray\\").ProgramFolder(), L"C:\\Tools\\Tray");
  EXPECT_EQ(FakePlatform(L"C:\\Tools\\Tray").ProgramFolder(), L"C:\\Tools\\Tray");
  EXPECT_EQ(FakePlatform(L"C:\\").ProgramFolder(), L"C:\\");
  EXPECT_TRUE(FakePlatform(L"D:\\Tray").Exists(L"d:\\tray\\"));
}

TEST(FakePlatformFiles, TextIsLatin1AndWritesRespectAttributes) {
  FakePlatform fake;
  EXPECT_TRUE(fake.AppendTextFile(L"C:\\App\\out.txt", L"caf\u00e9 \u20ac"));
  EXPECT_TRUE(fake.AppendTextFile(L"c:\\app\\OUT.TXT", L"!"));
  EXPECT_EQ(fake.Contents(L"C:\\App\\out.txt"), "caf\xe9 ?!");
  std::wstring text;
  EXPECT_EQ(fake.ReadTextFile(L"C:\\App\\out.txt", text), ReadStatus::Ok);
  EXPECT_EQ(text, L"caf\u00e9 ?!");
  EXPECT_TRUE(fake.CreateTextFile(L"C:\\App\\out.txt", L"new"));
  EXPECT_EQ(fake.Contents(L"C:\\App\\out.txt"), "new");

  EXPECT_FALSE(fake.AppendTextFile(L"C:\\Missing\\out.txt", L"x"));
  EXPECT_FALSE(fake.Exists(L"C:\\Missing\\out.txt"));
  fake.AddFolder(L"C:\\Locked");
  fake.SetFolderReadOnly(L"C:\\Locked", true);
  EXPECT_FALSE(fake.CreateTextFile(L"C:\\Locked\\out.txt", L"x"));

  fake.File(L"C:\\App\\out.txt")->readOnly = true;
  EXPECT_FALSE(fake.AppendTextFile(L"C:\\App\\out.txt", L"x"));
  fake.AddFile(L"C:\\App\\busy.txt", "b");
  fake.File(L"C:\\App\\busy.txt")->inUse = true;
  EXPECT_FALSE(fake.CreateTextFile(L"C:\\App\\busy.txt", L"x"));
  EXPECT_EQ(fake.ReadTextFile(L"C:\\App\\busy.txt", text), ReadStatus::InUse);
  fake.AddFile(L"C:\\App\\secret.txt", "s");
  fake.File(L"C:\\App\\secret.txt")->unreadable = true;
  EXPECT_EQ(fake.ReadTextFile(L"C:\\App\\secret.txt", text), ReadStatus::Failed);
  EXPECT_EQ(fake.ReadTextFile(L"C:\\App\\none.txt", text), ReadStatus::Failed);
  EXPECT_EQ(fake.Contents(L"C:\\App\\out.txt"), "new");
  EXPECT_EQ(fake.Contents(L"C:\\App\\busy.txt"), "b");
}

TEST(FakePlatformFiles, DeleteRemovesWhatItCanAndReportsTheRest) {
  FakePlatform fake;
  fake.AddFile(L"C:\\App\\a.tmp", "");
  fake.AddFile(L"C:\\App\\b.tmp", "");
  fake.AddFile(L"C:\\App\\c.tmp", "");
  fake.AddFolder(L"C:\\App\\d.tmp");
  fake.File(L"C:\\App\\b.tmp")->undeletable = true;

  EXPECT_FALSE(fake.DeleteFiles(L"C:\\APP\\*.TMP"));
  EXPECT_EQ(fake.FileNames(), std::vector<std::wstring>{L"C:\\App\\b.tmp"});
  EXPECT_TRUE(fake.Exists(L"C:\\App\\d.tmp"));
  EXPECT_FALSE(fake.DeleteFiles(L"C:\\App\\*.none"));
  fake.File(L"C:\\App\\b.tmp")->undeletable = false;
  EXPECT_TRUE(fake.DeleteFiles(L"C:\\App\\b.tmp"));
  EXPECT_TRUE(fake.FileNames().empty());
}

TEST(FakePlatformFiles, ShortPathNamesOfExistingPaths) {
  FakePlatform fake;
  fake.AddFile(L"C:\\Long Folder Name\\data file.txt", "");
  fake.AddFile(L"C:\\App\\page.html", "");
  EXPECT_EQ(fake.ShortPathName(L"C:\\Long Folder Name\\data file.txt"),
            L"C:\\LONGFO~1\\DATAFI~1.TXT");
  EXPECT_EQ(fake.ShortPathName(L"C:\\App\\page.html"), L"C:\\App\\PAGE~1.HTM");
  EXPECT_EQ(fake.ShortPathName(L"C:\\Long Folder Name"), L"C:\\LONGFO~1");
  EXPECT_EQ(fake.ShortPathName(L"C:\\Long Folder Name\\other.txt"), L"");
}

TEST(FakePlatformSettings, ReadsIniValuesLikeWindows) {
  FakePlatform fake;
  fake.AddFile(L"C:\\App\\velmora.ini",
               "[Other]\r\nLastID=9\r\n[updates]\r\n  lastid =  42  \r\nEmpty=\r\n");
  const std::wstring ini = L"C:\\App\\velmora.ini";
  EXPECT_EQ(fake.ReadProfileString(L"Updates", L"LastID", L"d", 255, ini), L"42");
  EXPECT_EQ(fake.ReadProfileString(L"Updates", L"LastID", L"d", 2, ini), L"4");
  EXPECT_EQ(fake.ReadProfileString(L"Updates", L"Empty", L"d", 255, ini), L"");
  EXPECT_EQ(fake.ReadProfileString(L"Updates", L"Other", L"d", 255, ini), L"d");
  EXPECT_EQ(fake.ReadProfileString(L"Missing", L"LastID", L"d", 255, ini), L"d");
  EXPECT_EQ(fake.ReadProfileString(L"Updates", L"LastID", L"d", 255, L"C:\\App\\no.ini"), L"d");
}

TEST(FakePlatformSettings, WritesKeepTheRestOfTheFile) {
  FakePlatform fake;
  const std::wstring ini = L"C:\\App\\velmora.ini";
  EXPECT_TRUE(fake.WriteProfileValue(L"Updates", L"LastID", L"1", ini));
  EXPECT_EQ(fake.Contents(ini), "[Updates]\r\nLastID=1\r\n");

  fake.AddFile(ini, "; note\r\n[A]\r\nx=1\r\n\r\n[updates]\r\nlastid=5\r\ny=2");
  EXPECT_TRUE(fake.WriteProfileValue(L"UPDATES", L"LastID", L"6", ini));
  EXPECT_TRUE(fake.WriteProfileValue(L"a", L"z", L"3", ini));
  EXPECT_TRUE(fake.WriteProfileValue(L"Updates", L"w", L"4", ini));
  EXPECT_TRUE(fake.WriteProfileValue(L"New", L"k", L"v", ini));
  EXPECT_EQ(fake.Contents(ini), "; note\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[updates]\r\nlastid=6\r\n"
                                "y=2\r\nw=4\r\n[New]\r\nk=v\r\n");

  fake.File(ini)->readOnly = true;
  EXPECT_FALSE(fake.WriteProfileValue(L"Updates", L"LastID", L"7", ini));
  EXPECT_EQ(fake.ReadProfileString(L"Updates", L"LastID", L"", 255, ini), L"6");
}

TEST(FakePlatformTimers, TicksArriveInTimeOrderAndFollowChangesMadeByHandlers) {
  FakePlatform fake;
  std::vector<std::pair<TimerId, std::uint64_t>> ticks;
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
  fake.answers = {kIdNo, kIdCancel};
  fake.onMessageBox = [&](const MessageBoxCall& call) -> std::optional<int> {
    if (call.text == L"outer") {
      EXPECT_EQ(fake.ShowMessageBox(L"inner", L"", 0), kIdNo);
      return std::nullopt;
    }
    if (call.text == L"hooked") {
      return kIdYes;
    }
    return std::nullopt;
  };
  EXPECT_EQ(fake.ShowMessageBox(L"outer", L"c", 4), kIdCancel);
  EXPECT_EQ(fake.ShowMessageBox(L"hooked", L"c", 4), kIdYes);
  EXPECT_EQ(fake.ShowMessageBox(L"last", L"c", 0), kIdOk);
  ASSERT_EQ(fake.boxes.size(), 4u);
  EXPECT_EQ(fake.boxes[1].text, L"inner");
}

TEST(FakePlatformDownloads, OnlyGoodAnswersLeaveAFile) {
  FakePlatform fake;
  fake.urls[L"http://h/ok"] = {200, "body"};
  fake.urls[L"http://h/gone"] = {404, "error page"};
  const std::wstring file = L"C:\\App\\get.txt";

  EXPECT_FALSE(fake.DownloadUrlToFile(L"http://h/unknown", file));
  EXPECT_FALSE(fake.Exists(file));
  EXPECT_TRUE(fake.DownloadUrlToFile(L"http://h/ok", file));
  EXPECT_EQ(fake.Contents(file), "body");
  EXPECT_FALSE(fake.DownloadUrlToFile(L"http://h/gone", file));
  EXPECT_FALSE(fake.Exists(file));
  EXPECT_FALSE(fake.DownloadUrlToFile(L"http://h/ok", L"C:\\Missing\\get.txt"));
  EXPECT_EQ(fake.downloads.size(), 4u);
}

} // namespace
} // namespace velmora::fake
