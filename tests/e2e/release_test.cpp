// End-to-end: the release as a user gets it. The zip unpacked into a folder
// whose path has a space, started with the boot.scp it ships; the installer
// run silently, the installed program started, then uninstalled, keeping the
// user's own files.
#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

namespace fs = std::filesystem;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";

// The example boot.scp's menu: a question, a greeting, About, Quit.
constexpr int kQuestionItem = 1;
constexpr int kQuitItem = 4;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string KnownFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// Runs a program to its end; gives its exit code, or -1 if it did not end.
long RunToEnd(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return -1;
  }
  CloseHandle(info.hThread);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(info.hProcess, &code);
  }
  CloseHandle(info.hProcess);
  return code == STILL_ACTIVE ? -1 : static_cast<long>(code);
}

std::string UninstallValue(const char* name) {
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return "";
  }
  return value;
}

bool UninstallEntryExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// Starts the program in its folder, checks that its icon is in the tray and
// that its menu answers, then quits it from the menu.
void RunAsAUserWould(const std::string& folder) {
  VelmoraProcess velmora(VelmoraProcess::InPlace{folder});
  ASSERT_TRUE(velmora.Start()) << folder;
  EXPECT_TRUE(velmora.IconInTray());

  velmora.PostTrayCallback(WM_RBUTTONDOWN);
  ASSERT_TRUE(velmora.ChooseMenuItem(kQuestionItem));
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, "A question");
  ASSERT_TRUE(velmora.PressButton(*box, IDYES));
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"Yes"}), std::vector<std::string>{"Yes"});

  velmora.PostTrayCallback(WM_RBUTTONDOWN);
  ASSERT_TRUE(velmora.ChooseMenuItem(kQuitItem));
  ASSERT_TRUE(velmora.WaitForExit());
  EXPECT_EQ(velmora.ExitCode(), 0u);
  EXPECT_FALSE(velmora.IconInTray());
  EXPECT_TRUE(velmora.OpenBoxes().empty());
}

TEST(Release, TheUnpackedZipRunsItsOwnStartUpScript) {
  const std::string folder = ReleaseFolder();
  if (folder.empty()) {
    GTEST_SKIP() << "runs the unpacked release, which scripts/e2e.sh names";
  }
  ASSERT_NE(folder.find(' '), std::string::npos) << "the release folder's path has a space";
  for (const char* name : {"velmora.exe", "velmoractl.exe", "boot.scp", "scripting.html",
                           "README.txt", "LICENSE.txt", "examples\\updater.scp"}) {
    EXPECT_TRUE(Exists(folder + name)) << name;
  }
  RunAsAUserWould(folder);
}

TEST(Release, TheInstallerInstallsRunsAndUninstallsKeepingTheUsersFiles) {
  const std::string setup = Environment("VELMORA_E2E_SETUP");
  if (setup.empty()) {
    GTEST_SKIP() << "runs the installer, which scripts/e2e.sh names";
  }
  const std::string folder = KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Velmora\\";
  const std::string shortcuts = KnownFolder(CSIDL_PROGRAMS) + "\\Velmora\\";
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  ASSERT_FALSE(UninstallEntryExists()) << "an earlier run left Velmora installed";

  ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0);
  for (const char* name : {"velmora.exe", "velmoractl.exe", "boot.scp", "scripting.html",
                           "README.txt", "LICENSE.txt", "uninstall.exe", "examples\\boot.scp"}) {
    EXPECT_TRUE(Exists(folder + name)) << name;
  }
  EXPECT_TRUE(Exists(shortcuts + "Velmora.lnk"));
  EXPECT_EQ(UninstallValue("DisplayName"), "Velmora");
  EXPECT_EQ(UninstallValue("InstallLocation") + "\\", folder);
  const std::string uninstall = UninstallValue("UninstallString");
  EXPECT_EQ(uninstall, "\"" + folder + "uninstall.exe\"");

  RunAsAUserWould(folder);

  // The user's own work in the folder: a changed start-up script, answers,
  // settings and a script of their own. Installing again keeps every one.
  const std::string myBoot = "on openScript\r\nset tooltip \"mine\"\r\nend openScript\r\n";
  const std::map<std::string, std::string> mine = {{"boot.scp", myBoot},
                                                   {"velmora.ini", "[Updates]\r\nLastID=7\r\n"},
                                                   {"notes.scp", "on openScript\r\n"}};
  for (const auto& [name, text] : mine) {
    std::ofstream(folder + name, std::ios::binary | std::ios::trunc) << text;
  }
  ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0);
  EXPECT_EQ(FileText(folder + "boot.scp"), myBoot) << "a new install keeps the user's script";

  ASSERT_EQ(RunToEnd(uninstall + " /S"), 0);
  // The uninstaller goes on from a copy of itself after the first one ends.
  EXPECT_TRUE(WaitUntil([&] { return !UninstallEntryExists() && !Exists(folder + "velmora.exe"); },
                        Duration{60000}));
  for (const char* name : {"velmoractl.exe", "scripting.html", "README.txt", "LICENSE.txt",
                           "uninstall.exe", "examples"}) {
    EXPECT_TRUE(WaitUntil([&] { return !Exists(folder + name); })) << name;
  }
  EXPECT_FALSE(Exists(shortcuts + "Velmora.lnk"));
  for (const auto& [name, text] : mine) {
    EXPECT_EQ(FileText(folder + name), text) << name;
  }
  EXPECT_EQ(FileText(folder + "output.txt"), "Yes\r\n");
  fs::remove_all(folder, ignored);
}

} // namespace
} // namespace velmora::e2e
