// Compacting the spaces of a script text: runs of spaces shrunk and " = "
// tightened; a long text a piece of whole lines at a time, since neither
// spans a line break.
#include "interpreter/compaction.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "base/text.hpp"

namespace velmora {

namespace {

constexpr std::size_t kPieceSize = 4096;

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

} // namespace

bool NothingToCompact(std::wstring_view trimmed, std::size_t from, std::size_t to) {
  const wchar_t* text = trimmed.data();
  const std::size_t size = trimmed.size();
  // A block at a time with plain comparisons the compiler runs side by side;
  // the last two characters of the text are looked at on their own.
  constexpr std::size_t kBlock = 256;
  const std::size_t blocksEnd = std::min(to, size < 2 ? 0 : size - 2);
  for (std::size_t start = from; start < blocksEnd; start += kBlock) {
    const std::size_t end = std::min(blocksEnd, start + kBlock);
    std::uint32_t found = 0;
    for (std::size_t i = start; i < end; ++i) {
      const wchar_t next = text[i + 1];
      found |= (text[i] == L' ') & ((next == L' ') | ((next == L'=') & (text[i + 2] == L' ')));
    }
    if (found != 0) {
      return false;
    }
  }
  // The pair that ends the text has no third character to look at.
  const bool lastPairInside = size >= 2 && from <= size - 2 && size - 2 < to;
  return !lastPairInside || text[size - 2] != L' ' || text[size - 1] != L' ';
}

std::wstring CompactSpaces(std::wstring_view text) {
  const std::wstring_view trimmed = TrimmedView(text);
  // Compacting never lengthens the text: it is written in place of a copy.
  std::wstring compacted(trimmed.size(), L' ');
  const std::size_t end = ShrinkSpaceRuns(trimmed, compacted.data());
  compacted.resize(TightenEquals(compacted.data(), 0, end));
  return compacted;
}

std::size_t PieceEnd(std::wstring_view text, std::size_t from) {
  const std::size_t lineBreak = FindLineBreak(text, std::min(text.size(), from + kPieceSize));
  return lineBreak == std::wstring_view::npos ? text.size() : lineBreak + kCrLf.size();
}

CompactedText::CompactedText(std::wstring_view text,
                             const std::function<void(std::wstring_view)>& compacting)
    : given_(text), trimmed_(Compact(text, compacting)) {}

std::size_t CompactedText::GivenLineStart(std::size_t at) const {
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

std::wstring_view CompactedText::Compact(std::wstring_view text,
                                         const std::function<void(std::wstring_view)>& compacting) {
  const std::wstring_view trimmed = TrimmedView(text);
  trimmedStart_ = static_cast<std::size_t>(trimmed.data() - text.data());
  if (NothingToCompact(trimmed, 0, trimmed.size())) {
    return trimmed;
  }
  // Compacting never lengthens the text. The string is lengthened a piece at
  // a time, just before the piece is written, so that its filling is done in
  // the cache.
  compacted_.reserve(trimmed.size());
  for (std::size_t from = 0; from < trimmed.size();) {
    const std::size_t to = PieceEnd(trimmed, from);
    const std::size_t start = compacted_.size();
    pieces_.push_back({trimmedStart_ + from, start});
    compacted_.resize(start + (to - from));
    const std::size_t end =
        start + ShrinkSpaceRuns(trimmed.substr(from, to - from), compacted_.data() + start);
    compacted_.resize(TightenEquals(compacted_.data(), start, end));
    if (compacting) {
      compacting(compacted_);
    }
    from = to;
  }
  return compacted_;
}

} // namespace velmora
