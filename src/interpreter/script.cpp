// Script texts: space compaction, block extraction and folding, and loading
// a script's blocks into the handler table.
#include "interpreter/script.hpp"

#include <algorithm>

#include "base/text.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/handlers.hpp"

namespace velmora {

namespace {

bool IsCommentLine(std::wstring_view line) {
  return line.empty() || line.rfind(L"--", 0) == 0 || line.rfind(L"#", 0) == 0;
}

std::wstring_view Word(std::wstring_view line, int k) {
  return TrimmedView(ItemView(line, k, L' '));
}

// A nested block as one command line. Its lines keep their escapes and
// placeholders as written: each is expanded only when it runs, exactly as
// the same line outside a block.
std::wstring Folded(std::wstring_view command, std::wstring_view nestedText) {
  return std::wstring(command) + L"\"" + FoldBlock(nestedText) + L"\"";
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

// A text's lines in upper case, made once for all the names searched in it.
class SearchLines {
public:
  explicit SearchLines(std::wstring_view text)
      : upper_(UpperCase(text)), lines_(SplitRawLines(upper_)) {}
  // The lines are views into the text held here.
  SearchLines(const SearchLines&) = delete;
  SearchLines& operator=(const SearchLines&) = delete;

  const std::vector<std::wstring_view>& Lines() const { return lines_; }

private:
  std::wstring upper_;
  std::vector<std::wstring_view> lines_;
};

// A script text as the handler search reads it: spaces compacted, blanks
// trimmed at both ends.
struct SearchedScript {
  explicit SearchedScript(std::wstring_view text)
      : trimmed(TrimBlanks(CompactSpaces(text))), lines(trimmed) {}

  std::wstring trimmed;
  SearchLines lines;
};

// The first line that holds the word ("on " or "end ") and the name, ignoring
// case, where the name found is not the start of a longer handler name: the
// opening line of clickOneTime holds "on click" but opens no click block, so
// each block is found under its own name whatever the order of the blocks.
int FindHandlerLine(std::wstring_view word, std::wstring_view name, const SearchLines& text) {
  const std::wstring needle = UpperCase(std::wstring(word) + std::wstring(name));
  const std::vector<std::wstring> longer = LongerNamesAfter(name);
  int number = 0;
  for (std::wstring_view line : text.Lines()) {
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

BlockLines FindBlock(std::wstring_view name, const SearchLines& text) {
  const int open = FindHandlerLine(L"on ", name, text);
  if (open == 0) {
    return {};
  }
  return {open, FindHandlerLine(L"end ", name, text)};
}

// A line number of the trimmed text as one of the text as given (0, no
// line, stays 0).
int Shifted(int line, int shift) {
  return line == 0 ? 0 : line + shift;
}

// Takes a handler block's lines one by one and folds each install block,
// and each switch block directly after an answer or check line, into one
// quoted command line. Where each kept line came from is noted only when a
// trace is asked for.
class BlockFolder {
public:
  BlockFolder(ExtractTrace* trace, int shift) : trace_(trace), shift_(shift) {}

  // Takes the block's next line, trimmed and no comment; false when the
  // line leaves the block incomplete.
  bool Take(int number, std::wstring_view line) {
    const std::wstring_view w1 = Word(line, 1);
    const std::wstring_view w2 = Word(line, 2);
    if (state_ == State::Command) {
      TakeCommandLine(number, line, w1, w2);
      return true;
    }
    if (state_ == State::Install) {
      return TakeInstallLine(number, line, w1, w2);
    }
    if (w1 == L"switch" && w2 == L"result") {
      state_ = State::Switch;
      nestStart_ = number;
      StartNest(number, line);
      return true;
    }
    if (state_ == State::Switch) {
      return TakeSwitchLine(number, line, w1, w2);
    }
    // A switch block is only recognised directly after its answer or check
    // line; any other line ends the chance and is kept as it stands.
    state_ = State::Command;
    Keep(line, number);
    return true;
  }

  std::wstring Text() { return std::move(out_); }

private:
  enum class State { Command, Install, AfterAnswer, Switch };

  void TakeCommandLine(int number, std::wstring_view line, std::wstring_view w1,
                       std::wstring_view w2) {
    if (w1 == L"install:" || (w1 == L"install" && w2 == L"handler:")) {
      state_ = State::Install;
      nestStart_ = number;
      return;
    }
    // Only the one-line form of install is kept; any other install line is
    // dropped.
    if (w1 == L"install" && w2 != L"handler") {
      return;
    }
    Keep(line, number);
    if (w1 == L"answer" || w1 == L"check") {
      state_ = State::AfterAnswer;
    }
  }

  bool TakeInstallLine(int number, std::wstring_view line, std::wstring_view w1,
                       std::wstring_view w2) {
    if (w1 == L"on") {
      nestedName_ = w2;
      StartNest(number, line);
      return true;
    }
    if (w1 == L"end" && w2 != nestedName_) {
      return Fault(number);
    }
    AddToNest(number, line);
    if (w1 == L"end") {
      Fold(L"install handler ", FoldKind::Install);
    }
    return true;
  }

  bool TakeSwitchLine(int number, std::wstring_view line, std::wstring_view w1,
                      std::wstring_view w2) {
    if (w1 == L"end" && w2 != L"switch") {
      return Fault(number);
    }
    AddToNest(number, line);
    if (w1 == L"end") {
      Fold(L"checkSwitch ", FoldKind::Switch);
    }
    return true;
  }

  void StartNest(int number, std::wstring_view line) {
    nestedText_ = line;
    if (trace_ != nullptr) {
      nestLines_.assign(1, Shifted(number, shift_));
    }
  }

  void AddToNest(int number, std::wstring_view line) {
    nestedText_ += kCrLf;
    nestedText_ += line;
    if (trace_ != nullptr) {
      nestLines_.push_back(Shifted(number, shift_));
    }
  }

  void Fold(std::wstring_view command, FoldKind kind) {
    Keep(Folded(command, nestedText_), nestStart_, kind);
    state_ = State::Command;
  }

  void Keep(std::wstring_view line, int number, FoldKind kind = FoldKind::None) {
    out_ += kCrLf;
    out_ += line;
    if (trace_ != nullptr) {
      trace_->lines.push_back({Shifted(number, shift_), kind,
                               kind == FoldKind::None ? std::vector<int>{} : nestLines_});
    }
  }

  bool Fault(int number) {
    if (trace_ != nullptr) {
      trace_->faultLine = Shifted(number, shift_);
      trace_->faultNestLine = Shifted(nestStart_, shift_);
    }
    return false;
  }

  ExtractTrace* trace_;
  int shift_;
  State state_ = State::Command;
  std::wstring out_;
  // The install or switch block being folded; what a nested block left
  // behind stays until the next one starts, as the folding always did.
  std::wstring nestedName_;
  std::wstring nestedText_;
  int nestStart_ = 0;
  std::vector<int> nestLines_;
};

// Lines [open, close] of the trimmed text, comments left out, folded.
std::wstring FoldedBlock(std::wstring_view text, BlockLines block, BlockFolder folder) {
  const std::vector<std::wstring_view> lines = SplitRawLines(text);
  for (int i = block.open; i <= block.close; ++i) {
    const std::wstring_view line = TrimmedView(lines[static_cast<std::size_t>(i) - 1]);
    if (IsCommentLine(line)) {
      continue;
    }
    if (!folder.Take(i, line)) {
      return kIncomplete;
    }
  }
  return folder.Text();
}

// An openScript block that never ends, in a script loaded while there is no
// openScript to fall back on (the start-up script): the script as written
// goes into the slot, so that the mandatory run that follows finds the block
// unterminated and ends the program with the one message that names it,
// instead of a load report followed by "requires an 'on openScript'".
bool LeftForTheMandatoryRun(App& app, const HandlerName& handler, std::wstring_view text) {
  if (handler.slot != Slot::OpenScript || !app.handlers[Slot::OpenScript].empty() ||
      FindHandlerBlock(handler.name, CompactSpaces(text)).close != 0) {
    return false;
  }
  app.handlers[Slot::OpenScript] = std::wstring(text);
  return true;
}

// The named handler's block from a text searched already.
std::wstring ExtractFrom(std::wstring_view name, std::wstring_view text,
                         const SearchedScript& script, ExtractTrace* trace) {
  const BlockLines block = FindBlock(name, script.lines);
  // The trace counts lines of the text as given, whose leading blank lines
  // the trimming took away; working that out is left to traced runs.
  const int shift = trace != nullptr ? LinesTrimmedAtStart(text) : 0;
  if (trace != nullptr) {
    trace->block = {Shifted(block.open, shift), Shifted(block.close, shift)};
  }
  if (block.open == 0) {
    return L"";
  }
  if (block.close == 0) {
    return kIncomplete;
  }
  return FoldedBlock(script.trimmed, block, BlockFolder(trace, shift));
}

} // namespace

std::wstring CompactSpaces(std::wstring_view text) {
  const std::wstring_view trimmed = TrimmedView(text);
  std::wstring compacted;
  compacted.reserve(trimmed.size());
  for (std::size_t i = 0; i < trimmed.size();) {
    const std::size_t space = std::min(trimmed.find(L' ', i), trimmed.size());
    compacted.append(trimmed.substr(i, space - i));
    i = space;
    std::size_t run = 0;
    while (i < trimmed.size() && trimmed[i] == L' ') {
      ++run;
      ++i;
    }
    // Runs of n spaces are replaced by one space for n from 100 down to 2,
    // each pass left to right over what the pass before left behind.
    // (A run shorter than n is left as it is by that pass.)
    for (std::size_t n = std::min<std::size_t>(run, 100); n >= 2; --n) {
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
  return FindBlock(name, SearchLines(text));
}

std::wstring ExtractHandler(std::wstring_view name, std::wstring_view text, ExtractTrace* trace) {
  return ExtractFrom(name, text, SearchedScript(text), trace);
}

std::optional<FatalParse> MandatoryHandlerFault(std::wstring_view name, std::wstring_view text) {
  const BlockLines block = FindBlock(name, SearchedScript(text).lines);
  if (block.open == 0) {
    return FatalParse{MissingHandlerMessage(name), L"Handler Not Found"};
  }
  if (block.close == 0) {
    return FatalParse{UnterminatedHandlerMessage(name), L"Handler Not Terminated Properly"};
  }
  return std::nullopt;
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
  // Searched afresh only when a block is taken out of the text.
  std::optional<SearchedScript> searched;
  for (const HandlerName& handler : kHandlerNames) {
    if (!searched) {
      searched.emplace(text);
    }
    ParseStep* step = nullptr;
    if (trace != nullptr) {
      step = &trace->steps.emplace_back();
      step->name = handler.name;
      step->text = text;
    }
    const std::wstring block =
        ExtractFrom(handler.name, text, *searched, step != nullptr ? &step->extract : nullptr);
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
    app.handlers[handler.slot] = block;
    if (step != nullptr) {
      step->removed = FindHandlerBlock(handler.name, text);
    }
    text = RemoveHandlerBlock(handler.name, text);
    searched.reset();
  }
}

} // namespace velmora
