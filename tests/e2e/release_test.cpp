// End-to-end: the release as a user gets it. The zip unpacked into a folder whose path has a space,
// started with the boot.scp it ships; the installer run silently, the installed program started,
// then uninstalled, keeping the user's own files.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

// What the zip and the installer both ship.
const char* const kShipped[] = {"velmora.exe",          "velmoractl.exe", "boot.scp",
                                "scripting.html",       "README.txt",     "LICENSE.txt",
                                "examples\\updater.scp"};

std::string KnownFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// A value of the uninstall entry; "" when absent, and without a DisplayName Windows lists no entry.
std::string UninstallValue(const char* name) {
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  RegGetValueA(HKEY_CURRENT_USER,
               "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora", name,
               RRF_RT_REG_SZ, nullptr, value, &size);
  return value;
}

// Runs an installer or uninstaller to its end; STILL_ACTIVE if it overstays.
DWORD RunToEnd(const std::string& commandLine) {
  Child child(commandLine);
  return child.Finish(Duration{60000}) ? child.exitCode : STILL_ACTIVE;
}

// Checks the shipped files, starts the program where they are and quits it from the menu that the
// boot.scp it ships makes.
void RunAsAUserWould(const std::string& folder) {
  for (const std::string name : kShipped) {
    EXPECT_TRUE(Exists(folder + name)) << name;
  }
  VelmoraProcess velmora(VelmoraProcess::InPlace{folder});
  ASSERT_TRUE(velmora.Start()) << folder;
  ASSERT_TRUE(velmora.ChooseMenuItem(4));
  EXPECT_EQ(velmora.WaitForExit(), 0u);
  EXPECT_FALSE(velmora.IconInTray());
}

TEST(Release, TheUnpackedZipRunsItsOwnStartUpScript) {
  const std::string folder = ReleaseFolder();
  if (folder.empty()) {
    GTEST_SKIP() << "runs the unpacked release, which scripts/e2e.sh names";
  }
  ASSERT_NE(folder.find(' '), std::string::npos) << "the release folder's path has a space";
  RunAsAUserWould(folder);
}

TEST(Release, TheInstallerInstallsRunsAndUninstallsKeepingTheUsersFiles) {
  const char* setupPath = std::getenv("VELMORA_E2E_SETUP");
  if (setupPath == nullptr) {
    GTEST_SKIP() << "runs the installer, which scripts/e2e.sh names";
  }
  const std::string setup = "\"" + std::string(setupPath) + "\" /S";
  const std::string folder = KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Velmora\\";
  const std::string shortcut = KnownFolder(CSIDL_PROGRAMS) + "\\Velmora\\Velmora.lnk";
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  ASSERT_EQ(UninstallValue("DisplayName"), "") << "an earlier run left Velmora installed";

  ASSERT_EQ(RunToEnd(setup), 0u);
  EXPECT_TRUE(Exists(folder + "uninstall.exe"));
  EXPECT_TRUE(Exists(shortcut));
  EXPECT_EQ(UninstallValue("DisplayName"), "Velmora");
  EXPECT_EQ(UninstallValue("InstallLocation") + "\\", folder);
  const std::string uninstall = UninstallValue("UninstallString");
  EXPECT_EQ(uninstall, "\"" + folder + "uninstall.exe\"");
  RunAsAUserWould(folder);

  // The user's own work in the folder: a changed start-up script, answers, settings and a script of
  // their own. Installing again keeps every one.
  const std::map<std::string, std::string> mine = {
      {"boot.scp", "on openScript\r\nset tooltip \"mine\"\r\nend openScript\r\n"},
      {"velmora.ini", "[Updates]\r\nLastID=7\r\n"},
      {"output.txt", "Yes\r\n"},
      {"notes.scp", "on openScript\r\n"}};
  for (const auto& [name, text] : mine) {
    std::ofstream(folder + name, std::ios::binary | std::ios::trunc) << text;
  }
  ASSERT_EQ(RunToEnd(setup), 0u);
  EXPECT_EQ(FileText(folder + "boot.scp"), mine.at("boot.scp")) << "a new install keeps it";

  ASSERT_EQ(RunToEnd(uninstall + " /S"), 0u);
  // The uninstaller goes on from a copy of itself after the first one ends.
  EXPECT_TRUE(WaitUntil([&] { return UninstallValue("DisplayName").empty(); }, Duration{60000}));
  for (const std::string name : kShipped) {
    EXPECT_TRUE(mine.count(name) || WaitUntil([&] { return !Exists(folder + name); })) << name;
  }
  for (const char* name : {"uninstall.exe", "examples"}) {
    EXPECT_TRUE(WaitUntil([&] { return !Exists(folder + name); })) << name;
  }
  EXPECT_FALSE(Exists(shortcut));
  for (const auto& [name, text] : mine) {
    EXPECT_EQ(FileText(folder + name), text) << name;
  }
  std::filesystem::remove_all(folder, ignored);
}

} // namespace
} // namespace velmora::e2e
