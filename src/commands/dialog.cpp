// The commands that speak to the user: answer and beep.
#include "base/text.hpp"
#include "commands/commands.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/output.hpp"

namespace velmora {

namespace {

std::uint32_t IconStyle(std::wstring_view iconWord) {
  if (iconWord == L"question") {
    return kBoxIconQuestion;
  }
  if (iconWord == L"warning") {
    return kBoxIconWarning;
  }
  if (iconWord == L"error") {
    return kBoxIconError;
  }
  // "info", "information", and any other second word (usually the opening
  // of the quoted message).
  return kBoxIconInfo;
}

const wchar_t* AnswerWord(int button) {
  switch (button) {
  case kButtonOk:
    return L"OK";
  case kButtonCancel:
    return L"Cancel";
  case kButtonYes:
    return L"Yes";
  case kButtonNo:
    return L"No";
  default:
    return nullptr;
  }
}

} // namespace

std::uint32_t ButtonSetCode(std::wstring_view name) {
  if (name == L"OKCancel") {
    return kBoxOkCancel;
  }
  if (name == L"YesNo") {
    return kBoxYesNo;
  }
  if (name == L"YesNoCancel") {
    return kBoxYesNoCancel;
  }
  return kBoxOk;
}

CommandResult AnswerCommand(App& app, const CommandLine& command) {
  std::uint32_t style = IconStyle(command.w2);
  const std::wstring message = GetQuotedText(command.line);
  if (message == kNoQuote) {
    return Fail(app, L"Can't understand 'answer' command.");
  }
  // The order is fixed: the message, then the button set behind "with",
  // then the title. A second quoted text without "with" is the title.
  const std::wstring rest = GetTextAfterQuotes(command.line);
  std::wstring title;
  if (!rest.empty()) {
    const std::wstring second = GetQuotedText(rest);
    if (second != kNoQuote) {
      if (GetItem(rest, 1, L' ') == L"with") {
        style += ButtonSetCode(second);
        title = GetQuotedText(GetTextAfterQuotes(rest));
        if (title == kNoQuote) {
          title.clear();
        }
      } else {
        title = second;
      }
    }
  }
  const int button = app.platform.ShowMessageBox(ExpandEscapes(app, message, false),
                                                 ExpandEscapes(app, title, false), style);
  // A box closed because the program quits meanwhile was answered by no
  // one: nothing is recorded, so no other program reads a made-up choice,
  // and a following switch matches no earlier answer either.
  if (app.Closing) {
    app.LastResult.clear();
    return CommandResult::Ok;
  }
  if (const wchar_t* word = AnswerWord(button)) {
    WriteOutput(app, word);
  }
  return CommandResult::Ok;
}

CommandResult BeepCommand(App& app, const CommandLine&) {
  app.platform.DefaultBeep();
  return CommandResult::Ok;
}

} // namespace velmora
