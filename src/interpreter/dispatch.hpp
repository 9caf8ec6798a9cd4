// Running one script line: its words and the command they name.
#pragma once

#include <string>
#include <string_view>

#include "app_state.hpp"
#include "interpreter/results.hpp"

namespace velmora {

// A trimmed script line and its first three words, trimmed and lower-cased
// ("-1" for a word that is not there).
struct CommandLine {
  std::wstring line;
  std::wstring w1;
  std::wstring w2;
  std::wstring w3;
};

// Word k of a line: the k-th item between single blanks, trimmed, lower-cased.
std::wstring LineWord(std::wstring_view line, int k);
// The last item of a line cut at single blanks, as written.
std::wstring LastWord(std::wstring_view line);

CommandResult ExecuteCommand(App& app, std::wstring_view line);
// The same, with the line and its words put into `command`: a caller that runs
// many lines passes the same one each time, so that its storage is reused.
CommandResult ExecuteCommand(App& app, std::wstring_view line, CommandLine& command);
// Whether a line's first word (lower-cased) names a command.
bool IsCommandWord(std::wstring_view word);
// The subject of a set line: its second word, or its third after "the".
const std::wstring& SetSubject(const CommandLine& command);

// Reports a command's failure without a title and gives "error".
CommandResult Fail(App& app, const std::wstring& message);

} // namespace velmora
