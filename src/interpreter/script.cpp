// Script texts: block extraction and folding, and loading a script's blocks
// into the handler table.
#include "interpreter/script.hpp"

#include <algorithm>

#include "base/text.hpp"
#include "interpreter/compaction.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/handler_search.hpp"
#include "interpreter/handlers.hpp"

namespace velmora {

using namespace std::string_view_literals;

namespace {

bool IsCommentLine(std::wstring_view line) {
  return line.empty() || line.substr(0, 2) == L"--"sv || line.substr(0, 1) == L"#"sv;
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
    if (w1 == L"switch"sv && w2 == L"result"sv) {
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

  void Reserve(std::size_t size) { out_.reserve(size); }
  std::wstring Text() { return std::move(out_); }

private:
  enum class State { Command, Install, AfterAnswer, Switch };

  void TakeCommandLine(int number, std::wstring_view line, std::wstring_view w1,
                       std::wstring_view w2) {
    if (w1 == L"install:"sv || (w1 == L"install"sv && w2 == L"handler:"sv)) {
      state_ = State::Install;
      nestStart_ = number;
      return;
    }
    // Only the one-line form of install is kept; any other install line is
    // dropped.
    if (w1 == L"install"sv && w2 != L"handler"sv) {
      return;
    }
    Keep(line, number);
    if (w1 == L"answer"sv || w1 == L"check"sv) {
      state_ = State::AfterAnswer;
    }
  }

  bool TakeInstallLine(int number, std::wstring_view line, std::wstring_view w1,
                       std::wstring_view w2) {
    if (w1 == L"on"sv) {
      nestedName_ = w2;
      StartNest(number, line);
      return true;
    }
    if (w1 == L"end"sv && w2 != nestedName_) {
      return Fault(number);
    }
    AddToNest(number, line);
    if (w1 == L"end"sv) {
      Fold(L"install handler ", FoldKind::Install);
    }
    return true;
  }

  bool TakeSwitchLine(int number, std::wstring_view line, std::wstring_view w1,
                      std::wstring_view w2) {
    if (w1 == L"end"sv && w2 != L"switch"sv) {
      return Fault(number);
    }
    AddToNest(number, line);
    if (w1 == L"end"sv) {
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

// Folds the lines of a trimmed text in turn, comments left out, from a
// block's opening line on.
class LineFolder {
public:
  LineFolder(std::wstring_view text, const HandlerWords::Mark& open, ExtractTrace* trace, int shift)
      : text_(text), next_(open.lineStart), number_(open.line), folder_(trace, shift) {}

  // Room for the folded text up to `end`, which folding seldom makes longer.
  void Reserve(std::size_t end) { folder_.Reserve(end - next_ + kCrLf.size()); }

  // Folds the lines up to line `last`; false when one leaves the block
  // incomplete.
  bool FoldTo(int last) {
    for (; number_ <= last && next_ != std::wstring_view::npos; ++number_) {
      const std::size_t end = FindLineBreak(text_, next_);
      const std::wstring_view line =
          TrimmedView(text_.substr(next_, end == std::wstring_view::npos ? end : end - next_));
      next_ = end == std::wstring_view::npos ? end : end + kCrLf.size();
      if (!IsCommentLine(line) && !folder_.Take(number_, line)) {
        return false;
      }
    }
    return true;
  }

  std::wstring Text() { return folder_.Text(); }

private:
  std::wstring_view text_;
  std::size_t next_; // where the next line starts (npos after the last)
  int number_;       // its number
  BlockFolder folder_;
};

// The lines from the opening line to the closing line of the trimmed text,
// folded; none when the closing line comes first.
std::wstring FoldedBlock(std::wstring_view text, const FoundBlock& block, ExtractTrace* trace,
                         int shift) {
  LineFolder folder(text, *block.open, trace, shift);
  if (block.close->line >= block.open->line) {
    folder.Reserve(block.close->lineStart + kCrLf.size());
  }
  return folder.FoldTo(block.close->line) ? folder.Text() : kIncomplete;
}

// The named handler's block from a trimmed text, as ExtractFrom gives it
// without a trace, found and folded a piece at a time, so that the text is
// read from memory once. A piece's lines are folded only after it has been
// searched, when it is known whether the closing line is among them. A text
// not compacted yet is checked piece by piece too: nothing when a piece needs
// compacting, since the pieces before it are the same compacted.
std::optional<std::wstring> ExtractInPieces(std::wstring_view name, std::wstring_view text,
                                            bool compacted) {
  const HandlerLineSearch search(name);
  HandlerWords words;
  std::optional<HandlerWords::Mark> open;
  std::optional<HandlerWords::Mark> close;
  std::optional<LineFolder> folder;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t to = PieceEnd(text, from);
    if (!compacted && !NothingToCompact(text, from, to)) {
      return std::nullopt;
    }
    const std::size_t onRead = words.On().size();
    const std::size_t endRead = words.End().size();
    words.ReadTo(text, to);
    if (!open) {
      open = search.First(words, words.On(), onRead);
    }
    if (!close) {
      close = search.First(words, words.End(), endRead);
    }
    // A closing line before any opening line leaves no block, whether or not
    // one opens later.
    if (close && (!open || close->line < open->line)) {
      return std::wstring();
    }
    if (open) {
      if (!folder) {
        folder.emplace(text, *open, nullptr, 0);
        folder->Reserve(text.size());
      }
      // The piece ends after a line break; at the end of the text its last
      // line is whole too.
      const int last = close ? close->line : to == text.size() ? words.Line() : words.Line() - 1;
      if (!folder->FoldTo(last)) {
        return std::wstring(kIncomplete);
      }
      if (close) {
        return folder->Text();
      }
    }
    from = to;
  }
  return open ? kIncomplete : std::wstring();
}

// The text without the lines from the one starting at `open` to the one
// starting at `close`: the lines before the first and those after the second
// are kept, so when the second comes first, the lines between are kept twice.
std::wstring CutLines(std::wstring_view text, std::size_t open, std::size_t close) {
  const std::size_t closeEnd = FindLineBreak(text, close);
  const std::wstring_view after = closeEnd == std::wstring_view::npos
                                      ? std::wstring_view()
                                      : text.substr(closeEnd + kCrLf.size());
  std::wstring kept;
  if (open > 0) {
    const std::wstring_view before = text.substr(0, open - kCrLf.size());
    kept.reserve(before.size() + kCrLf.size() + after.size());
    kept += before;
    kept += kCrLf;
  }
  kept += after;
  return kept;
}

// Whether the line of the text starting at `start` opens (or closes) the
// named handler's block.
bool LineHoldsHandlerWord(std::wstring_view text, std::size_t start, bool opening,
                          std::wstring_view name) {
  const std::size_t end = FindLineBreak(text, start);
  const HandlerWords words(text.substr(start, end == std::wstring_view::npos ? end : end - start));
  return HandlerLineSearch(name).First(words, opening ? words.On() : words.End()).has_value();
}

bool IsAsciiLetters(std::wstring_view name) {
  return std::all_of(name.begin(), name.end(), [](wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
  });
}

// The text a block was found in, without the block, as RemoveHandlerBlock
// gives it, mostly without reading the whole text again. Compacting keeps an
// opening or closing line of a name made of letters as it is, so the text as
// given holds none on a line before those found compacted; when it holds them
// on those same lines, they are the ones RemoveHandlerBlock would find.
std::wstring WithoutBlock(std::wstring_view name, const CompactedText& script,
                          const FoundBlock& block) {
  const std::wstring_view text = script.Given();
  const std::size_t open = script.GivenLineStart(block.open->lineStart);
  const std::size_t close = script.GivenLineStart(block.close->lineStart);
  if (!IsAsciiLetters(name) || !LineHoldsHandlerWord(text, open, true, name) ||
      !LineHoldsHandlerWord(text, close, false, name)) {
    return RemoveHandlerBlock(name, text);
  }
  return CutLines(text, open, close);
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

// A script text as the handler search reads it, compacted and searched for
// every handler name. Each piece compacted is searched at once, while it is
// still in the cache; a text with nothing to compact is searched as it is.
struct SearchedScript {
  explicit SearchedScript(std::wstring_view text)
      : compacted(text, [this](std::wstring_view soFar) { words.ReadTo(soFar, soFar.size()); }) {
    words.ReadTo(compacted.Trimmed(), compacted.Trimmed().size());
  }

  HandlerWords words; // made first, to be read as the text is compacted
  CompactedText compacted;
};

// The named handler's block from a text searched already.
std::wstring ExtractFrom(std::wstring_view name, std::wstring_view text,
                         const SearchedScript& script, ExtractTrace* trace) {
  const FoundBlock block = FindBlock(name, script.words);
  // The trace counts lines of the text as given, whose leading blank lines
  // the trimming took away; working that out is left to traced runs.
  const int shift = trace != nullptr ? LinesTrimmedAtStart(text) : 0;
  if (trace != nullptr) {
    const BlockLines lines = block.Lines();
    trace->block = {Shifted(lines.open, shift), Shifted(lines.close, shift)};
  }
  if (!block.open) {
    return L"";
  }
  if (!block.close) {
    return kIncomplete;
  }
  return FoldedBlock(script.compacted.Trimmed(), block, trace, shift);
}

} // namespace

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
  return FindBlock(name, HandlerWords(text)).Lines();
}

std::wstring ExtractHandler(std::wstring_view name, std::wstring_view text, ExtractTrace* trace) {
  if (trace != nullptr) {
    return ExtractFrom(name, text, SearchedScript(text), trace);
  }
  if (std::optional<std::wstring> block = ExtractInPieces(name, TrimmedView(text), false)) {
    return std::move(*block);
  }
  const CompactedText compacted(text);
  return *ExtractInPieces(name, compacted.Trimmed(), true);
}

std::optional<FatalParse> MandatoryHandlerFault(std::wstring_view name, std::wstring_view text) {
  const BlockLines block = FindBlock(name, SearchedScript(text).words).Lines();
  if (block.open == 0) {
    return FatalParse{MissingHandlerMessage(name), L"Handler Not Found"};
  }
  if (block.close == 0) {
    return FatalParse{UnterminatedHandlerMessage(name), L"Handler Not Terminated Properly"};
  }
  return std::nullopt;
}

std::wstring RemoveHandlerBlock(std::wstring_view name, std::wstring_view text) {
  const HandlerWords words(text);
  const FoundBlock block = FindBlock(name, words);
  if (!block.open || !block.close) {
    return std::wstring(text);
  }
  return CutLines(text, block.open->lineStart, block.close->lineStart);
}

void ParseScript(App& app, std::wstring_view script, ParseTrace* trace) {
  // The script as given until a block is taken out of it, then what is left.
  std::wstring_view text = script;
  std::wstring left;
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
      step->text = std::wstring(text);
    }
    std::wstring block =
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
    app.handlers[handler.slot] = std::move(block);
    if (step != nullptr) {
      step->removed = FindHandlerBlock(handler.name, text);
    }
    std::wstring rest =
        WithoutBlock(handler.name, searched->compacted, FindBlock(handler.name, searched->words));
    searched.reset();
    left = std::move(rest);
    text = left;
  }
}

} // namespace velmora
