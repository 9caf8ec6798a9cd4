// Script texts: space compaction, block extraction and folding, and loading
// a script's blocks into the handler table.
#include "interpreter/script.hpp"

#include <algorithm>
#include <cstdint>

#include "base/text.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/escapes.hpp"
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

// Where the words "on " and "end " stand in a text, ignoring case, and the
// lines they stand on. A handler's opening or closing line can only be where
// one of them is, so one pass over a long text serves every name searched in
// it, and nothing of the text is copied.
class HandlerWords {
public:
  // A word found: where it ends, the line it is on (from 1) and where that
  // line starts.
  struct Mark {
    std::size_t after;
    int line;
    std::size_t lineStart;
  };

  explicit HandlerWords(std::wstring_view text) : text_(text) {
    // Most of a script holds neither word. It is read a block at a time,
    // first with plain comparisons that the compiler runs side by side; only
    // a block where a word may end is read character by character.
    for (std::size_t from = 0; from < text.size(); from += kBlock) {
      const std::size_t to = std::min(text.size(), from + kBlock);
      std::uint32_t breaks = 0;
      if (MayEndAWord(from, to, breaks)) {
        ReadMarks(from, to);
      } else if (breaks != 0) {
        SkipLines(to, breaks);
      }
    }
  }
  // The marks are positions in the text, which the caller keeps.
  HandlerWords(const HandlerWords&) = delete;
  HandlerWords& operator=(const HandlerWords&) = delete;

  std::wstring_view Text() const { return text_; }
  const std::vector<Mark>& On() const { return on_; }
  const std::vector<Mark>& End() const { return end_; }

private:
  static constexpr std::size_t kBlock = 64;

  // Whether a word may end in [from, to): there is a space after an N or a D
  // of either case, or a character outside ASCII, whose case mapping is left
  // to the careful reading. Counts the line breaks there too. Only CR LF
  // breaks a line, and such pairs never overlap. No word ends, and no line
  // breaks, at the first character.
  bool MayEndAWord(std::size_t from, std::size_t to, std::uint32_t& breaks) const {
    const wchar_t* text = text_.data();
    std::uint32_t may = 0;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i) {
      const auto c = static_cast<std::uint32_t>(text[i]);
      const auto before = static_cast<std::uint32_t>(text[i - 1]);
      const std::uint32_t folded = before | 0x20;
      may |= (c >= 0x80) | ((c == ' ') & ((folded == 'n') | (folded == 'd') | (before >= 0x80)));
      breaks += (c == '\n') & (before == '\r');
    }
    return may != 0;
  }

  // Notes the words that end in [from, to), and the lines there.
  void ReadMarks(std::size_t from, std::size_t to) {
    const std::wstring_view text = text_;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i) {
      if (text[i] == L'\n' && text[i - 1] == L'\r') {
        ++line_;
        lineStart_ = i + 1;
        continue;
      }
      if (UpperChar(text[i]) != L' ') {
        continue;
      }
      if (i >= 2 && UpperChar(text[i - 2]) == L'O' && UpperChar(text[i - 1]) == L'N') {
        on_.push_back({i + 1, line_, lineStart_});
      }
      if (i >= 3 && UpperChar(text[i - 3]) == L'E' && UpperChar(text[i - 2]) == L'N' &&
          UpperChar(text[i - 1]) == L'D') {
        end_.push_back({i + 1, line_, lineStart_});
      }
    }
  }

  // Goes past a block before `to` that holds line breaks but no word.
  void SkipLines(std::size_t to, std::uint32_t breaks) {
    line_ += static_cast<int>(breaks);
    std::size_t i = to - 1;
    while (text_[i] != L'\n' || text_[i - 1] != L'\r') {
      --i;
    }
    lineStart_ = i + 1;
  }

  std::wstring_view text_;
  std::vector<Mark> on_;
  std::vector<Mark> end_;
  int line_ = 1;              // the line being read
  std::size_t lineStart_ = 0; // where it starts
};

