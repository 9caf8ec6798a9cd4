// The answer and beep commands: the box each answer line shows, the word the
// pressed button records, and the switch that acts on it.
#include <gtest/gtest.h>
#include <tuple>

#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/run.hpp"
#include "script_trace.hpp"

namespace velmora::testing {
namespace {

struct AnswerCase {
  const wchar_t* line;
  int button;
  const wchar_t* text;
  const wchar_t* caption;
  std::uint32_t style;
  const wchar_t* word; // empty when nothing is recorded
};

TEST(Answer, TheBoxAndTheWordThePressedButtonRecords) {
  const AnswerCase cases[] = {
      {L"answer \"Hello\"", kButtonOk, L"Hello", L"", kBoxIconInfo, L"OK"},
      {L"answer question \"Save changes?\" with \"YesNoCancel\" \"Editor\"", kButtonNo,
       L"Save changes?", L"Editor", kBoxIconQuestion + kBoxYesNoCancel, L"No"},
      {L"answer warning \"Proceed?\" with \"OKCancel\"", kButtonCancel, L"Proceed?", L"",
       kBoxIconWarning + kBoxOkCancel, L"Cancel"},
      {L"Answer Information \"Go?\" with \"YesNo\"", kButtonYes, L"Go?", L"",
       kBoxIconInfo + kBoxYesNo, L"Yes"},
      {L"answer ERROR \"Disk full\"", kButtonOk, L"Disk full", L"", kBoxIconError, L"OK"},
      // A second quoted text without "with" is the title, and no button set
      // is read: not behind a capital "With", a title, or without quotes.
      {L"answer \"Text\" \"Caption\"", kButtonOk, L"Text", L"Caption", kBoxIconInfo, L"OK"},
      {L"answer \"Text\" With \"YesNo\"", kButtonOk, L"Text", L"YesNo", kBoxIconInfo, L"OK"},
      {L"answer \"Text\" \"T\" with \"YesNo\"", kButtonOk, L"Text", L"T", kBoxIconInfo, L"OK"},
      {L"answer \"Text\" with YesNo", kButtonOk, L"Text", L"", kBoxIconInfo, L"OK"},
      {L"answer \"Text\" with \"Maybe\"", kButtonOk, L"Text", L"", kBoxIconInfo, L"OK"},
      {L"answer \"Text\" with \"yesno\"", kButtonOk, L"Text", L"", kBoxIconInfo, L"OK"},
      {L"answer \"   spaced   \"", kButtonOk, L"spaced", L"", kBoxIconInfo, L"OK"},
      {L"answer \"Line one\\nLine two \\'q\\'\" with \"OK\" \"At %t%\"", kButtonOk,
       L"Line one\r\nLine two \"q\"", L"At 9:41:07 AM", kBoxIconInfo, L"OK"},
      // A box ended some other way (Abort, Retry, a closed window) records nothing.
      {L"answer \"Text\" with \"YesNo\"", 3, L"Text", L"", kBoxIconInfo + kBoxYesNo, L""},
  };
  for (const AnswerCase& c : cases) {
    Harness h;
    h.app.LastResult = L"before";
    h.fake.answers = {c.button};
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Ok) << c.line;
    ASSERT_EQ(h.fake.boxes.size(), 1u) << c.line;
    EXPECT_EQ(h.fake.boxes[0].text, c.text) << c.line;
    EXPECT_EQ(h.fake.boxes[0].caption, c.caption) << c.line;
    EXPECT_EQ(h.fake.boxes[0].style, c.style) << c.line;
    const std::wstring word = c.word;
    EXPECT_EQ(h.app.LastResult, word.empty() ? L"before" : word) << c.line;
    EXPECT_EQ(h.fake.Contents(kOutput), word.empty() ? "" : Bytes(word + L"\r\n")) << c.line;
  }
}

TEST(Answer, WithoutAMessageNothingIsAsked) {
  for (const wchar_t* line : {L"answer info", L"answer \"QorError\"", L"answer \"open"}) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'answer' command."}) << line;
    EXPECT_EQ(h.fake.boxes[0].caption, L"Parsing Error");
    EXPECT_FALSE(h.fake.Exists(kOutput)) << line;
  }
}

TEST(Answer, TheSwitchAfterItRunsThePressedButtonsSection) {
  const std::wstring slot =
      Script({L"on x", L"answer question \"Save?\" with \"YesNoCancel\"", L"-- the choice",
              L"switch result", L"case \"Yes\"", L"set tooltip \"saved\"", L"case \"No\"",
              L"BEEP twice", L"case \"ok\"", L"set tooltip \"never\"", L"end switch",
              L"set tooltip \"after\"", L"end x"});
  const std::tuple<int, Texts, int> cases[] = {
      {kButtonYes, {L"saved", L"after"}, 0},
      {kButtonNo, {L"after"}, 1},
      {kButtonCancel, {L"after"}, 0},
  };
  for (const auto& [button, tips, beeps] : cases) {
    Harness h;
    h.fake.answers = {button};
    EXPECT_EQ(RunHandler(h.app, slot, L"x", Mode::Optional), RunResult::Ok) << button;
    EXPECT_EQ(Tips(h.fake), tips) << button;
    EXPECT_EQ(h.fake.beeps, beeps) << button;
  }
}

} // namespace
} // namespace velmora::testing
