// The answer command: the box each answer line shows, and the word the
// pressed button records.
#include "harness.hpp"

namespace velmora::testing {
namespace {

TEST(Answer, TheBoxAndTheWordThePressedButtonRecords) {
  const struct {
    const wchar_t* line;
    int button;
    const wchar_t* text;
    const wchar_t* caption;
    std::uint32_t style;
    const wchar_t* word; // empty when nothing is recorded
  } cases[] = {
      {LR"(answer "Hello")", kButtonOk, L"Hello", L"", kBoxIconInfo, L"OK"},
      {LR"(answer question "Save changes?" with "YesNoCancel" "Editor")", kButtonNo,
       L"Save changes?", L"Editor", kBoxIconQuestion + kBoxYesNoCancel, L"No"},
      {LR"(answer warning "Proceed?" with "OKCancel")", kButtonCancel, L"Proceed?", L"",
       kBoxIconWarning + kBoxOkCancel, L"Cancel"},
      {LR"(Answer Information "Go?" with "YesNo")", kButtonYes, L"Go?", L"",
       kBoxIconInfo + kBoxYesNo, L"Yes"},
      {LR"(answer ERROR "Disk full")", kButtonOk, L"Disk full", L"", kBoxIconError, L"OK"},
      // A second quoted text without "with" is the title, and no button set
      // is read: not behind a capital "With", a title, or without quotes.
      {LR"(answer "Text" "Caption")", kButtonOk, L"Text", L"Caption", kBoxIconInfo, L"OK"},
      {LR"(answer "Text" With "YesNo")", kButtonOk, L"Text", L"YesNo", kBoxIconInfo, L"OK"},
      {LR"(answer "Text" "T" with "YesNo")", kButtonOk, L"Text", L"T", kBoxIconInfo, L"OK"},
      {LR"(answer "Text" with YesNo)", kButtonOk, L"Text", L"", kBoxIconInfo, L"OK"},
      {LR"(answer "Text" with "Maybe")", kButtonOk, L"Text", L"", kBoxIconInfo, L"OK"},
      {LR"(answer "Text" with "yesno")", kButtonOk, L"Text", L"", kBoxIconInfo, L"OK"},
      {LR"(answer "   spaced   ")", kButtonOk, L"spaced", L"", kBoxIconInfo, L"OK"},
      {LR"(answer "Line one\nLine two \'q\'" with "OK" "At %t%")", kButtonOk,
       L"Line one\r\nLine two \"q\"", L"At 9:41:07 AM", kBoxIconInfo, L"OK"},
      // A box ended some other way (Abort, Retry, a closed window) records nothing.
      {LR"(answer "Text" with "YesNo")", 3, L"Text", L"", kBoxIconInfo + kBoxYesNo, L""},
  };
  for (const auto& c : cases) {
    Harness h;
    h.app.LastResult = L"before";
    h.fake.answers = {c.button};
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Ok) << c.line;
    EXPECT_EQ(h.Boxes(), (std::vector<Box>{{c.text, c.caption, c.style}})) << c.line;
    EXPECT_EQ(h.app.LastResult, *c.word ? c.word : L"before") << c.line;
    EXPECT_EQ(h.fake.Contents(kOutput), *c.word ? Bytes(c.word + std::wstring(L"\r\n")) : "")
        << c.line;
  }
}

TEST(Answer, WithoutAMessageNothingIsAsked) {
  for (const wchar_t* line : {L"answer info", LR"(answer "QorError")", LR"(answer "open)"}) {
    ExpectLine(line, L"", L"Can't understand 'answer' command.");
  }
}

} // namespace
} // namespace velmora::testing
