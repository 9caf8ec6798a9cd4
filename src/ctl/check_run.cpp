// The checker's run-level part: each line a handler runs, as the program
// would run it, with the folded switch and install blocks opened up again.
#include <cwctype>

#include "base/text.hpp"
#include "commands/commands.hpp"
#include "ctl/check_context.hpp"
#include "ctl/probe.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/run.hpp"
#include "interpreter/switch.hpp"

namespace velmora::ctl {

namespace {

// A word that names a file and holds "\n": a drive, a share, another
// backslash or a file extension gives it away.
bool LooksLikePath(std::wstring_view word) {
  if (word.find(L":\\") != std::wstring_view::npos || word.rfind(L"\\\\", 0) == 0) {
    return true;
  }
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (word[i] == L'\\' && (i + 1 == word.size() || word[i + 1] != L'n')) {
      return true;
    }
  }
  const std::size_t dot = word.rfind(L'.');
  if (dot == std::wstring_view::npos || dot < word.rfind(L"\\n") || word.size() - dot < 2 ||
      word.size() - dot > 5) {
    return false;
  }
  for (std::size_t i = dot + 1; i < word.size(); ++i) {
    if (!std::iswalnum(static_cast<std::wint_t>(word[i]))) {
      return false;
    }
  }
  return true;
}

} // namespace

void RunChecker::CheckRun(const std::vector<const BlockLine*>& run, bool menuSections) {
  Sequence sequence;
  for (const BlockLine* line : run) {
    if (menuSections && LineWord(line->text, 1) == L"case") {
      CheckSectionStart(line->text, line->fileLine, L"to end the section before it");
      sequence = Sequence{};
      continue;
    }
    const LineProbe probe = CheckLine(line->text, line->fileLine, sequence);
    if (line->fold == FoldKind::Switch) {
      CheckSwitchBlock(*line);
    } else if (line->fold == FoldKind::Install) {
      CheckInstallBlock(*line, probe.installed);
    } else if (!probe.installed.empty()) {
      const int lines = CountLines(probe.installed);
      CheckInstalled(probe.installed,
                     std::vector<int>(static_cast<std::size_t>(lines), line->fileLine));
    }
  }
}

void RunChecker::CheckInstalled(std::wstring_view text, std::vector<int> fileLines) {
  const SourceLines source(text, std::move(fileLines));
  const std::wstring name = TrimBlanks(GetItem(TrimBlanks(GetLine(text, 1)), 2, L' '));
  ExtractTrace trace;
  const std::wstring block = ExtractHandler(name, text, &trace);
  if (block == kIncomplete) {
    const int fault = trace.faultLine != 0 ? trace.faultLine : trace.block.open;
    out_.Error(source.FileLine(fault), "incomplete-block", RunReport(RunResult::Incomplete, name));
    return;
  }
  const std::vector<BlockLine> lines = BlockLinesOf(trace, block, source);
  std::vector<int> kept;
  HandlerBody(block, &kept);
  std::vector<const BlockLine*> run;
  for (int number : kept) {
    const std::size_t index = static_cast<std::size_t>(number - 2);
    if (number >= 2 && index < lines.size()) {
      run.push_back(&lines[index]);
    }
  }
  CheckRun(run, name == L"itemSelect");
}

LineProbe RunChecker::CheckLine(const std::wstring& line, int fileLine, Sequence& sequence) {
  CheckAfterQuit(fileLine, sequence);
  const CommandLine command{line, LineWord(line, 1), LineWord(line, 2), LineWord(line, 3)};
  LineProbe probe = ProbeLine(line);
  CheckCommandWord(command, probe, fileLine, sequence);
  CheckCapitalWords(line, fileLine);
  CheckPathEscapes(line, fileLine, probe.textsOut);
  if (command.w1 == L"quit" || command.w1 == L"exit") {
    sequence.quitLine = fileLine;
    sequence.quitWord = command.w1;
  }
  sequence.previous = line;
  sequence.previousLine = fileLine;
  return probe;
}

void RunChecker::CheckAfterQuit(int fileLine, Sequence& sequence) {
  if (sequence.quitLine == 0) {
    return;
  }
  out_.Warning(fileLine, "after-quit",
               L"this line still runs: " + Quoted(sequence.quitWord) + L" on line " +
                   std::to_wstring(sequence.quitLine) + L" only asks the program to close");
  sequence.quitLine = 0;
}

