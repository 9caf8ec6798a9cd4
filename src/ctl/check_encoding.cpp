// Encoding findings, each placed at its line and column in the text as
// Velmora decodes it.
#include "ctl/check_encoding.hpp"

#include <cstdint>
#include <optional>
#include <string>

#include "base/encoding.hpp"

namespace velmora::ctl {

namespace {

bool IsUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

bool IsSurrogate(std::uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}

bool IsHighSurrogate(std::uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(std::uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::wstring Hex(std::uint32_t value, int digits) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text = L"0x";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
    text += kHex[(value >> shift) & 0xF];
  }
  return text;
}

// The units of a script file's text after its mark: bytes, or UTF-16 units.
class Units {
public:
  Units(std::string_view bytes, TextEncoding encoding)
      : bytes_(bytes), encoding_(encoding), size_(IsUtf16(encoding) ? 2 : 1) {}

  std::size_t Size() const { return size_; }
  std::size_t Start() const { return MarkOf(encoding_).size(); }
  bool Whole(std::size_t at) const { return at + size_ <= bytes_.size(); }
  std::uint32_t At(std::size_t at) const {
    const auto byte = [this](std::size_t i) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[i]));
    };
    if (size_ == 1) {
      return byte(at);
    }
    return encoding_ == TextEncoding::Utf16Be ? byte(at) << 8 | byte(at + 1)
                                              : byte(at) | byte(at + 1) << 8;
  }

private:
  std::string_view bytes_;
  TextEncoding encoding_;
  std::size_t size_;
};

// Lines and columns of byte offsets, asked for in increasing order, counted
// as Velmora counts them: a line ends at CR LF, a lone CR or a lone LF, and
// a column counts the characters of the decoded line (a surrogate pair is
// one) from 1.
class Places {
public:
  Places(std::string_view bytes, TextEncoding encoding)
      : bytes_(bytes), encoding_(encoding), units_(bytes, encoding), at_(units_.Start()),
        lineStart_(at_) {}

  int LineOf(std::size_t offset) {
    while (at_ < offset && units_.Whole(at_)) {
      const std::uint32_t unit = units_.At(at_);
      at_ += units_.Size();
      if (unit == '\r' && units_.Whole(at_) && units_.At(at_) == '\n') {
        at_ += units_.Size();
      }
      if (unit == '\r' || unit == '\n') {
        ++line_;
        lineStart_ = at_;
      }
    }
    return line_;
  }

  // The column of an offset on the line LineOf last reached.
  int ColumnOf(std::size_t offset) const {
    // The mark before the slice is taken off again, and only the mark.
    const std::wstring before =
        DecodeText(std::string(MarkOf(encoding_)) +
                       std::string(bytes_.substr(lineStart_, offset - lineStart_)),
                   encoding_);
    int column = 1;
    for (std::size_t i = 0; i < before.size(); ++i) {
      const bool pair = IsHighSurrogate(static_cast<std::uint32_t>(before[i])) &&
                        i + 1 < before.size() &&
                        IsLowSurrogate(static_cast<std::uint32_t>(before[i + 1]));
      i += pair ? 1 : 0;
      ++column;
    }
    return column;
  }

private:
  std::string_view bytes_;
  TextEncoding encoding_;
  Units units_;
  std::size_t at_;
  std::size_t lineStart_;
  int line_ = 1;
};

// Reports at most one finding a line, the first.
class Findings {
public:
  Findings(std::string_view bytes, TextEncoding encoding) : places_(bytes, encoding) {}

  void Add(std::size_t offset, const char* code, const std::wstring& message) {
    const int line = places_.LineOf(offset);
    if (line != lastLine_) {
      out_.Warning(line, places_.ColumnOf(offset), code, message);
      lastLine_ = line;
    }
  }
  std::vector<Diagnostic> Take() { return out_.Take(); }

private:
  Places places_;
  Diagnostics out_;
  int lastLine_ = 0;
};

