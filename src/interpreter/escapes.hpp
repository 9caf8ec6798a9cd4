// Quoted arguments of a command line, and the escapes and placeholders that
// carry line breaks, double quotes, the date and the time inside them.
#pragma once

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

} // namespace velmora
