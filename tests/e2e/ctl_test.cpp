// End-to-end: velmoractl.exe against a running velmora.exe: send taken by the
// command drop or timing out with polling off, ask answered through the box.
#include <gtest/gtest.h>
#include <list>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

TEST(CtlSend, WaitEndsOnceAPollRanTheScriptOrTimesOutLeavingItWhole) {
  VelmoraProcess velmora(ScriptText({"on openScript", "do nothing", "end openScript", "on click",
                                     "set polling to 0", "write \"off\"", "end click",
                                     "on rightClick", "set polling to 100", "end rightClick"}));
  ASSERT_TRUE(velmora.Start());
  // The script to send, kept where the command drop does not look.
  std::filesystem::create_directory(velmora.AppPath("outbox"));
  const auto send = [&](const std::string& wait, const std::string& line) {
    velmora.WriteAppFile("outbox\\x.scp",
                         ScriptText({"on openScript", "write \"" + line + "\"", "end openScript"}));
    return Ctl(velmora, "send") + " --wait " + wait + " \"" +
           velmora.AppPath("outbox\\x.scp").u8string() + "\"";
  };

  Child taken(send("10", "sent"));
  ASSERT_TRUE(taken.Finish());
  EXPECT_EQ(taken.exitCode, 0u) << taken.output;
  // Velmora deletes a script only after running it: its line is there now.
  EXPECT_EQ(velmora.AppFileLines("output.txt"), Lines{"sent"});
  EXPECT_EQ(velmora.AppFiles(".scp"), Lines{"boot.scp"});

  velmora.PostTrayCallback(WM_LBUTTONUP);
  ASSERT_EQ(velmora.WaitForLines("output.txt", {"sent", "off"}), (Lines{"sent", "off"}));
  Child late(send("1", "late"));
  ASSERT_TRUE(late.Finish());
  EXPECT_EQ(late.exitCode, 3u) << late.output;
  const Lines files = velmora.AppFiles(".scp");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].rfind("velmoractl-send-", 0), 0u) << files[1];
  EXPECT_NE(late.output.find(files[1]), std::string::npos) << "names the script left";
  // With polling on again, the script left behind runs.
  velmora.PostTrayCallback(WM_RBUTTONUP);
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"sent", "off", "late"}),
            (Lines{"sent", "off", "late"}));
}

// Three asks at once, one for each button: the boxes show one after the
// other, and each velmoractl prints its own answer and exits with its status.
TEST(CtlAsk, EachOfThreeAsksAtOnceGetsItsOwnAnswer) {
  VelmoraProcess velmora(ScriptText({"on openScript", "do nothing", "end openScript"}));
  ASSERT_TRUE(velmora.Start());
  const struct {
    std::string file;
    int button;
    std::string word;
    DWORD exitCode;
  } rows[] = {
      {"a.txt", IDYES, "Yes", 0}, {"b.txt", IDNO, "No", 1}, {"c.txt", IDCANCEL, "Cancel", 2}};
  std::list<Child> asks;
  for (const auto& row : rows) {
    // The quotes travel to the box as script escapes.
    asks.emplace_back(Ctl(velmora, "ask") + " --icon warning --buttons YesNoCancel --title " +
                      "\"Build job\" \"Save \\\"" + row.file + "\\\"?\"");
  }
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Build job");
    EXPECT_EQ(box->buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    const auto row = std::find_if(std::begin(rows), std::end(rows), [&](const auto& r) {
      return box->text == "Save \"" + r.file + "\"?";
    });
    ASSERT_NE(row, std::end(rows)) << box->text;
    ASSERT_TRUE(velmora.PressButton(*box, row->button));
  }
  auto ask = asks.begin();
  for (const auto& row : rows) {
    ASSERT_TRUE(ask->Finish());
    EXPECT_EQ(ask->output, row.word + "\n");
    EXPECT_EQ((ask++)->exitCode, row.exitCode) << row.word;
  }
  // As every answer, each word is in output.txt too; the answer files are gone.
  Lines words = velmora.AppFileLines("output.txt");
  std::sort(words.begin(), words.end());
  EXPECT_EQ(words, (Lines{"Cancel", "No", "Yes"}));
  EXPECT_TRUE(std::filesystem::is_empty(velmora.AppPath("answers")));
}

} // namespace
} // namespace velmora::e2e
