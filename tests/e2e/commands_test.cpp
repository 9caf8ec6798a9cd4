// End-to-end: each family of commands in the real program: answers, files,
// launching, downloads and update checks, timers, balloons and icons.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

#include "http_server.hpp"
#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

// The run on a Windows 2000 setting, where the program has no balloons of
// its own; scripts/e2e.sh runs it in a prefix set to that version.
bool OnWindows2000() {
  const char* value = std::getenv("VELMORA_E2E_WINDOWS");
  return value != nullptr && std::string(value) == "2000";
}

// A 16x16 icon file of one colour, 32 bits per pixel.
std::string IconBytes(std::uint32_t bgra) {
  std::string bytes;
  const auto put = [&bytes](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
      bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
  };
  const std::uint32_t imageSize = 40 + 16 * 16 * 4 + 16 * 4;
  put(0, 2), put(1, 2), put(1, 2);              // icon directory, one image
  put(16, 1), put(16, 1), put(0, 1), put(0, 1); // 16x16, no palette
  put(1, 2), put(32, 2), put(imageSize, 4), put(22, 4);
  put(40, 4), put(16, 4), put(32, 4), put(1, 2), put(32, 2);        // bitmap header,
  put(0, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4); // twice the height
  for (int i = 0; i < 16 * 16; ++i) {
    put(bgra, 4);
  }
  put(0, 16 * 4); // the mask: every pixel opaque
  return bytes;
}

// The modify calls a flash or swap tick sends: the picture alone changes.
std::size_t TickCount(const VelmoraProcess& velmora) {
  const std::vector<TrayCall> calls = velmora.TrayCalls();
  return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [](const TrayCall& c) {
    return c.at("msg") == kNimModify && c.at("uFlags") == kNifIconOnly;
  }));
}

