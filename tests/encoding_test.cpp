// File encodings: which encoding bytes are read in and what they read as,
// texts written back in each, the exact ANSI conversion, and cuts to a
// field's length in UTF-16 units.
#include <gtest/gtest.h>

#include "base/encoding.hpp"
#include "platform/ansi.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

// U+1F600 as the UTF-16 units the core holds on every system.
const std::wstring kSmile{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
const std::wstring kBad(1, static_cast<wchar_t>(0xFFFD));

TEST(Decode, EveryEncodingAndEveryFault) {
  const struct {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    std::wstring text;
  } cases[] = {
      {"empty file", "", TextEncoding::Ansi, L""},
      {"ASCII", "on openScript", TextEncoding::Ansi, L"on openScript"},
      {"ANSI high bytes", "Gr\xFC\xDF\x65 \x80", TextEncoding::Ansi, L"Gr\u00FC\u00DFe \u20AC"},
      {"UTF-8 without mark", "Gr\xC3\xBC\xC3\x9F\x65", TextEncoding::Utf8, L"Gr\u00FC\u00DFe"},
      {"UTF-8 beyond the basic plane", "\xF0\x9F\x98\x80", TextEncoding::Utf8, kSmile},
      {"mixed UTF-8 and ANSI", "\xC3\xBC \xFC", TextEncoding::Ansi, L"\u00C3\u00BC \u00FC"},
      {"UTF-8 mark alone", "\xEF\xBB\xBF", TextEncoding::Utf8Marked, L""},
      {"UTF-8 mark", "\xEF\xBB\xBFon x", TextEncoding::Utf8Marked, L"on x"},
      {"a cut mark is ANSI", "\xEF\xBBon", TextEncoding::Ansi, L"\u00EF\u00BBon"},
      {"invalid byte after a mark",
       "\xEF\xBB\xBF"
       "a\xE9z",
       TextEncoding::Utf8Marked, L"a" + kBad + L"z"},
      {"cut sequence: one per byte", "\xEF\xBB\xBF\xE2\x82", TextEncoding::Utf8Marked, kBad + kBad},
      {"overlong form", "\xEF\xBB\xBF\xC0\xAF", TextEncoding::Utf8Marked, kBad + kBad},
      {"encoded surrogate", "\xEF\xBB\xBF\xED\xA0\x80", TextEncoding::Utf8Marked,
       kBad + kBad + kBad},
      {"beyond U+10FFFF", "\xEF\xBB\xBF\xF4\x90\x80\x80", TextEncoding::Utf8Marked,
       kBad + kBad + kBad + kBad},
      {"UTF-16 LE mark alone", "\xFF\xFE", TextEncoding::Utf16Le, L""},
      {"UTF-16 LE", std::string("\xFF\xFEo\0n\0\x14\x04", 8), TextEncoding::Utf16Le, L"on\u0414"},
      {"UTF-16 LE pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), TextEncoding::Utf16Le, kSmile},
      {"UTF-16 LE lone high",
       std::string("\xFF\xFE\x3D\xD8"
                   "a\0",
                   6),
       TextEncoding::Utf16Le, kBad + L"a"},
      {"UTF-16 LE lone low", std::string("\xFF\xFE\x00\xDE", 4), TextEncoding::Utf16Le, kBad},
      {"UTF-16 LE high at the end", "\xFF\xFE\x3D\xD8", TextEncoding::Utf16Le, kBad},
      {"UTF-16 LE odd length",
       std::string("\xFF\xFE"
                   "a\0b",
                   5),
       TextEncoding::Utf16Le, L"a" + kBad},
      {"UTF-16 BE", std::string("\xFE\xFF\0a\x04\x14", 6), TextEncoding::Utf16Be, L"a\u0414"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectEncoding(c.bytes), c.encoding) << c.name;
    EXPECT_EQ(DecodeText(c.bytes), c.text) << c.name;
  }
}

TEST(Encode, UnicodeEncodingsRoundTripAndLoneSurrogatesBecomeReplacements) {
  const std::wstring text = L"Zo\u00EB \u0416 \u65E5" + kSmile;
  EXPECT_EQ(EncodeText(text, TextEncoding::Utf8),
            "Zo\xC3\xAB \xD0\x96 \xE6\x97\xA5\xF0\x9F\x98\x80");
  EXPECT_EQ(EncodeText(kSmile, TextEncoding::Utf16Le), std::string("\x3D\xD8\x00\xDE", 4));
  EXPECT_EQ(EncodeText(kSmile, TextEncoding::Utf16Be), std::string("\xD8\x3D\xDE\x00", 4));
  for (const TextEncoding encoding :
       {TextEncoding::Utf8Marked, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
    const std::string bytes = std::string(MarkOf(encoding)) + EncodeText(text, encoding);
    EXPECT_EQ(DetectEncoding(bytes), encoding);
    EXPECT_EQ(DecodeText(bytes), text);
  }
  const std::wstring lone = L"a" + kSmile.substr(0, 1) + L"b" + kSmile.substr(1);
  EXPECT_EQ(EncodeText(lone, TextEncoding::Utf8), "a\xEF\xBF\xBD"
                                                  "b\xEF\xBF\xBD");
  EXPECT_EQ(EncodeText(lone, TextEncoding::Utf16Le), std::string("a\0\xFD\xFF"
                                                                 "b\0\xFD\xFF",
                                                                 8));
}

TEST(AnsiExact, OnlyTextsTheCodePageSpellsExactly) {
  EXPECT_EQ(ToAnsiExact(L""), "");
  EXPECT_EQ(ToAnsiExact(L"Gr\u00FC\u00DFe \u20AC"), "Gr\xFC\xDF"
                                                    "e \x80");
  // The bytes Windows-1252 leaves unassigned come back as themselves.
  EXPECT_EQ(ToAnsiExact(L"\u0081"), "\x81");
  for (const std::wstring& text : {std::wstring(L"\u0141\u00F3d\u017A"), std::wstring(L"\u0416"),
                                   std::wstring(L"\u65E5"), kSmile, kSmile.substr(0, 1)}) {
    EXPECT_FALSE(ToAnsiExact(text).has_value());
    EXPECT_NE(ToAnsi(text).find('?'), std::string::npos);
  }
}

TEST(Cut, NeverThroughASurrogatePair) {
  const struct {
    std::wstring text;
    std::size_t units;
    std::wstring cut;
  } cases[] = {
      {L"ab" + kSmile, 3, L"ab"},
      {L"ab" + kSmile, 4, L"ab" + kSmile},
      {L"ab" + kSmile + L"c", 4, L"ab" + kSmile},
      {kSmile, 1, L""},
      {L"ab", 5, L"ab"},
      {L"ab", 0, L""},
      // A character of a double-byte code page is one unit, never half of one.
      {L"\u65E5\u672C\u8A9E", 2, L"\u65E5\u672C"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CutToUnits(c.text, c.units), c.cut) << c.units;
  }
}

TEST(Cut, ARecordFieldKeepsItsTerminatorAndWholePairs) {
  const std::wstring pairAtTheEnd = std::wstring(126, L'a') + kSmile;
  EXPECT_EQ(FixedWidth(pairAtTheEnd, kTipChars), std::wstring(126, L'a') + std::wstring(2, L'\0'));
  const std::wstring pairBefore = std::wstring(125, L'a') + kSmile + L"bc";
  EXPECT_EQ(FixedWidth(pairBefore, kTipChars), std::wstring(125, L'a') + kSmile + L'\0');
  EXPECT_EQ(FixedWidth(L"\u65E5", kInfoTitleChars), L"\u65E5" + std::wstring(63, L'\0'));
}

} // namespace
} // namespace velmora::testing