// Whether the line's command is known, and what it refuses.
void RunChecker::CheckCommandWord(const CommandLine& command, const LineProbe& probe, int fileLine,
                                  const Sequence& sequence) {
  if (!IsCommandWord(command.w1)) {
    out_.Error(fileLine, "unknown-command", probe.refusal.value_or(L""));
    if (command.w1 == L"switch" && command.w2 == L"result") {
      CheckUnfoldedSwitch(command.line, fileLine, sequence);
    }
  } else if (probe.refusal) {
    CheckRefusal(command, *probe.refusal, fileLine);
  } else if (command.w1 == L"set" && SetSubject(command) == L"timer") {
    CheckTimerUnit(command.line, fileLine);
  }
}

// A refusal the program reports when the line runs.
void RunChecker::CheckRefusal(const CommandLine& command, const std::wstring& refusal,
                              int fileLine) {
  const std::wstring& subject = SetSubject(command);
  if (command.w1 == L"set" && subject == L"timer") {
    out_.Warning(fileLine, "timer-number", refusal + L" It needs \"to\" or \"for\" and a number.");
  } else if (command.w1 == L"set" && subject == L"polling") {
    out_.Warning(fileLine, "polling-number", refusal + L" It needs \"to\" and a number.");
  } else if (command.w1 == L"install" || command.w1 == L"install:") {
    out_.Error(fileLine, "install-refused", refusal);
  } else {
    out_.Error(fileLine, "refused-command", refusal);
  }
}

void RunChecker::CheckTimerUnit(const std::wstring& line, int fileLine) {
  const std::wstring unit = TimerUnitWord(line);
  if (!unit.empty() && !TimerUnitFactor(unit)) {
    out_.Warning(fileLine, "timer-unit",
                 Quoted(unit) + L" is no unit of 'set timer', so the number counts " +
                     L"milliseconds; the units are ms, sec, min and hr and their long " +
                     L"forms, in lower case");
  }
}

void RunChecker::CheckCapitalWords(const std::wstring& line, int fileLine) {
  for (const wchar_t* words : {L"install:", L"install handler:"}) {
    const std::wstring written = Miscased(line, words);
    if (!written.empty()) {
      out_.Warning(fileLine, "capital-word",
                   Quoted(written) + L" must be written " + Quoted(words) +
                       L" to begin an install block");
    }
  }
  const std::wstring with = GetItem(GetTextAfterQuotes(line), 1, L' ');
  if (GetQuotedText(line) != kNoQuote && with != L"with" && LowerCase(with) == L"with") {
    out_.Warning(fileLine, "capital-word",
                 Quoted(with) + L" must be written 'with': written so, the quoted text after " +
                     L"it is not read as what 'with' brings");
  }
}

void RunChecker::CheckUnfoldedSwitch(const std::wstring& line, int fileLine,
                                     const Sequence& sequence) {
  const std::wstring written = Miscased(line, L"switch result");
  if (!written.empty()) {
    out_.Warning(fileLine, "capital-word",
                 Quoted(written) + L" must be written 'switch result' to begin a switch block");
    return;
  }
  for (const wchar_t* word : {L"answer", L"check"}) {
    const std::wstring before = Miscased(sequence.previous, word);
    if (!before.empty()) {
      out_.Warning(sequence.previousLine, "capital-word",
                   Quoted(before) + L" must be written " + Quoted(word) +
                       L" for the switch block after it to be read");
      return;
    }
  }
  // An answer or check line that itself directly follows one is taken as a
  // plain line, and cannot start a switch block either.
  const std::wstring before = TrimBlanks(GetItem(sequence.previous, 1, L' '));
  if (before == L"answer" || before == L"check") {
    out_.Warning(fileLine, "switch-placement",
                 L"the " + Quoted(before) + L" line before 'switch result' directly follows " +
                     L"an 'answer' or 'check' line, so it cannot start a switch block; here " +
                     L"'switch result' runs as a command");
    return;
  }
  out_.Warning(fileLine, "switch-placement",
               L"'switch result' begins a switch block only directly after an 'answer' or " +
                   std::wstring(L"'check' line; here it runs as a command"));
}

void RunChecker::CheckSectionStart(const std::wstring& line, int fileLine,
                                   const wchar_t* consequence) {
  const std::wstring written = Miscased(line, L"case");
  if (!written.empty()) {
    out_.Warning(fileLine, "capital-word",
                 Quoted(written) + L" must be written 'case' " + consequence);
  }
  const std::wstring caption = GetQuotedText(FileLine(fileLine));
  if (caption == kNoQuote ||
      (caption.find(L"  ") == std::wstring::npos && caption.find(L" = ") == std::wstring::npos)) {
    return;
  }
  out_.Warning(fileLine, "case-spacing",
               L"the caption \"" + caption + L"\" is read as \"" + GetQuotedText(line) +
                   L"\": runs of spaces shrink to one and \" = \" to \"=\" when a script " +
                   L"is read");
}

