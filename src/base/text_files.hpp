// Text files as the program reads and writes them: a script is decoded from
// the bytes on disk, and a text is encoded for the programs that read the
// file after it.
#pragma once

#include <string>

#include "base/encoding.hpp"
#include "platform/platform.hpp"

namespace velmora {

// Reads a file in the encoding its bytes show (DetectEncoding).
ReadStatus ReadTextFile(Platform& platform, const std::wstring& path, std::wstring& text);
// Appends to the file, creating it when it does not exist. A text the ANSI
// code page holds goes in as ANSI bytes, exactly as the program has always
// written it, unless the file begins with a Unicode mark: then it goes in
// that file's encoding. Any other text makes the file UTF-8 with a mark: a
// new or empty file gets the mark, and an existing ANSI file is converted
// whole, together with the text, and put in place in one move. False, with
// the file as it was, when the text cannot be written that way.
bool AppendTextFile(Platform& platform, const std::wstring& path, const std::wstring& text);
// Creates the file, or empties an existing one, and writes the text: in ANSI
// when the code page holds it, else in the Unicode encoding given, with its
// mark.
bool CreateTextFile(Platform& platform, const std::wstring& path, const std::wstring& text,
                    TextEncoding unicode = TextEncoding::Utf8Marked);
// Makes a file one in the Unicode encoding given, with its mark and its text
// unchanged, in one move; a missing file is created holding the mark alone.
// False, with the file as it was, when that cannot be done.
bool MakeUnicodeFile(Platform& platform, const std::wstring& path, TextEncoding unicode);

} // namespace velmora