// Whether the text goes on at `at` with the upper-case word, ignoring case,
// within one line.
bool ContinuesWith(std::wstring_view text, std::size_t at, std::wstring_view upper) {
  if (text.size() - at < upper.size()) {
    return false;
  }
  for (std::size_t i = 0; i < upper.size(); ++i) {
    const wchar_t c = text[at + i];
    if (UpperChar(c) != upper[i]) {
      return false;
    }
    // A CR that starts a line break ends the line the word began on.
    if (c == L'\r' && at + i + 1 < text.size() && text[at + i + 1] == L'\n') {
      return false;
    }
  }
  return true;
}

// The first line that holds the word ("on " or "end ") and the name, ignoring
// case, where the name found is not the start of a longer handler name: the
// opening line of clickOneTime holds "on click" but opens no click block, so
// each block is found under its own name whatever the order of the blocks.
const HandlerWords::Mark* FindHandlerLine(const std::vector<HandlerWords::Mark>& words,
                                          std::wstring_view name, const HandlerWords& text) {
  const std::wstring upperName = UpperCase(name);
  const std::vector<std::wstring> longer = LongerNamesAfter(name);
  for (const HandlerWords::Mark& word : words) {
    if (!ContinuesWith(text.Text(), word.after, upperName)) {
      continue;
    }
    const std::size_t after = word.after + upperName.size();
    const bool startsLongerName =
        std::any_of(longer.begin(), longer.end(), [&](const std::wstring& rest) {
          return ContinuesWith(text.Text(), after, rest);
        });
    if (!startsLongerName) {
      return &word;
    }
  }
  return nullptr;
}

// A handler's opening and closing lines as found; the closing line is only
// looked for when there is an opening line.
struct FoundBlock {
  const HandlerWords::Mark* open = nullptr;
  const HandlerWords::Mark* close = nullptr;

  BlockLines Lines() const {
    return {open != nullptr ? open->line : 0, close != nullptr ? close->line : 0};
  }
};

FoundBlock FindBlock(std::wstring_view name, const HandlerWords& text) {
  const HandlerWords::Mark* open = FindHandlerLine(text.On(), name, text);
  if (open == nullptr) {
    return {};
  }
  return {open, FindHandlerLine(text.End(), name, text)};
}

// Whether compacting would leave a trimmed text as it is: it holds neither a
// run of spaces nor " = ". A handler's stored block, compacted at load, is
// such a text.
bool NothingToCompact(std::wstring_view trimmed) {
  const wchar_t* text = trimmed.data();
  const std::size_t size = trimmed.size();
  if (size < 2) {
    return true;
  }
  // A block at a time with plain comparisons the compiler runs side by side;
  // the last two characters are looked at on their own.
  constexpr std::size_t kBlock = 256;
  for (std::size_t from = 0; from + 2 < size; from += kBlock) {
    const std::size_t to = std::min(size - 2, from + kBlock);
    std::uint32_t found = 0;
    for (std::size_t i = from; i < to; ++i) {
      const wchar_t next = text[i + 1];
      found |= (text[i] == L' ') & ((next == L' ') | ((next == L'=') & (text[i + 2] == L' ')));
    }
    if (found != 0) {
      return false;
    }
  }
  return text[size - 2] != L' ' || text[size - 1] != L' ';
}

// Writes the text at `out`, which has room for it, with every run of spaces
// shrunk; gives how much it wrote, never more than the text.
std::size_t ShrinkSpaceRuns(std::wstring_view text, wchar_t* out) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < text.size();) {
    const wchar_t c = text[i++];
    out[written++] = c;
    // A single space, by far the commonest, stays as it is.
    if (c != L' ' || i == text.size() || text[i] != L' ') {
      continue;
    }
    std::size_t run = 1;
    while (i < text.size() && text[i] == L' ') {
      ++run;
      ++i;
    }
    // Runs of n spaces are replaced by one space for n from 100 down to 2,
    // each pass left to right over what the pass before left behind.
    // (A run shorter than n is left as it is by that pass.)
    for (std::size_t n = std::min<std::size_t>(run, 100); n >= 2; --n) {
      run = run / n + run % n;
    }
    // The first space is written already, and the run never grows.
    written += run - 1;
  }
  return written;
}

