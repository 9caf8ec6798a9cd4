// End-to-end: what the program shows: the box of a start-up that cannot go on, events while an
// answer box waits, balloons with and without the shell's own.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

// Another program holds boot.scp open and lets nobody read it: the program cannot run it, as when
// it is missing.
TEST(StartUp, ABootScpThatCannotBeReadEndsTheProgramAfterItsBox) {
  VelmoraProcess velmora(ScriptText({"on openScript", "write \"ran\"", "end openScript"}));
  const HANDLE held = CreateFileW(velmora.AppPath("boot.scp").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(velmora.Start());
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  CloseHandle(held);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption + "|" + box->text,
            "File Unreadable|Cannot read 'boot.scp' script file. Velmora cannot continue.");
  EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
  ASSERT_TRUE(velmora.PressButton(*box, IDOK));
  ASSERT_TRUE(velmora.WaitForExit());
  EXPECT_FALSE(velmora.IconInTray());
}

TEST(Reentrancy, EventsRunWhileAnAnswerBoxIsOpen) {
  VelmoraProcess velmora(
      ScriptText({"on openScript", "do nothing", "end openScript", "on click",
                  "answer \"Hold on\" with \"OKCancel\" \"Busy\"", "write \"click done\"",
                  "end click", "on rightClick", "write \"rightClick\"", "end rightClick"}));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(WM_LBUTTONUP);
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "Hold on");

  // A click and a dropped script both run inside the box's wait.
  velmora.PostTrayCallback(WM_RBUTTONUP);
  ASSERT_TRUE(velmora.Drop("inner.scp",
                           ScriptText({"on openScript", "write \"dropped\"", "end openScript"})));
  Lines expected = {"rightClick", "dropped"};
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
  EXPECT_TRUE(IsWindow(box->window)) << "the box is still waiting";

  ASSERT_TRUE(velmora.PressButton(*box, IDCANCEL));
  expected.insert(expected.end(), {"Cancel", "click done"});
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
}

// Before XP (scripts/e2e.sh's Windows 2000 pass) the shell has no balloons: the script's
// altShowBalloon handler stands in, and no record asks for one.
TEST(Balloons, TheShellShowsTheBalloonOrTheScriptStandsIn) {
  REQUIRE_TRAY_LOG();
  const char* windows = std::getenv("VELMORA_E2E_WINDOWS");
  const bool windows2000 = windows != nullptr && std::string(windows) == "2000";
  VelmoraProcess velmora(ScriptText({"on openScript", "end openScript", "on altShowBalloon",
                                     "write \"alt\"", "end altShowBalloon", "on click",
                                     "show warning balloon \"Disk almost full\" \"Velmora\"",
                                     "write \"shown\"", "end click"}));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(WM_LBUTTONUP);
  const Lines expected = windows2000 ? Lines{"alt", "shown"} : Lines{"shown"};
  ASSERT_EQ(velmora.WaitForLines("output.txt", expected), expected);

  // Taken by the shell, whole: Wine's shell32 6 reads the record up to the GUID.
  const std::string record = "1 " + std::to_string(NOTIFYICONDATAW_V3_SIZE);
  Lines balloons;
  for (const TrayCall& call : velmora.TrayCalls()) {
    if (call.at("uFlags") == "16") {
      balloons.push_back(call.at("result") + " " + call.at("cbSize"));
    }
  }
  EXPECT_EQ(balloons, windows2000 ? Lines{} : Lines{record});
}

} // namespace
} // namespace velmora::e2e
