// The lines the engine worked on, traced back to the lines of the file.
#include "ctl/check_context.hpp"

#include "base/text.hpp"

namespace velmora::ctl {

std::wstring Quoted(std::wstring_view text) {
  return L"'" + std::wstring(text) + L"'";
}

std::wstring CompactedLine(std::wstring_view line) {
  return TrimBlanks(CompactSpaces(line));
}

std::wstring Miscased(std::wstring_view line, std::wstring_view words) {
  const std::wstring written = GetItemRange(line, 1, CountItems(words, L" "), L' ');
  return written != words && LowerCase(written) == words ? written : L"";
}

SourceLines::SourceLines(std::wstring_view text, std::vector<int> fileLines)
    : fileLines_(std::move(fileLines)) {
  for (std::wstring_view line : SplitRawLines(text)) {
    lines_.emplace_back(line);
  }
}

int SourceLines::FileLine(int n) const {
  if (n < 1 || fileLines_.empty()) {
    return 0;
  }
  return fileLines_[std::min(static_cast<std::size_t>(n), fileLines_.size()) - 1];
}

std::wstring SourceLines::Compacted(int n) const {
  if (n < 1 || static_cast<std::size_t>(n) > lines_.size()) {
    return L"";
  }
  return CompactedLine(lines_[static_cast<std::size_t>(n) - 1]);
}

std::vector<BlockLine> BlockLinesOf(const ExtractTrace& trace, std::wstring_view block,
                                    const SourceLines& source) {
  // The block text begins with CR LF: its line k + 2 is the trace's line k.
  const std::vector<std::wstring_view> texts = SplitRawLines(block);
  std::vector<BlockLine> lines;
  for (std::size_t k = 0; k < trace.lines.size() && k + 1 < texts.size(); ++k) {
    const ExtractedLine& origin = trace.lines[k];
    BlockLine line;
    line.text = TrimBlanks(texts[k + 1]);
    line.fileLine = source.FileLine(origin.line);
    line.fold = origin.fold;
    for (int n : origin.folded) {
      line.foldedFileLines.push_back(source.FileLine(n));
      line.foldedTexts.push_back(source.Compacted(n));
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

} // namespace velmora::ctl
