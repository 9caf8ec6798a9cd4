// End-to-end: one-time handlers emptied before they run, and the lines of a
// switch block run exactly as written, in the real program.
#include <gtest/gtest.h>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

TEST(OneTimeHandlers, AClickWhileTheBoxIsOpenRunsThePermanentHandler) {
  VelmoraProcess velmora(ScriptText({"on openScript", "end openScript", "on clickOneTime",
                                     "answer \"Welcome\"", "write \"once\"", "end clickOneTime",
                                     "on click", "write \"click\"", "end click"}));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(WM_LBUTTONUP);
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "Welcome");

  // The one-time handler is already gone: the second click runs "click".
  velmora.PostTrayCallback(WM_LBUTTONUP);
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"click"}), std::vector<std::string>{"click"});
  EXPECT_EQ(velmora.OpenBoxes().size(), 1u);

  ASSERT_TRUE(velmora.PressButton(*box, IDOK));
  const std::vector<std::string> expected = {"click", "OK", "once"};
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
}

TEST(SwitchBlocks, AFileNameWithBackslashNInASectionIsLaunchedAsWritten) {
  VelmoraProcess velmora(
      ScriptText({"on openScript", "answer \"Launch?\" with \"YesNo\"", "switch result",
                  "case \"Yes\"", "launch \"tools\\new.exe\"", "end switch", "end openScript"}));
  ASSERT_TRUE(CreateDirectoryA(velmora.AppPath("tools").c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(BesideTestProgram("record_args.exe").c_str(),
                        velmora.AppPath("tools\\new.exe").c_str(), FALSE));
  ASSERT_TRUE(velmora.Start());
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  ASSERT_TRUE(velmora.PressButton(*box, IDYES));

  std::vector<std::string> lines;
  ASSERT_TRUE(WaitUntil([&] {
    lines = velmora.AppFileLines("tools\\args.txt");
    return !lines.empty();
  }));
  EXPECT_EQ(lines[0], "\"" + velmora.AppPath("tools\\new.exe") + "\"");
  EXPECT_TRUE(velmora.OpenBoxes().empty());
}

} // namespace
} // namespace velmora::e2e
