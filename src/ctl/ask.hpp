// velmoractl ask: a question put to the tray user, its answer word given back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ctl/file_system.hpp"
#include "ctl/output.hpp"

namespace velmora::ctl {

struct AskOptions {
  SystemPath folder; // the application folder
  std::wstring icon = L"question";
  std::wstring buttons = L"YesNo";
  std::wstring title;
  std::optional<double> timeoutSeconds;
  std::wstring message;
};

// Exit status: 0 for OK or Yes, 1 for No, 2 for Cancel, 3 when no answer
// came in time, 4 for bad usage or an I/O error.
constexpr int kAskYes = 0;
constexpr int kAskNo = 1;
constexpr int kAskCancel = 2;
constexpr int kAskTimedOut = 3;
constexpr int kAskFailed = 4;

int RunAsk(const AskOptions& options, Output& out, Output& err);

// The script that asks and writes the answer word to answerFile (named from
// the application folder); none, with the reason in problem, for an icon or
// button set it does not know or a text that a script cannot carry.
std::optional<std::wstring> AskScript(const AskOptions& options, std::wstring_view answerFile,
                                      std::wstring& problem);
// The script as the bytes of its file: the ANSI code page when that holds
// every character, so that any Velmora reads it; else UTF-8 with its mark.
std::string AskScriptBytes(const std::wstring& script);

} // namespace velmora::ctl