// Makes every " = " in text[from, end) "=", in place, matches taken left to
// right and never overlapping, as ReplaceAll takes them; gives the new end.
// The search goes from "=" to "=", far rarer in a script than spaces.
std::size_t TightenEquals(wchar_t* text, std::size_t from, std::size_t end) {
  const std::wstring_view view(text, end);
  std::size_t kept = from; // the end of what is kept
  std::size_t next = from; // the first character not yet taken
  for (std::size_t eq = view.find(L'=', from + 1); eq != std::wstring_view::npos && eq + 1 < end;
       eq = view.find(L'=', eq + 1)) {
    // The space before it may be the end of the match just taken.
    if (eq - 1 < next || text[eq - 1] != L' ' || text[eq + 1] != L' ') {
      continue;
    }
    std::char_traits<wchar_t>::move(text + kept, text + next, eq - 1 - next);
    kept += eq - 1 - next;
    text[kept++] = L'=';
    next = eq + 2;
  }
  std::char_traits<wchar_t>::move(text + kept, text + next, end - next);
  return kept + end - next;
}

// A script text as the handler search reads it: spaces compacted, blanks
// trimmed at both ends, as CompactSpaces gives it. A text with nothing to
// compact is read where it is, so the caller keeps the text while this is in
// use.
class SearchedScript {
public:
  explicit SearchedScript(std::wstring_view text)
      : given_(text), trimmed_(Compact(text)), words_(trimmed_) {}
  SearchedScript(const SearchedScript&) = delete;
  SearchedScript& operator=(const SearchedScript&) = delete;

  std::wstring_view Given() const { return given_; }
  std::wstring_view Trimmed() const { return trimmed_; }
  const HandlerWords& Words() const { return words_; }

  // Where the line of the text as given starts that became the line starting
  // at `at` in the compacted text: compacting keeps every line break, and
  // trimming takes only blank lines and the blanks before the first line
  // kept.
  std::size_t GivenLineStart(std::size_t at) const {
    if (at == 0) {
      const std::size_t lineBreak = given_.substr(0, trimmedStart_).rfind(kCrLf);
      return lineBreak == std::wstring_view::npos ? 0 : lineBreak + kCrLf.size();
    }
    if (pieces_.empty()) {
      return trimmedStart_ + at;
    }
    const auto piece = std::prev(std::upper_bound(
        pieces_.begin(), pieces_.end(), at,
        [](std::size_t position, const Piece& p) { return position < p.compacted; }));
    std::size_t given = piece->given;
    for (std::size_t line = FindLineBreak(trimmed_, piece->compacted); line < at;
         line = FindLineBreak(trimmed_, line + kCrLf.size())) {
      given = FindLineBreak(given_, given) + kCrLf.size();
    }
    return given;
  }

private:
  // Where a piece of whole lines starts, in the text as given and compacted.
  struct Piece {
    std::size_t given;
    std::size_t compacted;
  };
  static constexpr std::size_t kPiece = 4096;

  // Compacts the text a piece of whole lines at a time, since neither a run
  // of spaces nor " = " spans a line break, noting where each piece went.
  std::wstring_view Compact(std::wstring_view text) {
    const std::wstring_view trimmed = TrimmedView(text);
    trimmedStart_ = static_cast<std::size_t>(trimmed.data() - text.data());
    if (NothingToCompact(trimmed)) {
      return trimmed;
    }
    compacted_.resize(trimmed.size());
    std::size_t end = 0;
    for (std::size_t from = 0; from < trimmed.size();) {
      const std::size_t lineBreak = FindLineBreak(trimmed, std::min(trimmed.size(), from + kPiece));
      const std::size_t to =
          lineBreak == std::wstring_view::npos ? trimmed.size() : lineBreak + kCrLf.size();
      pieces_.push_back({trimmedStart_ + from, end});
      const std::size_t pieceStart = end;
      end += ShrinkSpaceRuns(trimmed.substr(from, to - from), compacted_.data() + end);
      end = TightenEquals(compacted_.data(), pieceStart, end);
      from = to;
    }
    compacted_.resize(end);
    return compacted_;
  }

