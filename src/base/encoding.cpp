// Decoding and encoding file bytes, and cutting texts at UTF-16 unit counts.
#include "base/encoding.hpp"

#include "platform/ansi.hpp"

namespace velmora {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool StartsWith(std::string_view bytes, std::string_view mark) {
  return bytes.substr(0, mark.size()) == mark;
}

// A code point as UTF-16 units: a surrogate pair beyond the basic plane.
void AppendUnits(std::wstring& text, char32_t code) {
  if (code < 0x10000) {
    text += static_cast<wchar_t>(code);
    return;
  }
  code -= 0x10000;
  text += static_cast<wchar_t>(0xD800 + (code >> 10));
  text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
}

char32_t Byte(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

std::wstring DecodeUtf8(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) {
      text += static_cast<wchar_t>(kReplacement);
      ++at;
      continue;
    }
    char32_t code = length == 1 ? Byte(bytes, at) : Byte(bytes, at) & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      code = (code << 6) | (Byte(bytes, at + k) & 0x3F);
    }
    AppendUnits(text, code);
    at += length;
  }
  return text;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  const auto unitAt = [&](std::size_t at) {
    return bigEndian ? (Byte(bytes, at) << 8) | Byte(bytes, at + 1)
                     : Byte(bytes, at) | (Byte(bytes, at + 1) << 8);
  };
  std::wstring text;
  text.reserve(bytes.size() / 2 + 1);
  std::size_t at = 0;
  for (; at + 1 < bytes.size(); at += 2) {
    const char32_t unit = unitAt(at);
    if (IsHighSurrogate(unit) && at + 3 < bytes.size() && IsLowSurrogate(unitAt(at + 2))) {
      text += static_cast<wchar_t>(unit);
      text += static_cast<wchar_t>(unitAt(at + 2));
      at += 2;
    } else {
      text +=
          static_cast<wchar_t>(IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit);
    }
  }
  if (at < bytes.size()) {
    text += static_cast<wchar_t>(kReplacement);
  }
  return text;
}

// The code points of a text of UTF-16 units, a lone surrogate as U+FFFD.
template <typename Visit> void ForEachCodePoint(std::wstring_view text, Visit visit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto unit = static_cast<char32_t>(text[i]);
    if (IsHighSurrogate(unit) && i + 1 < text.size() &&
        IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
      visit(0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00));
    } else {
      visit(IsHighSurrogate(unit) || IsLowSurrogate(unit) || unit > 0x10FFFF ? kReplacement : unit);
    }
  }
}

std::string EncodeUtf8(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  const auto put = [&bytes](char32_t value) { bytes += static_cast<char>(value); };
  ForEachCodePoint(text, [&](char32_t c) {
    if (c < 0x80) {
      put(c);
    } else if (c < 0x800) {
      put(0xC0 | (c >> 6));
      put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      put(0xE0 | (c >> 12));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
    } else {
      put(0xF0 | (c >> 18));
      put(0x80 | ((c >> 12) & 0x3F));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
    }
  });
  return bytes;
}

std::string EncodeUtf16(std::wstring_view text, bool bigEndian) {
  std::wstring units;
  units.reserve(text.size());
  ForEachCodePoint(text, [&units](char32_t c) { AppendUnits(units, c); });
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const wchar_t unit : units) {
    const auto low = static_cast<char>(unit & 0xFF);
    const auto high = static_cast<char>((unit >> 8) & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at) {
  const char32_t lead = Byte(bytes, at);
  if (lead < 0x80) {
    return 1;
  }
  // The range the second byte must fall in, which rules out overlong forms,
  // surrogates and code points beyond U+10FFFF.
  std::size_t length = 0;
  char32_t low = 0x80;
  char32_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) {
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const char32_t next = Byte(bytes, at + k);
    if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
      return 0;
    }
  }
  return length;
}

TextEncoding DetectEncoding(std::string_view bytes) {
  if (StartsWith(bytes, kUtf8Mark)) {
    return TextEncoding::Utf8Marked;
  }
  if (StartsWith(bytes, kUtf16LeMark)) {
    return TextEncoding::Utf16Le;
  }
  if (StartsWith(bytes, kUtf16BeMark)) {
    return TextEncoding::Utf16Be;
  }
  bool nonAscii = false;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) {
      return TextEncoding::Ansi;
    }
    nonAscii = nonAscii || length > 1;
    at += length;
  }
  return nonAscii ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

std::string_view MarkOf(TextEncoding encoding) {
  switch (encoding) {
  case TextEncoding::Utf8Marked:
    return kUtf8Mark;
  case TextEncoding::Utf16Le:
    return kUtf16LeMark;
  case TextEncoding::Utf16Be:
    return kUtf16BeMark;
  case TextEncoding::Ansi:
  case TextEncoding::Utf8:
    break;
  }
  return {};
}

std::wstring DecodeText(std::string_view bytes, TextEncoding encoding) {
  const std::string_view mark = MarkOf(encoding);
  const std::string_view body = StartsWith(bytes, mark) ? bytes.substr(mark.size()) : bytes;
  switch (encoding) {
  case TextEncoding::Utf8:
  case TextEncoding::Utf8Marked:
    return DecodeUtf8(body);
  case TextEncoding::Utf16Le:
  case TextEncoding::Utf16Be:
    return DecodeUtf16(body, encoding == TextEncoding::Utf16Be);
  case TextEncoding::Ansi:
    break;
  }
  return FromAnsi(body);
}

std::wstring DecodeText(std::string_view bytes) {
  return DecodeText(bytes, DetectEncoding(bytes));
}

std::string EncodeText(std::wstring_view text, TextEncoding encoding) {
  switch (encoding) {
  case TextEncoding::Utf8:
  case TextEncoding::Utf8Marked:
    return EncodeUtf8(text);
  case TextEncoding::Utf16Le:
  case TextEncoding::Utf16Be:
    return EncodeUtf16(text, encoding == TextEncoding::Utf16Be);
  case TextEncoding::Ansi:
    break;
  }
  return ToAnsi(text);
}

std::wstring_view CutToUnits(std::wstring_view text, std::size_t units) {
  if (text.size() <= units) {
    return text;
  }
  std::wstring_view cut = text.substr(0, units);
  if (!cut.empty() && IsHighSurrogate(static_cast<char32_t>(cut.back()))) {
    cut.remove_suffix(1);
  }
  return cut;
}

} // namespace velmora
