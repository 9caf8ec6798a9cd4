// End-to-end: tray callbacks, the tray menu, a click while a box is open,
// and an answer that cannot be written.
#include <gtest/gtest.h>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

// A handler that writes its own name to the output file.
std::string Writes(const std::string& handler) {
  return "on " + handler + "\r\nwrite \"" + handler + "\"\r\nend " + handler + "\r\n";
}

TEST(TrayCallbacks, EveryCodeRunsItsHandler) {
  const std::vector<std::pair<LPARAM, std::string>> codes = {
      {514, "click"},        {515, "doubleLeftClick"},
      {517, "rightClick"},   {518, "doubleRightClick"},
      {1026, "balloonShow"}, {1028, "balloonClose"},
      {1029, "balloonClick"}};
  std::string script =
      ScriptText({"on openScript", "create menu Open,Quit", "end openScript", "on itemSelect",
                  "case \"Open\"", "write \"Open chosen\"", "end itemSelect"});
  for (const auto& [code, handler] : codes) {
    script += Writes(handler);
  }
  VelmoraProcess velmora(script);
  ASSERT_TRUE(velmora.Start());

  std::vector<std::string> expected;
  for (const auto& [code, handler] : codes) {
    velmora.PostTrayCallback(code);
    expected.push_back(handler);
    EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected) << "code " << code;
  }

  // The right button's press pops up the menu; its first item runs its case.
  velmora.PostTrayCallback(516);
  ASSERT_TRUE(velmora.ChooseMenuItem(1));
  expected.push_back("Open chosen");
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);

  // Left button down and balloon hidden run nothing: the click posted after
  // them is the next line.
  velmora.PostTrayCallback(513);
  velmora.PostTrayCallback(1027);
  velmora.PostTrayCallback(514);
  expected.push_back("click");
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
  EXPECT_TRUE(velmora.OpenBoxes().empty());
}

TEST(Reentrancy, EventsRunWhileAnAnswerBoxIsOpen) {
  VelmoraProcess velmora(ScriptText({"on openScript", "do nothing", "end openScript", "on click",
                                     "answer \"Hold on\" with \"OKCancel\" \"Busy\"",
                                     "write \"click done\"", "end click"}) +
                         Writes("rightClick"));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(514);
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, "Busy");
  EXPECT_EQ(box->text, "Hold on");
  EXPECT_EQ(box->buttons, (std::vector<int>{IDOK, IDCANCEL}));

  // A click and a dropped script both run inside the box's wait.
  std::vector<std::string> expected = {"rightClick"};
  velmora.PostTrayCallback(517);
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
  ASSERT_TRUE(velmora.Drop("inner.scp",
                           ScriptText({"on openScript", "write \"dropped\"", "end openScript"})));
  expected.push_back("dropped");
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
  EXPECT_TRUE(WaitUntil([&] { return velmora.ScriptFiles().size() == 1; })) << "only boot.scp";
  EXPECT_TRUE(IsWindow(box->window)) << "the box is still waiting";

  ASSERT_TRUE(velmora.PressButton(*box, IDCANCEL));
  expected.insert(expected.end(), {"Cancel", "click done"});
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
}

struct UnwritableAnswer {
  const char* name;
  int button;
  std::string section;
};

class UnwritableAnswerTest : public testing::TestWithParam<UnwritableAnswer> {};

TEST_P(UnwritableAnswerTest, IsReportedAndTheSwitchStillRuns) {
  const UnwritableAnswer& answer = GetParam();
  VelmoraProcess velmora(
      ScriptText({"on openScript", "set outputFile \"missing\\answers.txt\"", "end openScript",
                  "on click", "answer question \"Keep it?\" with \"YesNo\"", "switch result",
                  "case \"Yes\"", "write \"yes section\" \"done.txt\"", "case \"No\"",
                  "write \"no section\" \"done.txt\"", "end switch", "end click", "on rightClick",
                  "write \"later\" \"done.txt\"", "end rightClick"}));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(514);
  const std::optional<MessageBoxWindow> question = velmora.WaitForBox();
  ASSERT_TRUE(question);
  EXPECT_EQ(question->text, "Keep it?");
  EXPECT_EQ(question->buttons, (std::vector<int>{IDYES, IDNO}));
  ASSERT_TRUE(velmora.PressButton(*question, answer.button));

  const std::optional<MessageBoxWindow> report = velmora.WaitForBox();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->caption, "Parsing Error");
  EXPECT_EQ(report->text, "Can't write to file '" + velmora.AppPath("missing\\answers.txt") + "'.");
  ASSERT_TRUE(velmora.PressButton(*report, IDOK));

  // The section of the pressed button runs, and the click ends without a
  // further report once a later event has run.
  velmora.PostTrayCallback(517);
  const std::vector<std::string> done = {answer.section, "later"};
  EXPECT_EQ(velmora.WaitForLines("done.txt", done), done);
  EXPECT_TRUE(velmora.OpenBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Buttons, UnwritableAnswerTest,
                         testing::Values(UnwritableAnswer{"Yes", IDYES, "yes section"},
                                         UnwritableAnswer{"No", IDNO, "no section"}),
                         RowName());

} // namespace
} // namespace velmora::e2e
