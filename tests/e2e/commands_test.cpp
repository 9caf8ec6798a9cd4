// End-to-end: commands that reach outside the program: launching a program
// with a file, and downloads that fail or stall, with what the user's file
// holds after each.
#include <windows.h>

#include <gtest/gtest.h>

#include "http_server.hpp"
#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

TEST(Launch, AProgramAndAFileWithSpacesEachArriveWhole) {
  VelmoraProcess velmora(std::nullopt);
  // Folders "a b" have short names several characters longer than their
  // own, so that the short form of the file's path runs past 260 characters
  // and Windows cannot give it in the ANSI call.
  std::string folder;
  while (velmora.AppPath(folder).native().size() < 220) {
    folder += "a b\\";
    ASSERT_TRUE(CreateDirectoryW(velmora.AppPath(folder).c_str(), nullptr));
  }
  const std::string data = velmora.AppPath(folder + "d e.txt").u8string();
  velmora.WriteAppFile(folder + "d e.txt", "data");
  const fs::path program = velmora.AppPath("my tools\\record args.exe");
  ASSERT_TRUE(CreateDirectoryW(velmora.AppPath("my tools").c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(BesideTestProgram("record_args.exe").c_str(), program.c_str(), FALSE));
  velmora.WriteAppFile(
      "boot.scp",
      ScriptText({"on openScript", "launch \"my tools\\record args.exe\" with \"" + data + "\"",
                  "end openScript"}));
  ASSERT_TRUE(velmora.Start());

  // Each in quotes: a name is never taken from its first word alone.
  const Lines args = {"\"" + program.u8string() + "\" \"" + data + "\""};
  EXPECT_EQ(velmora.WaitForLines("my tools\\args.txt", args), args);
}

// Each failure is logged, not boxed, and leaves the file as it was; so does a
// quit while a server gone silent holds a download, which must not keep the
// program. A download that succeeds replaces the file (the updater example
// shows that).
TEST(Downloads, FailedOrAbandonedOnesLeaveTheFileByteForByte) {
  HttpServer server({{"/busy", {503, "Service Unavailable"}},
                     {"/slow.ini", {200, std::string(64 * 1024, 'x'), true}}});
  const std::string refused = HttpServer({}).Url("/config.ini"); // nothing listens there now
  const auto download = [](const std::string& url) {
    return "download \"" + url + "\" \"config.ini\"";
  };
  VelmoraProcess velmora(ScriptText(
      {"on openScript", "set silentErrors true", "end openScript", "on click",
       "set timer to 500 ms", download(server.Url("/slow.ini")), "write \"after the download\"",
       "end click", "on timerEvent", "quit", "end timerEvent"}));
  // Line ends of both kinds and no final line break, so that any rewrite shows.
  const std::string config = "[Server]\r\nName=prod\nPort=8080";
  velmora.WriteAppFile("config.ini", config);
  ASSERT_TRUE(velmora.Start());

  Lines errors;
  for (const std::string& url : {server.Url("/busy"), server.Url("/absent"), refused}) {
    ASSERT_TRUE(
        velmora.Drop("fetch.scp", ScriptText({"on openScript", download(url), "end openScript"})));
    errors.push_back("Download failed. (Check parameters.)");
    ASSERT_EQ(velmora.WaitForLines("errors.log", errors), errors) << url;
    EXPECT_EQ(FileText(velmora.AppPath("config.ini")), config) << url;
  }
  velmora.PostTrayCallback(WM_LBUTTONUP);
  ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 3; }));
  // Removing the icon alone takes Wine about two seconds.
  EXPECT_EQ(velmora.WaitForExit(Duration{5000}), 0u);
  EXPECT_EQ(FileText(velmora.AppPath("config.ini")), config);
  EXPECT_EQ(velmora.AppFiles(), (Lines{"boot.scp", "config.ini", "errors.log", "velmora.exe"}));
}

} // namespace
} // namespace velmora::e2e
