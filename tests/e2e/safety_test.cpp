// End-to-end: what the real program does to the user's files when things go
// wrong: failed and abandoned downloads, wildcards that Windows also matches
// against short names, a launch parameter with spaces, an unreadable
// start-up script.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <iterator>

#include "http_server.hpp"
#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

// Bytes with line ends of both kinds and no final line break, so that any
// rewrite of the file shows.
const std::string kConfig = "[Server]\r\nName=prod\nPort=8080";

std::string Bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The names in the application folder, sorted.
std::vector<std::string> FolderNames(const VelmoraProcess& velmora) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(velmora.AppPath("*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    return names;
  }
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// A loopback address where nothing listens: the connection is refused.
std::string RefusedUrl() {
  std::string url;
  {
    HttpServer gone({});
    url = gone.Url("/config.ini");
  }
  return url;
}

TEST(DownloadFaults, TheExistingFileStaysByteForByte) {
  HttpServer server(
      {{"/busy", {503, "Service Unavailable"}}, {"/fresh", {200, "[Server]\r\nName=test\r\n"}}});
  const std::vector<std::string> faults = {server.Url("/busy"), server.Url("/absent"),
                                           RefusedUrl()};
  // Each kind of click tries one address; every failure is logged, not boxed.
  VelmoraProcess velmora(ScriptText(
      {"on openScript", "set silentErrors true", "end openScript", "on click",
       "download \"" + faults[0] + "\" \"config.ini\"", "end click", "on rightClick",
       "download \"" + faults[1] + "\" \"config.ini\"", "end rightClick", "on doubleLeftClick",
       "download \"" + faults[2] + "\" \"config.ini\"", "end doubleLeftClick",
       "on doubleRightClick", "download \"" + server.Url("/fresh") + "\" \"config.ini\"",
       "write \"replaced\"", "end doubleRightClick"}));
  velmora.WriteAppFile("config.ini", kConfig);
  ASSERT_TRUE(velmora.Start());

  std::vector<std::string> errors;
  for (const UINT code : {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK}) {
    velmora.PostTrayCallback(code);
    errors.push_back("Download failed. (Check parameters.)");
    errors.push_back(code == WM_LBUTTONUP   ? "Error in 'click' handler."
                     : code == WM_RBUTTONUP ? "Error in 'rightClick' handler."
                                            : "Error in 'doubleLeftClick' handler.");
    ASSERT_EQ(velmora.WaitForLines("errors.log", errors), errors) << code;
    EXPECT_EQ(Bytes(velmora.AppPath("config.ini")), kConfig) << code;
    EXPECT_EQ(FolderNames(velmora),
              (std::vector<std::string>{"boot.scp", "config.ini", "errors.log", "velmora.exe"}))
        << code;
  }

  // A download that succeeds replaces the file.
  velmora.PostTrayCallback(WM_RBUTTONDBLCLK);
  ASSERT_EQ(velmora.WaitForLines("output.txt", {"replaced"}), std::vector<std::string>{"replaced"});
  EXPECT_EQ(Bytes(velmora.AppPath("config.ini")), "[Server]\r\nName=test\r\n");
  EXPECT_EQ(FolderNames(velmora), (std::vector<std::string>{"boot.scp", "config.ini", "errors.log",
                                                            "output.txt", "velmora.exe"}));
}

struct QuitWay {
  const char* name;
  // Lines of the click handler before the download, and the timerEvent.
  std::vector<std::string> before;
  std::vector<std::string> timerEvent;
  bool closeWindow;
};

class QuitDuringDownload : public testing::TestWithParam<QuitWay> {};

TEST_P(QuitDuringDownload, EndsAtOnceAndLeavesTheFileAlone) {
  const QuitWay& way = GetParam();
  HttpServer server({{"/slow.ini", {200, std::string(64 * 1024, 'x'), true}}});
  std::string script = ScriptText({"on openScript", "do nothing", "end openScript", "on click"});
  for (const std::string& line : way.before) {
    script += line + "\r\n";
  }
  script += ScriptText({"download \"" + server.Url("/slow.ini") + "\" \"config.ini\"",
                        "write \"after the download\"", "end click", "on timerEvent"});
  for (const std::string& line : way.timerEvent) {
    script += line + "\r\n";
  }
  script += "end timerEvent\r\n";
  VelmoraProcess velmora(script);
  velmora.WriteAppFile("config.ini", kConfig);
  ASSERT_TRUE(velmora.Start());

  velmora.PostTrayCallback(WM_LBUTTONUP);
  ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }));
  const auto asked = std::chrono::steady_clock::now();
  if (way.closeWindow) {
    PostMessageA(velmora.Window(), WM_CLOSE, 0, 0);
  }
  // The server never finishes: a program that waited for it would stay.
  // Removing the icon alone takes Wine about two seconds.
  ASSERT_TRUE(velmora.WaitForExit(Duration{5000}));
  const auto took = std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - asked);
  std::cout << "[ exit     ] " << took.count() << " ms after the request\n";
  EXPECT_EQ(Bytes(velmora.AppPath("config.ini")), kConfig);
  EXPECT_EQ(FolderNames(velmora),
            (std::vector<std::string>{"boot.scp", "config.ini", "velmora.exe"}));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, QuitDuringDownload,
    testing::Values(QuitWay{"WindowClosed", {}, {}, true},
                    QuitWay{"QuitFromATimer", {"set timer to 500 ms"}, {"quit"}, false}),
    RowName());