  std::wstring_view given_;
  std::size_t trimmedStart_ = 0; // where the trimmed text starts in it
  std::wstring compacted_;       // empty when the trimmed text is read where it is
  std::vector<Piece> pieces_;
  std::wstring_view trimmed_;
  HandlerWords words_;
};

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

// The lines from the opening line to the closing line of the trimmed text,
// comments left out, folded; none when the closing line comes first.
std::wstring FoldedBlock(std::wstring_view text, const FoundBlock& block, BlockFolder folder) {
  const HandlerWords::Mark& open = *block.open;
  const int close = block.close->line;
  if (close >= open.line) {
    // Room for the block as written, which folding seldom makes longer.
    folder.Reserve(block.close->lineStart - open.lineStart + 2 * kCrLf.size());
  }
  bool complete = true;
  ForEachRawLine(text.substr(open.lineStart), [&](int counted, std::wstring_view raw) {
    const int number = open.line + counted - 1;
    if (number > close) {
      return false;
    }
    const std::wstring_view line = TrimmedView(raw);
    if (!IsCommentLine(line) && !folder.Take(number, line)) {
      complete = false;
      return false;
    }
    return true;
  });
  return complete ? folder.Text() : kIncomplete;
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
  return FindHandlerLine(opening ? words.On() : words.End(), name, words) != nullptr;
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
std::wstring WithoutBlock(std::wstring_view name, const SearchedScript& script,
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

// The named handler's block from a text searched already.
std::wstring ExtractFrom(std::wstring_view name, std::wstring_view text,
                         const SearchedScript& script, ExtractTrace* trace) {
  const FoundBlock block = FindBlock(name, script.Words());
  // The trace counts lines of the text as given, whose leading blank lines
  // the trimming took away; working that out is left to traced runs.
  const int shift = trace != nullptr ? LinesTrimmedAtStart(text) : 0;
  if (trace != nullptr) {
    const BlockLines lines = block.Lines();
    trace->block = {Shifted(lines.open, shift), Shifted(lines.close, shift)};
  }
  if (block.open == nullptr) {
    return L"";
  }
  if (block.close == nullptr) {
    return kIncomplete;
  }
  return FoldedBlock(script.Trimmed(), block, BlockFolder(trace, shift));
}

} // namespace

std::wstring CompactSpaces(std::wstring_view text) {
  const std::wstring_view trimmed = TrimmedView(text);
  // Compacting never lengthens the text: it is written in place of a copy.
  std::wstring compacted(trimmed.size(), L' ');
  const std::size_t end = ShrinkSpaceRuns(trimmed, compacted.data());
  compacted.resize(TightenEquals(compacted.data(), 0, end));
  return compacted;
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
  return FindBlock(name, HandlerWords(text)).Lines();
}

std::wstring ExtractHandler(std::wstring_view name, std::wstring_view text, ExtractTrace* trace) {
  return ExtractFrom(name, text, SearchedScript(text), trace);
}

std::optional<FatalParse> MandatoryHandlerFault(std::wstring_view name, std::wstring_view text) {
  const BlockLines block = FindBlock(name, SearchedScript(text).Words()).Lines();
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
  if (block.open == nullptr || block.close == nullptr) {
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
        WithoutBlock(handler.name, *searched, FindBlock(handler.name, searched->Words()));
    searched.reset();
    left = std::move(rest);
    text = left;
  }
}

} // namespace velmora
