// Number words in script lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The numeric test a script's number words pass: an optional sign, digits
// with an optional decimal point, an optional exponent, blanks around.
std::optional<double> ParseNumber(std::wstring_view word);
// The value of the first word exactly equal to one of the keywords whose
// next word is a number; none when no keyword is followed by one.
std::optional<double> NumberAfterKeyword(std::wstring_view line, std::wstring_view keyword,
                                         std::wstring_view otherKeyword = L"");

// A count in decimal digits. (The library's formatting would bring the whole
// of the C runtime's formatted printing into the program for it.)
std::wstring DecimalText(unsigned long long value);

} // namespace velmora