TEST(ShortNames, WildcardsTakeOnlyLongNamesThatMatch) {
  VelmoraProcess velmora(ScriptText({"on openScript", "do nothing", "end openScript", "on click",
                                     "delete file \"*.dat\"", "write \"deleted\"", "end click"}));
  const std::string drop = ScriptText({"on openScript", "write \"ran\"", "end openScript"});
  for (const char* name : {"job.scpx", "notes.scp~"}) {
    velmora.WriteAppFile(name, drop);
  }
  for (const char* name : {"a.dat", "report.datx", "secret.dat"}) {
    velmora.WriteAppFile(name, "keep");
  }
  ASSERT_TRUE(SetFileAttributesA(velmora.AppPath("secret.dat").c_str(), FILE_ATTRIBUTE_HIDDEN));
  // What Windows's own search gives for *.scp, for the record: it matches
  // short names such as JOB~1.SCP too.
  std::cout << "[ search   ] *.scp finds " << velmora.ScriptFiles().size() << " files\n";
  ASSERT_TRUE(velmora.Start());

  // A real drop runs, so the poll has looked at the folder at least once.
  ASSERT_TRUE(velmora.Drop("real.scp", drop));
  ASSERT_EQ(velmora.WaitForLines("output.txt", {"ran"}), std::vector<std::string>{"ran"});
  velmora.PostTrayCallback(WM_LBUTTONUP);
  const std::vector<std::string> lines = {"ran", "deleted"};
  ASSERT_EQ(velmora.WaitForLines("output.txt", lines), lines);
  EXPECT_EQ(FolderNames(velmora),
            (std::vector<std::string>{"boot.scp", "job.scpx", "notes.scp~", "output.txt",
                                      "report.datx", "secret.dat", "velmora.exe"}));
  EXPECT_TRUE(velmora.OpenBoxes().empty());
}

TEST(LaunchParameter, AFileWhoseShortFormCannotBeHadArrivesQuotedAsOne) {
  // Folders "a b" have short names several characters longer than their
  // own, so that the short form of this path runs past 260 characters and
  // Windows cannot give it in the ANSI call.
  VelmoraProcess velmora(std::nullopt);
  std::string relative;
  while (velmora.AppPath(relative + "a b\\").size() < 220) {
    relative += "a b\\";
    ASSERT_TRUE(CreateDirectoryA(velmora.AppPath(relative).c_str(), nullptr));
  }
  const std::string data = velmora.AppPath(relative + "d e.txt");
  velmora.WriteAppFile(relative + "d e.txt", "data");
  char shortForm[MAX_PATH];
  std::cout << "[ short    ] lookup gives " << GetShortPathNameA(data.c_str(), shortForm, MAX_PATH)
            << "\n";
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string beside(self, length);
  ASSERT_TRUE(
      CopyFileA((beside.substr(0, beside.find_last_of('\\') + 1) + "record_args.exe").c_str(),
                velmora.AppPath("record_args.exe").c_str(), FALSE));
  velmora.WriteAppFile(
      "boot.scp", ScriptText({"on openScript", "launch \"record_args.exe\" with \"" + data + "\"",
                              "end openScript"}));
  ASSERT_TRUE(velmora.Start());

  std::vector<std::string> lines;
  ASSERT_TRUE(WaitUntil([&] { return !(lines = velmora.AppFileLines("args.txt")).empty(); }));
  EXPECT_EQ(lines[0], "\"" + velmora.AppPath("record_args.exe") + "\" \"" + data + "\"");
  EXPECT_TRUE(velmora.OpenBoxes().empty());
}

TEST(StartUp, AnUnreadableBootScpEndsTheProgramAfterItsBox) {
  VelmoraProcess velmora(ScriptText({"on openScript", "write \"ran\"", "end openScript"}));
  // Another program holds the start-up script open and lets nobody read it.
  const HANDLE held = CreateFileA(velmora.AppPath("boot.scp").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(velmora.Start());
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  CloseHandle(held);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, "File Unreadable");
  EXPECT_EQ(box->text, "Cannot read 'boot.scp' script file. Velmora cannot continue.");
  ASSERT_TRUE(velmora.PressButton(*box, IDOK));
  EXPECT_TRUE(velmora.WaitForExit());
  EXPECT_TRUE(velmora.AppFileLines("output.txt").empty());
}

} // namespace
} // namespace velmora::e2e
