// Script texts: space compaction, block extraction and folding, and loading
// a script's blocks into the handler table.
#include "interpreter/script.hpp"

#include "coolcode/text.hpp"
#include "host/host.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/handlers.hpp"

namespace velmora {

namespace {

constexpr std::uint32_t kCriticalOk = 16;

bool IsCommentLine(std::wstring_view line) {
  return line.empty() || line.rfind(L"--", 0) == 0 || line.rfind(L"#", 0) == 0;
}

std::wstring Word(std::wstring_view line, int k) {
  return TrimBlanks(GetItem(line, k, L' '));
}

std::wstring Folded(std::wstring_view command, std::wstring_view nestedText) {
  return std::wstring(command) + L"\"" + EncodeEscapes(nestedText) + L"\"";
}

// A handler that must exist is missing or unterminated: the program cannot go
// on, so the user is told and the exit is started.
std::wstring Fatal(App& app, const std::wstring& text, const std::wstring& caption) {
  app.platform.ShowMessageBox(text, caption, kCriticalOk);
  ShutDown(app);
  return L"";
}

// Joins lines [from, to) of a text with CR LF.
std::wstring JoinLines(const std::vector<std::wstring_view>& lines, std::size_t from,
                       std::size_t to) {
  std::wstring joined;
  for (std::size_t i = from; i < to && i < lines.size(); ++i) {
    if (i > from) {
      joined += kCrLf;
    }
    joined += lines[i];
  }
  return joined;
}

} // namespace

std::wstring CompactSpaces(std::wstring_view text) {
  const std::wstring trimmed = TrimBlanks(text);
  std::wstring compacted;
  compacted.reserve(trimmed.size());
  for (std::size_t i = 0; i < trimmed.size();) {
    if (trimmed[i] != L' ') {
      compacted += trimmed[i++];
      continue;
    }
    std::size_t run = 0;
    while (i < trimmed.size() && trimmed[i] == L' ') {
      ++run;
      ++i;
    }
    // Runs of n spaces are replaced by one space for n from 100 down to 2,
    // each pass left to right over what the pass before left behind.
    for (std::size_t n = 100; n >= 2; --n) {
      run = run / n + run % n;
    }
    compacted.append(run, L' ');
  }
  return ReplaceAll(compacted, L" = ", L"=");
}

std::wstring ExtractHandler(App& app, std::wstring_view name, std::wstring_view text, Mode mode) {
  const std::wstring n(name);
  const std::wstring t = TrimBlanks(CompactSpaces(text));
  const int first = FindLineContaining(L"on " + n, t);
  if (first == 0) {
    if (mode == Mode::Mandatory) {
      return Fatal(app,
                   L"Velmora requires an 'on " + n +
                       L"' handler in order to function properly. Velmora cannot continue.",
                   L"Handler Not Found");
    }
    return L"";
  }
  const int last = FindLineContaining(L"end " + n, t);
  if (last == 0) {
    if (mode == Mode::Mandatory) {
      return Fatal(app,
                   L"An 'on " + n + L"' was found without a corresponding 'end " + n +
                       L"'. Velmora cannot continue.",
                   L"Handler Not Terminated Properly");
    }
    return kIncomplete;
  }

  enum class Kind { None, Install, Answer };
  std::wstring out;
  std::wstring nestedName;
  std::wstring nestedText;
  Kind kind = Kind::None;
  bool inSwitch = false;
  const auto add = [&out](std::wstring_view line) {
    out += kCrLf;
    out += line;
  };
  const std::vector<std::wstring_view> lines = SplitRawLines(t);
  for (int i = first; i <= last; ++i) {
    const std::wstring line = TrimBlanks(lines[static_cast<std::size_t>(i) - 1]);
    if (IsCommentLine(line)) {
      continue;
    }
    const std::wstring w1 = Word(line, 1);
    const std::wstring w2 = Word(line, 2);
    if (kind == Kind::None) {
      if (w1 == L"install:" || (w1 == L"install" && w2 == L"handler:")) {
        kind = Kind::Install;
      } else if (w1 == L"install") {
        // Only the one-line form is kept; any other install line is dropped.
        if (w2 == L"handler") {
          add(line);
        }
      } else if (w1 == L"answer" || w1 == L"check") {
        add(line);
        kind = Kind::Answer;
      } else {
        add(line);
      }
    } else if (kind == Kind::Install) {
      if (w1 == L"on") {
        nestedName = w2;
        nestedText = line;
      } else if (w1 == L"end") {
        if (w2 != nestedName) {
          return kIncomplete;
        }
        nestedText += kCrLf + line;
        add(Folded(L"install handler ", nestedText));
        kind = Kind::None;
      } else {
        nestedText += kCrLf + line;
      }
    } else if (w1 == L"switch" && w2 == L"result") {
      nestedText = line;
      inSwitch = true;
    } else if (inSwitch) {
      if (w1 != L"end") {
        nestedText += kCrLf + line;
      } else if (w2 != L"switch") {
        return kIncomplete;
      } else {
        nestedText += kCrLf + line;
        add(Folded(L"checkSwitch ", nestedText));
        inSwitch = false;
        kind = Kind::None;
      }
    } else {
      // A switch block is only recognised directly after its answer or check
      // line; any other line ends the chance and is kept as it stands.
      kind = Kind::None;
      add(line);
    }
  }
  return out;
}

std::wstring RemoveHandlerBlock(std::wstring_view name, std::wstring_view text) {
  const std::wstring n(name);
  const int o = FindLineContaining(L"on " + n, text);
  const int e = FindLineContaining(L"end " + n, text);
  if (o == 0 || e == 0) {
    return std::wstring(text);
  }
  const std::vector<std::wstring_view> lines = SplitRawLines(text);
  const std::wstring after = JoinLines(lines, static_cast<std::size_t>(e), lines.size());
  if (o == 1) {
    return after;
  }
  return JoinLines(lines, 0, static_cast<std::size_t>(o) - 1) + kCrLf + after;
}

void ParseScript(App& app, std::wstring_view script) {
  std::wstring text(script);
  for (const HandlerName& handler : kHandlerNames) {
    const std::wstring block = ExtractHandler(app, handler.name, text, Mode::Optional);
    if (block == kIncomplete) {
      ReportScriptError(app,
                        L"Handler '" + std::wstring(handler.name) +
                            L"' has a script error: Incomplete script block detected.",
                        L"Script Parsing Error");
      continue;
    }
    if (block.empty()) {
      continue;
    }
    if (handler.loadSlot) {
      app.handlers[*handler.loadSlot] = block;
    }
    text = RemoveHandlerBlock(handler.name, text);
  }
}

} // namespace velmora
