// Finding a handler's opening and closing lines: the words "on " and "end "
// found in one reading of a text, and the handler names that follow them.
#include "interpreter/handler_search.hpp"

#include <algorithm>

#include "base/text.hpp"
#include "interpreter/handlers.hpp"

namespace velmora {

namespace {

// Most of a script holds neither word. It is read a block at a time, first
// with plain comparisons that the compiler runs side by side; only a block
// where a word may end is read character by character.
constexpr std::size_t kBlock = 64;

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

} // namespace

void HandlerWords::ReadTo(std::wstring_view text, std::size_t to) {
  text_ = text;
  for (std::size_t from = read_; from < to; from += kBlock) {
    const std::size_t end = std::min(to, from + kBlock);
    std::uint32_t breaks = 0;
    if (MayEndAWord(from, end, breaks)) {
      ReadMarks(from, end);
    } else if (breaks != 0) {
      SkipLines(end, breaks);
    }
  }
  read_ = std::max(read_, to);
}

// Whether a word may end in [from, to): there is a space after an N or a D
// of either case, or a character outside ASCII, whose case mapping is left
// to the careful reading. Counts the line breaks there too. Only CR LF breaks
// a line, and such pairs never overlap. No word ends, and no line breaks, at
// the first character.
bool HandlerWords::MayEndAWord(std::size_t from, std::size_t to, std::uint32_t& breaks) const {
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
void HandlerWords::ReadMarks(std::size_t from, std::size_t to) {
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
void HandlerWords::SkipLines(std::size_t to, std::uint32_t breaks) {
  line_ += static_cast<int>(breaks);
  std::size_t i = to - 1;
  while (text_[i] != L'\n' || text_[i - 1] != L'\r') {
    --i;
  }
  lineStart_ = i + 1;
}

HandlerLineSearch::HandlerLineSearch(std::wstring_view name) : upperName_(UpperCase(name)) {
  for (const HandlerName& handler : kHandlerNames) {
    const std::wstring other = UpperCase(handler.name);
    if (other.size() > upperName_.size() && other.rfind(upperName_, 0) == 0) {
      longer_.push_back(other.substr(upperName_.size()));
    }
  }
}

std::optional<HandlerWords::Mark>
HandlerLineSearch::First(const HandlerWords& text, const std::vector<HandlerWords::Mark>& words,
                         std::size_t from) const {
  for (std::size_t i = from; i < words.size(); ++i) {
    const HandlerWords::Mark& word = words[i];
    if (!ContinuesWith(text.Text(), word.after, upperName_)) {
      continue;
    }
    const std::size_t after = word.after + upperName_.size();
    const bool startsLongerName =
        std::any_of(longer_.begin(), longer_.end(), [&](const std::wstring& rest) {
          return ContinuesWith(text.Text(), after, rest);
        });
    if (!startsLongerName) {
      return word;
    }
  }
  return std::nullopt;
}

FoundBlock FindBlock(std::wstring_view name, const HandlerWords& text) {
  const HandlerLineSearch search(name);
  const std::optional<HandlerWords::Mark> open = search.First(text, text.On());
  if (!open) {
    return {};
  }
  return {open, search.First(text, text.End())};
}

} // namespace velmora
