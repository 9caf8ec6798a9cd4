// Script texts: space compaction, block extraction and folding, and loading
// a script's blocks into the handler table.
#include "interpreter/script.hpp"

#include <algorithm>

#include "base/text.hpp"
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

// A nested block as one command line. Its lines keep their escapes and
// placeholders as written: each is expanded only when it runs, exactly as
// the same line outside a block.
std::wstring Folded(std::wstring_view command, std::wstring_view nestedText) {
  return std::wstring(command) + L"\"" + FoldBlock(nestedText) + L"\"";
}

// A handler that must exist is missing or unterminated: the program cannot go
// on, so the user is told and the exit is started.
std::wstring Fatal(App& app, const std::wstring& text, const std::wstring& caption) {
  app.platform.ShowMessageBox(text, caption, kCriticalOk);
  ShutDown(app);
  return L"";
}

// How many lines the trimming of a text's start takes away: those of the
// blanks before its first other character.
int LinesTrimmedAtStart(std::wstring_view text) {
  const std::size_t kept = TrimBlanks(std::wstring(text) + L"x").size() - 1;
  return CountLines(text.substr(0, text.size() - kept)) - 1;
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

// The known handler names that begin with this one and go on (clickOneTime
// for click), in upper case: what may follow the name where it is found.
std::vector<std::wstring> LongerNamesAfter(std::wstring_view name) {
  const std::wstring upperName = UpperCase(name);
  std::vector<std::wstring> rests;
  for (const HandlerName& handler : kHandlerNames) {
    const std::wstring other = UpperCase(handler.name);
    if (other.size() > upperName.size() && other.rfind(upperName, 0) == 0) {
      rests.push_back(other.substr(upperName.size()));
    }
  }
  return rests;
}

// The first line that holds the word ("on " or "end ") and the name, ignoring
// case, where the name found is not the start of a longer handler name: the
// opening line of clickOneTime holds "on click" but opens no click block, so
// each block is found under its own name whatever the order of the blocks.
int FindHandlerLine(std::wstring_view word, std::wstring_view name, std::wstring_view text) {
  const std::wstring needle = UpperCase(std::wstring(word) + std::wstring(name));
  const std::vector<std::wstring> longer = LongerNamesAfter(name);
  const std::wstring upperText = UpperCase(text);
  int number = 0;
  for (std::wstring_view line : SplitRawLines(upperText)) {
    ++number;
    for (std::size_t at = line.find(needle); at != std::wstring_view::npos;
         at = line.find(needle, at + 1)) {
      const std::wstring_view after = line.substr(at + needle.size());
      const bool startsLongerName =
          std::any_of(longer.begin(), longer.end(),
                      [after](const std::wstring& rest) { return after.rfind(rest, 0) == 0; });
      if (!startsLongerName) {
        return number;
      }
    }
  }
  return 0;
}

// An openScript block that never ends, in a script loaded while there is no
// openScript to fall back on (the start-up script): the script as written
// goes into the slot, so that the mandatory run that follows finds the block
// unterminated and ends the program with the one message that names it,
// instead of a load report followed by "requires an 'on openScript'".
bool LeftForTheMandatoryRun(App& app, const HandlerName& handler, std::wstring_view text) {
  if (handler.loadSlot != Slot::OpenScript || !app.handlers[Slot::OpenScript].empty() ||
      FindHandlerBlock(handler.name, CompactSpaces(text)).close != 0) {
    return false;
  }
  app.handlers[Slot::OpenScript] = std::wstring(text);
  return true;
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

std::wstring UnterminatedHandlerMessage(std::wstring_view name) {
  const std::wstring n(name);
  return L"An 'on " + n + L"' was found without a corresponding 'end " + n +
         L"'. Velmora cannot continue.";
}

std::wstring MissingHandlerMessage(std::wstring_view name) {
  const std::wstring n(name);
  return L"Velmora requires an 'on " + n +
         L"' handler in order to function properly. Velmora cannot continue.";
}

std::wstring IncompleteBlockMessage(std::wstring_view name) {
  return L"Handler '" + std::wstring(name) +
         L"' has a script error: Incomplete script block detected.";
}

BlockLines FindHandlerBlock(std::wstring_view name, std::wstring_view text) {
  const int open = FindHandlerLine(L"on ", name, text);
  if (open == 0) {
    return {};
  }
  return {open, FindHandlerLine(L"end ", name, text)};
}

std::wstring ExtractHandler(App& app, std::wstring_view name, std::wstring_view text, Mode mode,
                            ExtractTrace* trace) {
  const std::wstring t = TrimBlanks(CompactSpaces(text));
  const BlockLines block = FindHandlerBlock(name, t);
  // The trace counts lines of the text as given, whose leading blank lines
  // the trimming took away.
  const int shift = trace != nullptr ? LinesTrimmedAtStart(text) : 0;
  const auto at = [shift](int line) { return line == 0 ? 0 : line + shift; };
  if (trace != nullptr) {
    trace->block = {at(block.open), at(block.close)};
  }
  if (block.open == 0) {
    if (mode == Mode::Mandatory) {
      return Fatal(app, MissingHandlerMessage(name), L"Handler Not Found");
    }
    return L"";
  }
  if (block.close == 0) {
    if (mode == Mode::Mandatory) {
      return Fatal(app, UnterminatedHandlerMessage(name), L"Handler Not Terminated Properly");
    }
    return kIncomplete;
  }

  enum class Kind { None, Install, Answer };
  std::wstring out;
  std::wstring nestedName;
  std::wstring nestedText;
  Kind kind = Kind::None;
  bool inSwitch = false;
  int nestStart = 0;
  std::vector<int> nestLines;
  const auto add = [&](std::wstring_view line, ExtractedLine origin) {
    out += kCrLf;
    out += line;
    if (trace != nullptr) {
      trace->lines.push_back(std::move(origin));
    }
  };
  const auto nest = [&](int i, bool first) {
    if (trace == nullptr) {
      return;
    }
    if (first) {
      nestLines.clear();
    }
    nestLines.push_back(at(i));
  };
  const auto fault = [&](int i) {
    if (trace != nullptr) {
      trace->faultLine = at(i);
      trace->faultNestLine = at(nestStart);
    }
    return kIncomplete;
  };
  const std::vector<std::wstring_view> lines = SplitRawLines(t);
  for (int i = block.open; i <= block.close; ++i) {
    const std::wstring line = TrimBlanks(lines[static_cast<std::size_t>(i) - 1]);
    if (IsCommentLine(line)) {
      continue;
    }
    const std::wstring w1 = Word(line, 1);
    const std::wstring w2 = Word(line, 2);
    if (kind == Kind::None) {
      if (w1 == L"install:" || (w1 == L"install" && w2 == L"handler:")) {
        kind = Kind::Install;
        nestStart = i;
      } else if (w1 == L"install") {
        // Only the one-line form is kept; any other install line is dropped.
        if (w2 == L"handler") {
          add(line, {at(i), FoldKind::None, {}});
        }
      } else if (w1 == L"answer" || w1 == L"check") {
        add(line, {at(i), FoldKind::None, {}});
        kind = Kind::Answer;
      } else {
        add(line, {at(i), FoldKind::None, {}});
      }
    } else if (kind == Kind::Install) {
      if (w1 == L"on") {
        nestedName = w2;
        nestedText = line;
        nest(i, true);
      } else if (w1 == L"end") {
        if (w2 != nestedName) {
          return fault(i);
        }
        nestedText += kCrLf + line;
        nest(i, false);
        add(Folded(L"install handler ", nestedText), {at(nestStart), FoldKind::Install, nestLines});
        kind = Kind::None;
      } else {
        nestedText += kCrLf + line;
        nest(i, false);
      }
    } else if (w1 == L"switch" && w2 == L"result") {
      nestedText = line;
      inSwitch = true;
      nestStart = i;
      nest(i, true);
    } else if (inSwitch) {
      if (w1 != L"end") {
        nestedText += kCrLf + line;
        nest(i, false);
      } else if (w2 != L"switch") {
        return fault(i);
      } else {
        nestedText += kCrLf + line;
        nest(i, false);
        add(Folded(L"checkSwitch ", nestedText), {at(nestStart), FoldKind::Switch, nestLines});
        inSwitch = false;
        kind = Kind::None;
      }
    } else {
      // A switch block is only recognised directly after its answer or check
      // line; any other line ends the chance and is kept as it stands.
      kind = Kind::None;
      add(line, {at(i), FoldKind::None, {}});
    }
  }
  return out;
}

std::wstring RemoveHandlerBlock(std::wstring_view name, std::wstring_view text) {
  const BlockLines block = FindHandlerBlock(name, text);
  if (block.open == 0 || block.close == 0) {
    return std::wstring(text);
  }
  const std::vector<std::wstring_view> lines = SplitRawLines(text);
  const std::wstring after = JoinLines(lines, static_cast<std::size_t>(block.close), lines.size());
  if (block.open == 1) {
    return after;
  }
  return JoinLines(lines, 0, static_cast<std::size_t>(block.open) - 1) + kCrLf + after;
}

void ParseScript(App& app, std::wstring_view script, ParseTrace* trace) {
  std::wstring text(script);
  for (const HandlerName& handler : kHandlerNames) {
    ParseStep* step = nullptr;
    if (trace != nullptr) {
      step = &trace->steps.emplace_back();
      step->name = handler.name;
      step->text = text;
    }
    const std::wstring block = ExtractHandler(app, handler.name, text, Mode::Optional,
                                              step != nullptr ? &step->extract : nullptr);
    if (step != nullptr) {
      step->block = block;
    }
    if (block == kIncomplete) {
      if (LeftForTheMandatoryRun(app, handler, text)) {
        continue;
      }
      ReportScriptError(app, IncompleteBlockMessage(handler.name), L"Script Parsing Error");
      continue;
    }
    if (block.empty()) {
      continue;
    }
    if (handler.loadSlot) {
      app.handlers[*handler.loadSlot] = block;
    }
    if (step != nullptr) {
      step->removed = FindHandlerBlock(handler.name, text);
    }
    text = RemoveHandlerBlock(handler.name, text);
  }
}

} // namespace velmora
