// Paths, file tests, folder listings, the settings file and appended lines.
#include <gtest/gtest.h>

#include "base/files.hpp"
#include "base/text.hpp"
#include "harness.hpp"

namespace velmora::testing {
namespace {

TEST(ResolvePath, AgainstTheApplicationFolder) {
  fake::FakePlatform fake(L"C:\\Tools\\Tray");
  App app(fake);
  const struct {
    const wchar_t* written;
    const wchar_t* resolved;
  } cases[] = {
      {L"", L"C:\\Tools\\Tray\\"},
      {L"icons/a.ico", L"C:\\Tools\\Tray\\icons\\a.ico"},
      {L"C:/x", L"C:\\x"},
      {L"D:\\y.txt", L"D:\\y.txt"},
      {L"\\\\srv\\share\\y.txt", L"\\\\srv\\share\\y.txt"},
      {L"//srv/share/y.txt", L"\\\\srv\\share\\y.txt"},
      {L".\\x", L"C:\\Tools\\Tray\\.\\x"},
      {L"\\x", L"C:\\Tools\\Tray\\\\x"},
      {L"..\\x.exe", L"C:\\Tools\\x.exe"},
      {L"../x.exe", L"C:\\Tools\\x.exe"},
      {L"..\\..\\x.exe", L"C:\\x.exe"},
      // Climbing past the drive empties the base: the root of the current drive.
      {L"..\\..\\..\\x.exe", L"\\x.exe"},
      {L"..\\..\\..\\..\\x.exe", L"\\x.exe"},
      // Only leading steps are climbed.
      {L"sub\\..\\x", L"C:\\Tools\\Tray\\sub\\..\\x"},
      {L"..", L"C:\\Tools\\Tray\\.."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolvePath(app.platform, c.written), c.resolved) << c.written;
  }
}

TEST(ResolvePath, ClimbingFromADriveRoot) {
  fake::FakePlatform fake(L"C:\\");
  App app(fake);
  EXPECT_EQ(AppFolder(app.platform), L"C:\\");
  EXPECT_EQ(ResolvePath(app.platform, L"a.txt"), L"C:\\a.txt");
  EXPECT_EQ(ResolvePath(app.platform, L"..\\a.txt"), L"\\a.txt");
}

TEST(FileExists, OnlyNormalFilesCount) {
  Harness h;
  h.fake.AddFolder(L"C:\\App\\folder");
  h.fake.AddFile(L"C:\\App\\hidden.txt", "");
  h.fake.File(L"C:\\App\\hidden.txt")->hidden = true;
  h.fake.AddFile(L"C:\\App\\system.txt", "");
  h.fake.File(L"C:\\App\\system.txt")->system = true;
  h.fake.AddFile(L"C:\\App\\locked.txt", "");
  h.fake.File(L"C:\\App\\locked.txt")->readOnly = true;
  h.fake.AddFile(L"C:\\App\\in\\a.txt", "");
  h.fake.AddFile(L"C:\\App\\in\\.hidden.log", "");
  h.fake.File(L"C:\\App\\in\\.hidden.log")->hidden = true;

  const struct {
    const wchar_t* path;
    bool exists;
  } cases[] = {
      {L"C:\\App\\folder", false},      {L"C:\\App\\hidden.txt", false},
      {L"C:\\App\\system.txt", false},  {L"C:\\App\\locked.txt", true},
      {L"c:\\app\\LOCKED.TXT", true},   {L"C:\\App\\in\\*.txt", true},
      {L"C:\\App\\in\\?.txt", true},    {L"C:\\App\\in\\*.log", false},
      {L"C:\\App\\missing.txt", false}, {L"Q:\\nowhere\\a.txt", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileExists(h.app.platform, c.path), c.exists) << c.path;
  }
}

TEST(MatchesWildcards, TheRulesOfAWindowsSearch) {
  const struct {
    const wchar_t* pattern;
    const wchar_t* name;
    bool matches;
  } cases[] = {
      {L"*.scp", L"job.SCP", true},
      {L"*.scp", L"job.scpx", false},
      {L"*.scp", L"notes.scp~", false},
      {L"*.scp", L"a.b.scp", true},
      {L"*.txt", L"report.txtx", false},
      {L"*.*", L"readme", true},
      {L"*", L".hidden", true},
      {L"*.", L"readme", true},
      {L"*.", L"readme.txt", false},
      {L"log-?.txt", L"log-a.txt", true},
      {L"log-?.txt", L"log-ab.txt", false},
      // "?" also matches nothing before a dot or at the end, as in a DOS search.
      {L"log-?.txt", L"log-.txt", true},
      {L"a??", L"a", true},
      {L"a.?", L"a", true},
      {L"a*b", L"axxb", true},
      {L"a*b", L"axxbc", false},
      {L"?.LOG", L"c.log", true},
      {L"name.txt", L"NAME.TXT", true},
      {L"name.txt", L"name.txt2", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesWildcards(c.pattern, c.name), c.matches) << c.pattern << L" " << c.name;
  }
}

TEST(FileExists, AWildcardDecidesOnTheLongName) {
  Harness h;
  h.fake.AddFile(L"C:\\App\\job.scpx", "");
  // Windows finds it for *.scp by its short name JOB~1.SCP.
  ASSERT_EQ(h.fake.FindFiles(L"C:\\App\\*.scp").size(), 1u);
  EXPECT_FALSE(FileExists(h.app.platform, L"C:\\App\\*.scp"));
  EXPECT_EQ(ListFilesByExtension(h.app.platform, L"", L"scp"), L"");
  // A plain name is the file, whichever of its names it is.
  EXPECT_TRUE(FileExists(h.app.platform, L"C:\\App\\JOB~1.SCP"));
  EXPECT_TRUE(FileExists(h.app.platform, L"C:\\App\\job.scpx"));
}

TEST(ListFilesByExtension, NamesInTheFileSystemsOrder) {
  Harness h;
  h.fake.AddFile(L"C:\\App\\zeta.scp", "");
  h.fake.AddFile(L"C:\\App\\notes.txt", "");
  h.fake.AddFile(L"C:\\App\\noscp", "");
  h.fake.AddFolder(L"C:\\App\\dir.scp");
  h.fake.AddFile(L"C:\\App\\Alpha.SCP", "");
  h.fake.AddFile(L"C:\\App\\sub\\inner.scp", "");

  const std::wstring expected = L"zeta.scp\r\ndir.scp\r\nAlpha.SCP";
  EXPECT_EQ(ListFilesByExtension(h.app.platform, L"", L".scp"), expected);
  EXPECT_EQ(ListFilesByExtension(h.app.platform, L"", L"scp"), expected);
  EXPECT_EQ(ListFilesByExtension(h.app.platform, L"sub\\", L"scp"), L"inner.scp");
  EXPECT_EQ(ListFilesByExtension(h.app.platform, L"missing\\", L".scp"), L"");
}

TEST(IniValues, WrittenValuesReadBackAndAbsentOnesAreEmpty) {
  Harness h;
  const std::wstring ini = kAppFolder + kSettingsFileName;
  EXPECT_EQ(ReadIniValue(h.app.platform, L"Updates", L"LastID", ini), L"");
  EXPECT_TRUE(WriteIniValue(h.app.platform, L"Updates", L"LastID", L"first", ini));
  EXPECT_TRUE(WriteIniValue(h.app.platform, L"Updates", L"LastID", L"second", ini));
  EXPECT_EQ(ReadIniValue(h.app.platform, L"Updates", L"LastID", ini), L"second");
  EXPECT_EQ(ReadIniValue(h.app.platform, L"Other", L"LastID", ini), L"");

  h.fake.AddFile(ini, "[Updates]\r\nEmpty=\r\nLong=" + std::string(300, 'x') + "\r\n");
  EXPECT_EQ(ReadIniValue(h.app.platform, L"Updates", L"Empty", ini), L"");
  EXPECT_EQ(ReadIniValue(h.app.platform, L"Updates", L"Long", ini), std::wstring(254, L'x'));
}

TEST(AppendTextLine, AppendsOneLineRelativeToTheApplicationFolder) {
  Harness h;
  h.fake.AddFile(kAppFolder + L"errors.log", "old\r\n");
  h.fake.AddFolder(L"C:\\App\\logs");
  EXPECT_TRUE(AppendTextLine(h.app.platform, L"first", L"errors.log"));
  EXPECT_TRUE(AppendTextLine(h.app.platform, L"two\r\nlines", L"logs/out.txt"));
  EXPECT_TRUE(AppendTextLine(h.app.platform, L"second", L"errors.log"));
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"errors.log"), "old\r\nfirst\r\nsecond\r\n");
  EXPECT_EQ(h.fake.Contents(L"C:\\App\\logs\\out.txt"), "two\r\nlines\r\n");

  h.fake.File(kAppFolder + L"errors.log")->readOnly = true;
  EXPECT_FALSE(AppendTextLine(h.app.platform, L"lost", L"errors.log"));
}

} // namespace
} // namespace velmora::testing
