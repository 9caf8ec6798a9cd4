// The result switch (checkSwitch) and the selection of a menu's case section.
#include "interpreter/switch.hpp"

#include "base/text.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/script.hpp"

namespace velmora {

namespace {

// The lines of every section whose value equals the last result exactly.
std::vector<std::wstring> SelectedLines(App& app, std::wstring_view block) {
  const std::vector<std::wstring> lines = SplitLines(block);
  std::vector<std::wstring> selected;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::wstring line = TrimBlanks(ExpandEscapes(app, lines[i], false));
    if (!IsCaseLine(line) || GetQuotedText(line) != app.LastResult) {
      continue;
    }
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      std::wstring sectionLine = TrimBlanks(lines[j]);
      if (IsCaseLine(sectionLine) || GetItemRange(sectionLine, 1, 2, L' ') == L"end switch") {
        break;
      }
      selected.push_back(std::move(sectionLine));
    }
  }
  return selected;
}

} // namespace

bool IsCaseLine(std::wstring_view line) {
  return TrimBlanks(GetItem(line, 1, L' ')) == L"case";
}

CommandResult CheckSwitchCommand(App& app, const CommandLine& command) {
  // A line without a quoted block selects nothing: the block is then the
  // marker text itself. A block folded at load holds its lines as written,
  // so each line runs exactly as it would outside the block; a checkSwitch
  // line written by hand has its escapes expanded for the whole block first.
  const std::wstring quoted = GetQuotedText(command.line);
  const std::optional<std::wstring> folded = UnfoldBlock(quoted);
  const std::wstring block = folded ? *folded : ExpandEscapes(app, quoted, true);
  // Every line of the selected sections runs, as the lines of a handler do;
  // a failure is reported once, after the section, naming the last one.
  std::wstring failedLine;
  for (const std::wstring& line : SelectedLines(app, block)) {
    const std::wstring trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed == kAbsent) {
      continue;
    }
    if (ExecuteCommand(app, trimmed) == CommandResult::Error) {
      failedLine = trimmed;
    }
  }
  if (failedLine.empty()) {
    return CommandResult::Ok;
  }
  return Fail(app, L"Error executing command: " + failedLine);
}

std::wstring SelectCase(std::wstring_view body, std::wstring_view value) {
  const std::wstring compacted = CompactSpaces(body);
  const int start = FindLineContaining(L"case \"" + std::wstring(value) + L"\"", compacted);
  if (start == 0) {
    return L"";
  }
  const std::vector<std::wstring> lines = SplitLines(compacted);
  std::wstring out;
  for (std::size_t i = static_cast<std::size_t>(start); i < lines.size(); ++i) {
    const std::wstring& line = lines[i];
    if (line == kAbsent) {
      continue;
    }
    if (IsCaseLine(line)) {
      break;
    }
    if (!out.empty()) {
      out += kCrLf;
    }
    out += line;
  }
  return out;
}

} // namespace velmora