TEST(Launch, AProgramInAFolderWithSpacesStartsWithItsParameter) {
  VelmoraProcess velmora(
      ScriptText({"on openScript", "end openScript", "on click",
                  "launch \"my tools\\record args.exe\" with \"--from-tray\"", "end click"}));
  ASSERT_TRUE(CreateDirectoryA(velmora.AppPath("my tools").c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(BesideTestProgram("record_args.exe").c_str(),
                        velmora.AppPath("my tools\\record args.exe").c_str(), FALSE));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(WM_LBUTTONUP);

  std::vector<std::string> lines;
  ASSERT_TRUE(WaitUntil([&] {
    lines = velmora.AppFileLines("my tools\\args.txt");
    return !lines.empty();
  }));
  // The whole path in quotes: the program's name is never taken from its
  // first word alone.
  EXPECT_EQ(lines[0], "\"" + velmora.AppPath("my tools\\record args.exe") + "\" --from-tray");
  EXPECT_TRUE(velmora.OpenBoxes().empty());
}

TEST(Downloads, TheWholeUpdateCycle) {
  const std::string update =
      ScriptText({"on openScript", "set scriptID v2", "write \"v2 running\"", "end openScript"});
  HttpServer server(
      {{"/v2.scp", {200, update}}, {"/portal.html", {200, "<html>Please sign in</html>"}}});
  const auto check = [&](const std::string& path) {
    return "check \"" + server.Url(path) +
           "\"\r\nswitch result\r\ncase \"different\"\r\n"
           "write \"took it\"\r\ncase \"same\"\r\nwrite \"had it\"\r\nend switch";
  };
  // A failing check ends its handler; the reports go to errors.log.
  VelmoraProcess velmora(
      ScriptText({"on openScript", "set silentErrors true", "end openScript", "on rightClick",
                  check("/v2.scp"), "end rightClick", "on doubleLeftClick", check("/portal.html"),
                  "end doubleLeftClick"}));
  ASSERT_TRUE(velmora.Start());

  // The first check takes the new script and runs it; the second finds the
  // same identifier and runs nothing.
  // The second click arrives while the first check downloads: it waits for
  // that check instead of downloading over it.
  velmora.PostTrayCallback(WM_RBUTTONUP);
  velmora.PostTrayCallback(WM_RBUTTONUP);
  const std::vector<std::string> cycle = {"v2 running", "took it", "had it"};
  EXPECT_EQ(velmora.WaitForLines("output.txt", cycle), cycle);
  EXPECT_EQ(velmora.AppFileLines("velmora.ini"),
            (std::vector<std::string>{"[Updates]", "LastID=v2"}));

  // A page that is no script is reported, and the program runs on.
  velmora.PostTrayCallback(WM_LBUTTONDBLCLK);
  const std::vector<std::string> errors = {
      "Check URL: 'openScript' handler not found in script file.",
      "Error in 'doubleLeftClick' handler."};
  EXPECT_EQ(velmora.WaitForLines("errors.log", errors), errors);
  EXPECT_EQ(GetFileAttributesA(velmora.AppPath("velmora.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(velmora.IsRunning());
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/v2.scp", "/v2.scp", "/portal.html"}));
}

TEST(Timers, TickUntilADroppedScriptStopsThem) {
  VelmoraProcess velmora(ScriptText({"on openScript", "set timer to 200 ms", "end openScript",
                                     "on timerEvent", "write \"tick\"", "end timerEvent"}));
  ASSERT_TRUE(velmora.Start());
  ASSERT_TRUE(WaitUntil([&] { return velmora.AppFileLines("output.txt").size() >= 2; }));

  // Each drop is taken by a poll of its own, so the second runs a poll
  // interval (500 ms) after the first: a timer still running would tick
  // between them.
  std::vector<std::string> lines;
  for (const char* line : {"stopped", "later"}) {
    ASSERT_TRUE(
        velmora.Drop(std::string(line) + ".scp",
                     ScriptText({"on openScript", "stop timer",
                                 "write \"" + std::string(line) + "\"", "end openScript"})));
    ASSERT_TRUE(WaitUntil([&] {
      lines = velmora.AppFileLines("output.txt");
      return !lines.empty() && lines.back() == line;
    }));
  }
  EXPECT_EQ(lines[lines.size() - 2], "stopped");
}

TEST(Balloons, TheShellReceivesTheBalloon) {
  REQUIRE_TRAY_LOG();
  if (OnWindows2000()) {
    GTEST_SKIP() << "no balloons of the program's own on this Windows version";
  }
  VelmoraProcess velmora(
      ScriptText({"on openScript", "end openScript", "on altShowBalloon", "write \"alt\"",
                  "end altShowBalloon", "on click",
                  "show warning balloon \"Disk almost full\" \"Velmora\"", "end click"}));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(WM_LBUTTONUP);
  std::optional<TrayCall> balloon;
  ASSERT_TRUE(WaitUntil([&] {
    for (const TrayCall& call : velmora.TrayCalls()) {
      if (call.at("msg") == kNimModify && call.at("uFlags") == "16") {
        balloon = call;
      }
    }
    return balloon.has_value();
  }));
  EXPECT_EQ(balloon->at("szInfo"), "Disk almost full");
  EXPECT_EQ(balloon->at("szInfoTitle"), "Velmora");
  EXPECT_EQ(balloon->at("dwInfoFlags"), "2");
  EXPECT_EQ(balloon->at("result"), "1");
  EXPECT_TRUE(velmora.AppFileLines("output.txt").empty());
}

TEST(Windows2000, TheScriptShowsTheBalloonItself) {
  REQUIRE_TRAY_LOG();
  if (!OnWindows2000()) {
    GTEST_SKIP() << "runs in the Windows 2000 prefix of scripts/e2e.sh";
  }
  VelmoraProcess velmora(ScriptText(
      {"on openScript", "end openScript", "on altShowBalloon", "write \"shown by the script\"",
       "end altShowBalloon", "on click", "show info balloon \"Hello\" \"Velmora\"", "end click"}));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(WM_LBUTTONUP);
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"shown by the script"}),
            std::vector<std::string>{"shown by the script"});
  for (const TrayCall& call : velmora.TrayCalls()) {
    EXPECT_NE(call.at("uFlags"), "16");
  }
}

TEST(Icons, SetFlashSwapAndStopWithoutABox) {
  REQUIRE_TRAY_LOG();
  // Stopping starts a 700 ms timer, seven swap intervals, whose event marks
  // the end of the wait for ticks that should not come.
  VelmoraProcess velmora(ScriptText(
      {"on openScript", "set icon \"green.ico\"", "end openScript", "on click",
       "flash icon every 100", "end click", "on rightClick",
       "swap icons \"green.ico\" \"red.ico\" every 100", "end rightClick", "on doubleLeftClick",
       "stop swapping", "set tooltip \"stopped\"", "set timer to 700 ms", "end doubleLeftClick",
       "on timerEvent", "stop timer", "write \"waited\"", "end timerEvent"}));
  velmora.WriteAppFile("green.ico", IconBytes(0xFF20A020));
  velmora.WriteAppFile("red.ico", IconBytes(0xFF2020C0));
  ASSERT_TRUE(velmora.Start());

  for (const UINT code : {WM_LBUTTONUP, WM_RBUTTONUP}) {
    const std::size_t before = TickCount(velmora);
    velmora.PostTrayCallback(code);
    EXPECT_TRUE(WaitUntil([&] { return TickCount(velmora) >= before + 4; })) << "code " << code;
  }
  velmora.PostTrayCallback(WM_LBUTTONDBLCLK);
  ASSERT_EQ(velmora.WaitForLines("output.txt", {"waited"}), std::vector<std::string>{"waited"});
  EXPECT_TRUE(velmora.OpenBoxes().empty());
  // No tick after the tip set once swapping stopped; every call, the tip
  // set after the ticks among them, names an icon that exists, and every
  // tick keeps the tip.
  bool stopped = false;
  for (const TrayCall& call : velmora.TrayCalls()) {
    EXPECT_FALSE(stopped && call.at("uFlags") == kNifIconOnly) << "a tick after the stop";
    stopped = stopped || call.at("szTip") == "stopped";
    EXPECT_EQ(call.at("hIcon"), "1") << call.at("szTip");
    EXPECT_FALSE(call.at("szTip").empty());
  }
  EXPECT_TRUE(stopped);
}

} // namespace
} // namespace velmora::e2e
