// Quoted arguments of a command line, and the escapes and placeholders that
// carry line breaks, double quotes, the date and the time inside them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app_state.hpp"

namespace velmora {

// What GetQuotedText gives for a line without a pair of double quotes.
inline const std::wstring kNoQuote = L"QorError";

std::wstring GetQuotedText(std::wstring_view line);
std::wstring GetTextAfterQuotes(std::wstring_view line);
std::wstring ExpandEscapes(App& app, std::wstring_view text, bool keepQuoteEscape);
std::wstring EncodeEscapes(std::wstring_view text);

// A block of lines (an install or switch block) as the quoted text of the
// one command line it is folded into at load, and back. Unlike the escapes,
// this gives every line back exactly as written.
std::wstring FoldBlock(std::wstring_view lines);
// The lines of a folded block; nothing when the quoted text is not one but
// was written by hand, with escapes.
std::optional<std::wstring> UnfoldBlock(std::wstring_view quoted);

} // namespace velmora
