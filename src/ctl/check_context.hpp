// What the checker's parts share: the lines the engine worked on, traced
// back to the lines of the file, and the check of the lines a handler runs.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ctl/diagnostic.hpp"
#include "ctl/probe.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/script.hpp"

namespace velmora::ctl {

// Lines of a text the engine worked on, and the file line each stands for.
class SourceLines {
public:
  SourceLines(std::wstring_view text, std::vector<int> fileLines);
  int FileLine(int n) const;
  // Line n as the engine reads it: compacted and trimmed.
  std::wstring Compacted(int n) const;

private:
  std::vector<std::wstring> lines_;
  std::vector<int> fileLines_;
};

// One line of an extracted block, tied to the file.
struct BlockLine {
  std::wstring text;
  int fileLine = 0;
  FoldKind fold = FoldKind::None;
  std::vector<int> foldedFileLines;
  std::vector<std::wstring> foldedTexts;
};

std::vector<BlockLine> BlockLinesOf(const ExtractTrace& trace, std::wstring_view block,
                                    const SourceLines& source);

// Checks the lines a handler runs, in the order it runs them.
class RunChecker {
public:
  RunChecker(const std::vector<std::wstring>& fileLines, Diagnostics& out)
      : fileLines_(fileLines), out_(out) {}

  // The lines of one run; in the menu's handler, case lines start sections.
  void CheckRun(const std::vector<const BlockLine*>& run, bool menuSections);
  // An installed handler's text, each of its lines tied to a file line.
  void CheckInstalled(std::wstring_view text, std::vector<int> fileLines);

private:
  // Where a run stands: the line before, and a quit that has not yet been
  // followed by another line.
  struct Sequence {
    int quitLine = 0;
    std::wstring quitWord;
    std::wstring previous;
    int previousLine = 0;
  };
  LineProbe CheckLine(const std::wstring& line, int fileLine, Sequence& sequence);
  void CheckAfterQuit(int fileLine, Sequence& sequence);
  void CheckCommandWord(const CommandLine& command, const LineProbe& probe, int fileLine,
                        const Sequence& sequence);
  void CheckRefusal(const CommandLine& command, const std::wstring& refusal, int fileLine);
  void CheckTimerUnit(const std::wstring& line, int fileLine);
  void CheckCapitalWords(const std::wstring& line, int fileLine);
  void CheckSwitchBlock(const BlockLine& block);
  void CheckInstallBlock(const BlockLine& block, const std::wstring& installed);
  void CheckSectionStart(const std::wstring& line, int fileLine, const wchar_t* consequence);
  void CheckUnfoldedSwitch(const std::wstring& line, int fileLine, const Sequence& sequence);
  void CheckOldBlockEscapes(const std::wstring& line, int fileLine,
                            std::initializer_list<const wchar_t*> sequences, const wchar_t* when);
  void CheckPathEscapes(const std::wstring& line, int fileLine,
                        const std::vector<std::wstring>& textsOut);
  // A line of the file as written.
  std::wstring FileLine(int line) const;

  const std::vector<std::wstring>& fileLines_;
  Diagnostics& out_;
};

// A text in single quotes, as messages name words of a script.
std::wstring Quoted(std::wstring_view text);

// A line as the engine reads it: compacted and trimmed.
std::wstring CompactedLine(std::wstring_view line);

// When the lower-cased first words of a line are these control words but
// are not written so, the words as written; otherwise "".
std::wstring Miscased(std::wstring_view line, std::wstring_view words);

} // namespace velmora::ctl