const wchar_t* const kShownAsReplacement =
    L", so Velmora shows the replacement character U+FFFD in its place";

void CheckMarkedUtf8(std::string_view bytes, Findings& findings) {
  for (std::size_t at = kUtf8Mark.size(); at < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) {
      findings.Add(at, "invalid-byte",
                   L"byte " + Hex(static_cast<unsigned char>(bytes[at]), 2) +
                       L" is not UTF-8, though the file is marked as UTF-8" + kShownAsReplacement);
    }
    at += length == 0 ? 1 : length;
  }
}

void CheckUtf16(std::string_view bytes, TextEncoding encoding, Findings& findings) {
  const Units units(bytes, encoding);
  std::size_t at = units.Start();
  for (; units.Whole(at); at += 2) {
    const std::uint32_t unit = units.At(at);
    if (IsHighSurrogate(unit) && units.Whole(at + 2) && IsLowSurrogate(units.At(at + 2))) {
      at += 2;
    } else if (IsSurrogate(unit)) {
      findings.Add(at, "invalid-byte",
                   L"the lone surrogate " + Hex(unit, 4) + L" is no UTF-16 character" +
                       kShownAsReplacement);
    }
  }
  if (at < bytes.size()) {
    findings.Add(at, "invalid-byte",
                 std::wstring(L"the file ends in half a UTF-16 character") + kShownAsReplacement);
  }
}

// Bytes that are not UTF-8 beside sequences that are: the whole script is
// read in the ANSI code page, and its UTF-8 characters become other letters.
void CheckMixed(std::string_view bytes, Findings& findings) {
  std::optional<std::size_t> firstUtf8;
  std::optional<std::size_t> firstOther;
  for (std::size_t at = 0; at < bytes.size() && !(firstUtf8 && firstOther);) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length > 1 && !firstUtf8) {
      firstUtf8 = at;
    }
    if (length == 0 && !firstOther) {
      firstOther = at;
    }
    at += length == 0 ? 1 : length;
  }
  if (!firstUtf8 || !firstOther) {
    return;
  }
  findings.Add(*firstOther, "mixed-encoding",
               L"byte " + Hex(static_cast<unsigned char>(bytes[*firstOther]), 2) +
                   L" is not UTF-8, though line " +
                   std::to_wstring(Places(bytes, TextEncoding::Ansi).LineOf(*firstUtf8)) +
                   L" holds UTF-8 characters: Velmora reads the whole script in the ANSI code "
                   L"page, so those characters show as other letters; save the script as UTF-8 "
                   L"throughout");
}

void CheckUnmarkedUtf8(std::string_view bytes, Findings& findings) {
  std::size_t at = 0;
  while (at < bytes.size() && Utf8SequenceLength(bytes, at) == 1) {
    ++at;
  }
  findings.Add(at, "utf8-without-bom",
               L"the script is UTF-8 without a byte-order mark, which Velmora reads as UTF-8, "
               L"but older tools (Notepad before Windows 10 among them) read it in the ANSI code "
               L"page and show these characters as other letters; save it as \"UTF-8 with BOM\" "
               L"to make it unambiguous");
}

} // namespace

std::vector<Diagnostic> CheckEncoding(std::string_view bytes) {
  const TextEncoding encoding = DetectEncoding(bytes);
  Findings findings(bytes, encoding);
  switch (encoding) {
  case TextEncoding::Utf8Marked:
    CheckMarkedUtf8(bytes, findings);
    break;
  case TextEncoding::Utf16Le:
  case TextEncoding::Utf16Be:
    CheckUtf16(bytes, encoding, findings);
    break;
  case TextEncoding::Utf8:
    CheckUnmarkedUtf8(bytes, findings);
    break;
  case TextEncoding::Ansi:
    CheckMixed(bytes, findings);
    break;
  }
  return findings.Take();
}

} // namespace velmora::ctl
