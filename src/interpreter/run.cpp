// Handler runs: the block is extracted from its slot text again every time
// and its body handed to the executor line by line.
#include "interpreter/run.hpp"

#include "base/text.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/script.hpp"
#include "interpreter/switch.hpp"

namespace velmora {

std::wstring LineHead(std::wstring_view line) {
  return LowerCase(CompactSpaces(GetItemRange(line, 1, 2, L' ')));
}

std::wstring HandlerBody(std::wstring_view text, std::vector<int>* keptLines) {
  std::wstring body;
  std::wstring current;
  int number = 0;
  for (const std::wstring_view raw : SplitRawLines(text)) {
    ++number;
    // An empty line reads as the absent line, "-1", and is passed over.
    const std::wstring_view line = TrimmedView(raw);
    if (raw.empty() || line == kAbsent) {
      continue;
    }
    const std::wstring first = LineWord(line, 1);
    if (first == L"on") {
      current = LineWord(line, 2);
    }
    if (line.empty()) {
      continue;
    }
    // Opening and closing lines are dropped whatever their case or spacing;
    // only a line whose first word is "on" or "end" can be one.
    if (first == L"on" || first == L"end") {
      const std::wstring head = LineHead(line);
      if (head == L"on " + current || head == L"end " + current) {
        continue;
      }
    }
    if (!body.empty()) {
      body += kCrLf;
    }
    body += line;
    if (keptLines != nullptr) {
      keptLines->push_back(number);
    }
  }
  return body;
}

RunResult RunHandler(App& app, std::wstring slotText, std::wstring_view name, Mode mode,
                     const std::optional<std::wstring>& switchValue) {
  // The slot text is a copy: a line of the run may install a new handler
  // into the same slot, which then takes effect with the next run.
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
  std::wstring body = HandlerBody(block);
  if (switchValue && !switchValue->empty()) {
    body = SelectCase(body, *switchValue);
  }
  if (body.empty() || body == kAbsent) {
    return RunResult::NotFound;
  }
  for (const std::wstring_view raw : SplitRawLines(body)) {
    const std::wstring_view line = TrimmedView(raw);
    if (line == kAbsent || line.empty()) {
      continue;
    }
    if (ExecuteCommand(app, line) == CommandResult::Error) {
      return RunResult::Error;
    }
  }
  return RunResult::Ok;
}

} // namespace velmora