void RunChecker::CheckSwitchBlock(const BlockLine& block) {
  const std::vector<std::wstring>& texts = block.foldedTexts;
  Sequence sequence;
  bool inSection = false;
  // The first folded line is "switch result", the last "end switch".
  for (std::size_t k = 1; k + 1 < texts.size(); ++k) {
    const int fileLine = block.foldedFileLines[k];
    CheckOldBlockEscapes(texts[k], fileLine, {L"\\n", L"\\^"},
                         L"when the switch block ran, before the line itself did");
    const std::wstring examined = TrimBlanks(ExpandAsScript(texts[k], false));
    if (IsCaseLine(examined)) {
      CheckSectionStart(examined, fileLine, L"");
      inSection = true;
      sequence = Sequence{};
      continue;
    }
    const std::wstring written = Miscased(examined, L"case");
    if (!written.empty()) {
      out_.Warning(fileLine, "capital-word",
                   Quoted(written) + L" must be written 'case' to begin a section: " +
                       L"written so, it is a line of the section before");
    }
    const std::wstring line = TrimBlanks(texts[k]);
    if (inSection && line != kAbsent && !line.empty()) {
      CheckLine(line, fileLine, sequence);
    }
  }
}

void RunChecker::CheckInstallBlock(const BlockLine& block, const std::wstring& installed) {
  if (installed.empty()) {
    return;
  }
  for (std::size_t k = 0; k < block.foldedTexts.size(); ++k) {
    CheckOldBlockEscapes(block.foldedTexts[k], block.foldedFileLines[k],
                         {L"\\n", L"\\'", L"\\^", L"%d%", L"%t%"},
                         L"when the handler was installed, before the line itself ran");
  }
  // The installed handler holds the block's lines as written, one for one.
  std::vector<int> fileLines = block.foldedFileLines;
  if (fileLines.size() != static_cast<std::size_t>(CountLines(installed))) {
    fileLines.assign(static_cast<std::size_t>(CountLines(installed)), block.fileLine);
  }
  CheckInstalled(installed, std::move(fileLines));
}

// Velmora used to expand the escapes (and, when installing, the
// placeholders) of a block's lines once more for the whole block, so that
// "\n" cut a line in two and a time was that of the install. A line inside
// a block now runs exactly as it would outside one; scripts written for the
// old way are told.
void RunChecker::CheckOldBlockEscapes(const std::wstring& line, int fileLine,
                                      std::initializer_list<const wchar_t*> sequences,
                                      const wchar_t* when) {
  std::wstring found;
  for (const wchar_t* sequence : sequences) {
    if (line.find(sequence) == std::wstring::npos) {
      continue;
    }
    found += (found.empty() ? L"\"" : L", \"") + std::wstring(sequence) + L"\"";
  }
  if (found.empty()) {
    return;
  }
  out_.Warning(fileLine, "block-escape",
               L"older Velmora expanded " + found + L" in this line " + when +
                   L"; the line now runs exactly as it would outside the block");
}

void RunChecker::CheckPathEscapes(const std::wstring& line, int fileLine,
                                  const std::vector<std::wstring>& textsOut) {
  std::wstring rest = line;
  for (std::wstring quoted = GetQuotedText(rest); quoted != kNoQuote;
       rest = GetTextAfterQuotes(rest), quoted = GetQuotedText(rest)) {
    for (std::wstring_view word : SplitItems(quoted, L' ')) {
      if (word.find(L"\\n") == std::wstring_view::npos || !LooksLikePath(word)) {
        continue;
      }
      const std::wstring broken = ReplaceAll(word, L"\\n", kCrLf);
      for (const std::wstring& text : textsOut) {
        if (text.find(broken) != std::wstring::npos) {
          out_.Warning(fileLine, "newline-in-path",
                       L"\"\\n\" in \"" + std::wstring(word) +
                           L"\" becomes a line break; write the path with \"/\" instead");
          return;
        }
      }
    }
  }
}

std::wstring RunChecker::FileLine(int line) const {
  const std::size_t index = static_cast<std::size_t>(line - 1);
  return line >= 1 && index < fileLines_.size() ? fileLines_[index] : L"";
}

} // namespace velmora::ctl
