// End-to-end: start-up failures, the tray record the shell receives, and
// every way the program ends.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

struct StartupFailure {
  const char* name;
  std::optional<std::string> boot;
  std::string caption;
  std::string text;
};

class StartupFailureTest : public testing::TestWithParam<StartupFailure> {};

TEST_P(StartupFailureTest, ShowsItsBoxAndEndsAfterOk) {
  const StartupFailure& failure = GetParam();
  VelmoraProcess velmora(failure.boot);
  ASSERT_TRUE(velmora.Start());

  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, failure.caption);
  EXPECT_EQ(box->text, failure.text);
  EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
  EXPECT_TRUE(velmora.IsRunning()) << "the program waits for the box";
  EXPECT_TRUE(velmora.IconInTray()) << "the icon shows before the script is read";

  ASSERT_TRUE(velmora.PressButton(*box, IDOK));
  ASSERT_TRUE(velmora.WaitForExit());
  EXPECT_FALSE(velmora.IconInTray());
  if (TrayLogged()) {
    const std::vector<TrayCall> calls = velmora.TrayCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().at("msg"), kNimAdd);
    EXPECT_EQ(calls.back().at("msg"), kNimDelete);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Boot, StartupFailureTest,
    testing::Values(
        StartupFailure{"Missing", std::nullopt, "File Missing",
                       "Cannot locate 'boot.scp' script file. Velmora cannot continue."},
        StartupFailure{"WithoutOpenScript", ScriptText({"on click", "beep", "end click"}),
                       "Handler Not Found",
                       "Velmora requires an 'on openScript' handler in order to function "
                       "properly. Velmora cannot continue."}),
    RowName());

TEST(TrayRecord, ShellReceivesTheProgramsRecord) {
  REQUIRE_TRAY_LOG();
  VelmoraProcess velmora(ScriptText({"on openScript", "set tooltip \"Ready\"", "end openScript"}));
  ASSERT_TRUE(velmora.Start());
  ASSERT_TRUE(WaitUntil([&] { return velmora.TrayCalls().size() >= 3; }));
  ASSERT_TRUE(velmora.Stop());

  const std::string window = std::to_string(reinterpret_cast<std::uintptr_t>(velmora.Window()));
  // Wine's shell32 is version 6, which takes the whole record up to the GUID.
  const std::string size = std::to_string(NOTIFYICONDATAW_V3_SIZE);
  const std::vector<TrayCall> expected = {
      {{"msg", kNimAdd},
       {"result", "1"},
       {"cbSize", size},
       {"hWnd", window},
       {"uID", "999"},
       {"uFlags", "7"},
       {"uCallbackMessage", "1025"},
       {"hIcon", "1"},
       {"szTip", "Velmora"},
       {"dwState", "0"},
       {"uTimeoutOrVersion", "3"}},
      {{"msg", kNimSetVersion}, {"cbSize", size}, {"uID", "999"}, {"uTimeoutOrVersion", "3"}},
      {{"msg", kNimModify},
       {"cbSize", size},
       {"hWnd", window},
       {"uID", "999"},
       {"uFlags", "7"},
       {"hIcon", "1"},
       {"szTip", "Ready"}},
  };
  const std::vector<TrayCall> calls = velmora.TrayCalls();
  ASSERT_GE(calls.size(), expected.size() + 1);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    for (const auto& [field, value] : expected[i]) {
      EXPECT_EQ(calls[i].at(field), value) << "call " << i << ", field " << field;
    }
  }
  EXPECT_EQ(calls.back().at("msg"), kNimDelete);
  EXPECT_EQ(calls.back().at("uID"), "999");
  EXPECT_EQ(calls.back().at("hWnd"), window);
}

struct Ending {
  const char* name;
  std::string script;
  LPARAM mouseCode;
  int menuItem; // 0: no menu choice follows the callback
  std::vector<std::string> output;
};

class EndingTest : public testing::TestWithParam<Ending> {};

TEST_P(EndingTest, EndsTheProcessAndRemovesTheIcon) {
  const Ending& ending = GetParam();
  VelmoraProcess velmora(ending.script);
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(ending.mouseCode);
  if (ending.menuItem > 0) {
    ASSERT_TRUE(velmora.ChooseMenuItem(ending.menuItem));
  }

  ASSERT_TRUE(velmora.WaitForExit());
  EXPECT_EQ(velmora.ExitCode(), 0u);
  EXPECT_EQ(velmora.AppFileLines("output.txt"), ending.output);
  EXPECT_FALSE(velmora.IconInTray());
  if (TrayLogged()) {
    const std::vector<TrayCall> calls = velmora.TrayCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().at("msg"), kNimDelete);
    EXPECT_EQ(calls.back().at("uID"), "999");
  }
}

std::string QuitOnClick(const std::string& word) {
  // The lines after quit still run: the close request waits in the queue.
  return ScriptText({"on openScript", "do nothing", "end openScript", "on click", word,
                     "write \"after " + word + "\"", "end click"});
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EndingTest,
    testing::Values(Ending{"Quit", QuitOnClick("quit"), 514, 0, {"after quit"}},
                    Ending{"MenuQuit",
                           ScriptText({"on openScript", "create menu Open,Quit", "end openScript"}),
                           516,
                           2,
                           {}}),
    RowName());

} // namespace
} // namespace velmora::e2e
