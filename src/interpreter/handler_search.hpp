// Finding a handler's opening and closing lines in a script text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/script.hpp"

namespace velmora {

// Where the words "on " and "end " stand in a text, ignoring case, and the
// lines they stand on. A handler's opening or closing line can only be where
// one of them is, so one reading of a long text serves every name searched
// in it, and nothing of the text is copied.
class HandlerWords {
public:
  // A word found: where it ends, the line it is on (from 1) and where that
  // line starts.
  struct Mark {
    std::size_t after;
    int line;
    std::size_t lineStart;
  };

  // Nothing read yet.
  HandlerWords() = default;
  // The whole text read.
  explicit HandlerWords(std::wstring_view text) { ReadTo(text, text.size()); }
  // The marks are positions in the text, which the caller keeps.
  HandlerWords(const HandlerWords&) = delete;
  HandlerWords& operator=(const HandlerWords&) = delete;

  // Reads on up to `to`, noting the words that end before it, in the text,
  // which begins with what was read before: a text still being written may
  // be read as it grows.
  void ReadTo(std::wstring_view text, std::size_t to);

  std::wstring_view Text() const { return text_; }
  const std::vector<Mark>& On() const { return on_; }
  const std::vector<Mark>& End() const { return end_; }
  // The line the reading stopped in.
  int Line() const { return line_; }

private:
  bool MayEndAWord(std::size_t from, std::size_t to, std::uint32_t& breaks) const;
  void ReadMarks(std::size_t from, std::size_t to);
  void SkipLines(std::size_t to, std::uint32_t breaks);

  std::wstring_view text_;
  std::size_t read_ = 0; // where the reading stopped
  std::vector<Mark> on_;
  std::vector<Mark> end_;
  int line_ = 1;              // the line being read
  std::size_t lineStart_ = 0; // where it starts
};

// What tells a handler's opening or closing line: the handler's name, and
// the known handler names that begin with it and go on (clickOneTime for
// click).
class HandlerLineSearch {
public:
  explicit HandlerLineSearch(std::wstring_view name);

  // The first of the words, from the one at `from` on, that the name follows,
  // ignoring case, where the name found is not the start of a longer handler
  // name: the opening line of clickOneTime holds "on click" but opens no
  // click block, so each block is found under its own name whatever the
  // order of the blocks.
  std::optional<HandlerWords::Mark> First(const HandlerWords& text,
                                          const std::vector<HandlerWords::Mark>& words,
                                          std::size_t from = 0) const;

private:
  std::wstring upperName_;
  std::vector<std::wstring> longer_; // what may follow the name, in upper case
};

// A handler's opening and closing lines as found; the closing line is only
// looked for when there is an opening line.
struct FoundBlock {
  std::optional<HandlerWords::Mark> open;
  std::optional<HandlerWords::Mark> close;

  BlockLines Lines() const { return {open ? open->line : 0, close ? close->line : 0}; }
};

FoundBlock FindBlock(std::wstring_view name, const HandlerWords& text);

} // namespace velmora
