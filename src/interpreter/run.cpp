// Handler runs: the block is extracted from its slot text again every time
// and its body handed to the executor line by line.
#include "interpreter/run.hpp"

#include "base/text.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/script.hpp"
#include "interpreter/switch.hpp"

namespace velmora {

using namespace std::string_view_literals;

namespace {

// Calls keep(number, line) for each command line of a handler's text, in
// order, until keep returns false.
template <typename Keep> void ForEachBodyLine(std::wstring_view text, Keep keep) {
  std::wstring current;
  ForEachRawLine(text, [&](int number, std::wstring_view raw) {
    // An empty line reads as the absent line, "-1", and is passed over.
    const std::wstring_view line = TrimmedView(raw);
    if (raw.empty() || line == kAbsent) {
      return true;
    }
    const std::wstring_view first = TrimmedView(ItemView(line, 1, L' '));
    const bool opens = LowerCaseEquals(first, L"on"sv);
    if (opens) {
      current = LineWord(line, 2);
    }
    if (line.empty()) {
      return true;
    }
    // Opening and closing lines are dropped whatever their case or spacing;
    // only a line whose first word is "on" or "end" can be one.
    if (opens || LowerCaseEquals(first, L"end"sv)) {
      const std::wstring head = LineHead(line);
      if (head == L"on " + current || head == L"end " + current) {
        return true;
      }
    }
    return keep(number, line);
  });
}

// Runs the lines of a body in turn until one fails.
RunResult RunLines(App& app, std::wstring_view body) {
  RunResult result = RunResult::Ok;
  CommandLine command;
  ForEachRawLine(body, [&](int, std::wstring_view raw) {
    const std::wstring_view line = TrimmedView(raw);
    if (line == kAbsent || line.empty()) {
      return true;
    }
    if (ExecuteCommand(app, line, command) == CommandResult::Error) {
      result = RunResult::Error;
      return false;
    }
    return true;
  });
  return result;
}

} // namespace

std::wstring LineHead(std::wstring_view line) {
  return LowerCase(CompactSpaces(GetItemRange(line, 1, 2, L' ')));
}

std::wstring HandlerBody(std::wstring_view text, std::vector<int>* keptLines) {
  std::wstring body;
  ForEachBodyLine(text, [&](int number, std::wstring_view line) {
    if (!body.empty()) {
      body += kCrLf;
    }
    body += line;
    if (keptLines != nullptr) {
      keptLines->push_back(number);
    }
    return true;
  });
  return body;
}

RunResult RunHandler(App& app, std::wstring_view slotText, std::wstring_view name, Mode mode,
                     const std::optional<std::wstring>& switchValue) {
  // The slot text is read only before the first line runs: a line of the run
  // may install a new handler into the same slot, which then takes effect
  // with the next run.
  const std::wstring block = ExtractHandler(name, slotText);
  if (mode == Mode::Mandatory && (block.empty() || block == kIncomplete)) {
    if (const std::optional<FatalParse> fatal = MandatoryHandlerFault(name, slotText)) {
      app.platform.ShowMessageBox(fatal->message, fatal->caption, kBoxIconError);
      return RunResult::Fatal;
    }
  }
  if (block == kIncomplete) {
    return RunResult::Incomplete;
  }
  if (switchValue && !switchValue->empty()) {
    const std::wstring body = SelectCase(HandlerBody(block), *switchValue);
    if (body.empty() || body == kAbsent) {
      return RunResult::NotFound;
    }
    return RunLines(app, body);
  }
  // Without a switch the body's lines run as they are found: each is a
  // trimmed line that is neither empty nor "-1", so none would be passed over.
  RunResult result = RunResult::NotFound;
  CommandLine command;
  ForEachBodyLine(block, [&](int, std::wstring_view line) {
    if (ExecuteCommand(app, line, command) == CommandResult::Error) {
      result = RunResult::Error;
      return false;
    }
    result = RunResult::Ok;
    return true;
  });
  return result;
}

} // namespace velmora
