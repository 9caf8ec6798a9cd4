// Compacting the spaces of a script text, and finding where its lines came
// from.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The text trimmed, every run of spaces shrunk and every " = " made "=".
std::wstring CompactSpaces(std::wstring_view text);

// Whether compacting would leave the characters of a trimmed text from `from`
// to `to` as they are: no run of spaces and no " = " starts there. A
// handler's stored block, compacted at load, is such a text.
bool NothingToCompact(std::wstring_view trimmed, std::size_t from, std::size_t to);

// Where a piece of whole lines of a text that starts at `from` ends: just
// after the first line break some thousands of characters on, or at the end.
// Long texts are worked through a piece at a time, each piece read from
// memory once and worked on while it is still in the cache.
std::size_t PieceEnd(std::wstring_view text, std::size_t from);

// A text compacted as CompactSpaces compacts it. A text with nothing to
// compact is read where it is, so the caller keeps the text while this is in
// use.
class CompactedText {
public:
  // Each time a piece of a long text has been compacted, `compacting` is
  // given the text compacted so far.
  explicit CompactedText(std::wstring_view text,
                         const std::function<void(std::wstring_view)>& compacting = {});
  CompactedText(const CompactedText&) = delete;
  CompactedText& operator=(const CompactedText&) = delete;

  std::wstring_view Given() const { return given_; }
  std::wstring_view Trimmed() const { return trimmed_; }

  // Where the line of the text as given starts that became the line starting
  // at `at` in the compacted text: compacting keeps every line break, and
  // trimming takes only blank lines and the blanks before the first line
  // kept.
  std::size_t GivenLineStart(std::size_t at) const;

private:
  // Where a piece of whole lines starts, in the text as given and compacted.
  struct Piece {
    std::size_t given;
    std::size_t compacted;
  };

  std::wstring_view Compact(std::wstring_view text,
                            const std::function<void(std::wstring_view)>& compacting);

  std::wstring_view given_;
  std::size_t trimmedStart_ = 0; // where the trimmed text starts in it
  std::wstring compacted_;       // empty when the trimmed text is read where it is
  std::vector<Piece> pieces_;
  std::wstring_view trimmed_;
};

} // namespace velmora
