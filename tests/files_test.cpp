// Paths, file tests and folder listings.
#include <gtest/gtest.h>

#include "base/files.hpp"
#include "harness.hpp"

namespace velmora::testing {
namespace {

// Rows read "written => resolved". Climbing past the drive empties the base, which leaves the root
// of the current drive; only leading steps are climbed.
TEST(ResolvePath, AgainstTheApplicationFolderOrADriveRoot) {
  fake::FakePlatform tools(L"C:\\Tools\\Tray");
  for (const std::wstring row :
       {L" => C:\\Tools\\Tray\\", L"icons/a.ico => C:\\Tools\\Tray\\icons\\a.ico", L"C:/x => C:\\x",
        L"D:\\y.txt => D:\\y.txt", L"\\\\srv\\share\\y.txt => \\\\srv\\share\\y.txt",
        L"//srv/share/y.txt => \\\\srv\\share\\y.txt", L".\\x => C:\\Tools\\Tray\\.\\x",
        L"\\x => C:\\Tools\\Tray\\\\x", L"..\\x.exe => C:\\Tools\\x.exe",
        L"../x.exe => C:\\Tools\\x.exe", L"..\\..\\x.exe => C:\\x.exe",
        L"..\\..\\..\\x.exe => \\x.exe", L"..\\..\\..\\..\\x.exe => \\x.exe",
        L"sub\\..\\x => C:\\Tools\\Tray\\sub\\..\\x", L".. => C:\\Tools\\Tray\\.."}) {
    const std::size_t arrow = row.find(L" => ");
    EXPECT_EQ(ResolvePath(tools, row.substr(0, arrow)), row.substr(arrow + 4)) << row;
  }
  fake::FakePlatform root(L"C:\\");
  EXPECT_EQ(AppFolder(root), L"C:\\");
  EXPECT_EQ(ResolvePath(root, L"a.txt"), L"C:\\a.txt");
  EXPECT_EQ(ResolvePath(root, L"..\\a.txt"), L"\\a.txt");
}

// Windows finds in\job.scpx for *.scp by its short name JOB~1.SCP; a plain name is the file,
// whichever of its names it is. Listings name files and folders in the file system's order.
TEST(FolderSearch, OnlyNormalFilesExistAndWildcardsAndListingsGoByTheLongName) {
  fake::FakePlatform fake(L"C:\\App");
  fake.AddFolder(L"C:\\App\\folder");
  for (const wchar_t* name :
       {L"zeta.scp", L"hidden.txt", L"system.txt", L"locked.txt", L"noscp", L"in\\a.txt",
        L"in\\.hidden.log", L"in\\job.scpx", L"sub\\inner.scp"}) {
    fake.AddFile(kAppFolder + name, "");
  }
  fake.AddFolder(L"C:\\App\\dir.scp");
  fake.AddFile(L"C:\\App\\Alpha.SCP", "");
  fake.File(L"C:\\App\\hidden.txt")->hidden = true;
  fake.File(L"C:\\App\\system.txt")->system = true;
  fake.File(L"C:\\App\\locked.txt")->readOnly = true;
  fake.File(L"C:\\App\\in\\.hidden.log")->hidden = true;
  for (const wchar_t* path :
       {L"C:\\App\\locked.txt", L"c:\\app\\LOCKED.TXT", L"C:\\App\\in\\*.txt",
        L"C:\\App\\in\\?.txt", L"C:\\App\\in\\JOB~1.SCP", L"C:\\App\\in\\job.scpx"}) {
    EXPECT_TRUE(FileExists(fake, path)) << path;
  }
  for (const wchar_t* path :
       {L"C:\\App\\folder", L"C:\\App\\hidden.txt", L"C:\\App\\system.txt", L"C:\\App\\in\\*.log",
        L"C:\\App\\missing.txt", L"Q:\\nowhere\\a.txt", L"C:\\App\\in\\*.scp"}) {
    EXPECT_FALSE(FileExists(fake, path)) << path;
  }
  EXPECT_EQ(ListFilesByExtension(fake, L"", L".scp"), L"zeta.scp\r\ndir.scp\r\nAlpha.SCP");
  EXPECT_EQ(ListFilesByExtension(fake, L"", L"scp"), L"zeta.scp\r\ndir.scp\r\nAlpha.SCP");
  EXPECT_EQ(ListFilesByExtension(fake, L"sub\\", L"scp"), L"inner.scp");
  EXPECT_EQ(ListFilesByExtension(fake, L"in\\", L"scp"), L"");
  EXPECT_EQ(ListFilesByExtension(fake, L"missing\\", L".scp"), L"");
}

// The rules of a Windows search: "?" also matches nothing before a dot or at the end, as in a DOS
// search. Rows read "pattern name".
TEST(MatchesWildcards, TheRulesOfAWindowsSearch) {
  for (const std::wstring row :
       {L"*.scp job.SCP", L"*.scp a.b.scp", L"*.* readme", L"* .hidden", L"*. readme",
        L"log-?.txt log-a.txt", L"log-?.txt log-.txt", L"a?? a", L"a.? a", L"a*b axxb",
        L"?.LOG c.log", L"name.txt NAME.TXT"}) {
    const std::size_t blank = row.find(L' ');
    EXPECT_TRUE(MatchesWildcards(row.substr(0, blank), row.substr(blank + 1))) << row;
  }
  for (const std::wstring row :
       {L"*.scp job.scpx", L"*.scp notes.scp~", L"*.txt report.txtx", L"*. readme.txt",
        L"log-?.txt log-ab.txt", L"a*b axxbc", L"name.txt name.txt2"}) {
    const std::size_t blank = row.find(L' ');
    EXPECT_FALSE(MatchesWildcards(row.substr(0, blank), row.substr(blank + 1))) << row;
  }
}

} // namespace
} // namespace velmora::testing
