// The answer command: the box each answer line shows, and the word the
// pressed button records.
#include "harness.hpp"

namespace velmora::testing {
namespace {

TEST(Answer, TheBoxAndTheWordThePressedButtonRecords) {
  const struct {
    const wchar_t* line;
    const wchar_t* text;
    const wchar_t* caption = L"";
    std::uint32_t style = kBoxIconInfo;
    int button = kButtonOk;
    const wchar_t* word = L"OK"; // empty when nothing is recorded
  } cases[] = {
      {LR"(answer "Hello")", L"Hello"},
      {LR"(answer question "Save changes?" with "YesNoCancel" "Editor")", L"Save changes?",
       L"Editor", kBoxIconQuestion + kBoxYesNoCancel, kButtonNo, L"No"},
      {LR"(answer warning "Proceed?" with "OKCancel")", L"Proceed?", L"",
       kBoxIconWarning + kBoxOkCancel, kButtonCancel, L"Cancel"},
      {LR"(Answer Information "Go?" with "YesNo")", L"Go?", L"", kBoxIconInfo + kBoxYesNo,
       kButtonYes, L"Yes"},
      {LR"(answer ERROR "Disk full")", L"Disk full", L"", kBoxIconError},
      // A second quoted text without "with" is the title, and no button set
      // is read: not behind a capital "With", a title, or without quotes.
      {LR"(answer "Text" "Caption")", L"Text", L"Caption"},
      {LR"(answer "Text" With "YesNo")", L"Text", L"YesNo"},
      {LR"(answer "Text" "T" with "YesNo")", L"Text", L"T"},
      {LR"(answer "Text" with YesNo)", L"Text"},
      {LR"(answer "Text" with "Maybe")", L"Text"},
      {LR"(answer "Text" with "yesno")", L"Text"},
      {LR"(answer "   spaced   ")", L"spaced"},
      {LR"(answer "Line one\nLine two \'q\'" with "OK" "At %t%")", L"Line one\r\nLine two \"q\"",
       L"At 9:41:07 AM"},
      // A box ended some other way (Abort, Retry, a closed window) records nothing.
      {LR"(answer "Text" with "YesNo")", L"Text", L"", kBoxIconInfo + kBoxYesNo, 3, L""},
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
