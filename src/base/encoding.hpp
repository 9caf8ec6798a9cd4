// The encodings of the files the program reads and writes, and the cuts of a
// text to a field's length. Wide texts hold UTF-16 code units on every
// system, so a character beyond U+FFFF is a surrogate pair here as on
// Windows, and every length counts UTF-16 units.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

enum class TextEncoding {
  Ansi,       // the ANSI code page, byte for byte
  Utf8,       // UTF-8 without a byte-order mark
  Utf8Marked, // UTF-8 after the mark EF BB BF
  Utf16Le,    // UTF-16 little-endian after the mark FF FE
  Utf16Be,    // UTF-16 big-endian after the mark FE FF
};

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// The encoding a file's bytes are read in: a byte-order mark decides; without
// one, bytes that are valid UTF-8 and hold at least one non-ASCII byte are
// UTF-8; anything else is the ANSI code page.
TextEncoding DetectEncoding(std::string_view bytes);
// The mark a file in the encoding begins with ("" for ANSI and plain UTF-8).
std::string_view MarkOf(TextEncoding encoding);

// The text of a file's bytes, its mark left out. Nothing is ever dropped: a
// byte that starts no valid UTF-8 sequence becomes U+FFFD, one for each such
// byte, and so do a lone surrogate and an odd last byte of UTF-16.
std::wstring DecodeText(std::string_view bytes, TextEncoding encoding);
std::wstring DecodeText(std::string_view bytes);

// The length of the well-formed UTF-8 sequence at bytes[at] (no overlong
// forms, no surrogates, nothing beyond U+10FFFF); 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at);

// A text in the encoding, without the mark. In a Unicode encoding a lone
// surrogate is written as U+FFFD; in ANSI a character the code page lacks
// becomes its default character (ToAnsiExact tells whether one does).
std::string EncodeText(std::wstring_view text, TextEncoding encoding);

// At most `units` UTF-16 units of the text, cut before a surrogate pair
// rather than through it, so that no lone high surrogate ends the text.
std::wstring_view CutToUnits(std::wstring_view text, std::size_t units);

} // namespace velmora
