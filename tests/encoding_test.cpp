// File encodings: which encoding bytes are read in, what they read as and
// are written back as, the exact ANSI conversion, and surrogate-safe cuts.
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

#include "base/encoding.hpp"
#include "platform/ansi.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

using namespace std::string_literals;
using Enc = TextEncoding;

// U+1F600 as the UTF-16 units the core holds on every system.
const std::wstring kSmile{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};

// U+FFFD as many times as a fault gives it.
const auto Bad = [](std::size_t count) { return std::wstring(count, wchar_t(0xFFFD)); };

TEST(Decode, EveryEncodingAndEveryFaultAndTheBytesWrittenBack) {
  const std::tuple<const char*, std::string, Enc, std::wstring> cases[] = {
      {"empty file", "", Enc::Ansi, L""},
      {"ASCII", "on openScript", Enc::Ansi, L"on openScript"},
      {"ANSI high bytes", "Gr\xFC\xDF\x65 \x80", Enc::Ansi, L"Gr\u00FC\u00DFe \u20AC"},
      {"UTF-8 without mark", "\xC3\xBC \xE6\x97\xA5", Enc::Utf8, L"\u00FC \u65E5"},
      {"UTF-8 beyond the basic plane", "\xF0\x9F\x98\x80", Enc::Utf8, kSmile},
      {"mixed UTF-8 and ANSI", "\xC3\xBC \xFC", Enc::Ansi, L"\u00C3\u00BC \u00FC"},
      {"UTF-8 mark alone", "\xEF\xBB\xBF", Enc::Utf8Marked, L""},
      {"UTF-8 mark", "\xEF\xBB\xBFon x", Enc::Utf8Marked, L"on x"},
      {"a cut mark is ANSI", "\xEF\xBBon", Enc::Ansi, L"\u00EF\u00BBon"},
      {"invalid byte after a mark", "\xEF\xBB\xBFx\xE9z", Enc::Utf8Marked, L"x" + Bad(1) + L"z"},
      {"cut sequence: one per byte", "\xEF\xBB\xBF\xE2\x82", Enc::Utf8Marked, Bad(2)},
      {"overlong form", "\xEF\xBB\xBF\xC0\xAF", Enc::Utf8Marked, Bad(2)},
      {"encoded surrogate", "\xEF\xBB\xBF\xED\xA0\x80", Enc::Utf8Marked, Bad(3)},
      {"beyond U+10FFFF", "\xEF\xBB\xBF\xF4\x90\x80\x80", Enc::Utf8Marked, Bad(4)},
      {"UTF-16 LE mark alone", "\xFF\xFE", Enc::Utf16Le, L""},
      {"UTF-16 LE", "\xFF\xFEo\0n\0\x14\x04"s, Enc::Utf16Le, L"on\u0414"},
      {"UTF-16 LE pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, Enc::Utf16Le, kSmile},
      {"UTF-16 LE lone high", "\xFF\xFE\x3D\xD8x\0"s, Enc::Utf16Le, Bad(1) + L"x"},
      {"UTF-16 LE lone low", "\xFF\xFE\x00\xDE"s, Enc::Utf16Le, Bad(1)},
      {"UTF-16 LE high at the end", "\xFF\xFE\x3D\xD8", Enc::Utf16Le, Bad(1)},
      {"UTF-16 LE odd length", "\xFF\xFEx\0y"s, Enc::Utf16Le, L"x" + Bad(1)},
      {"UTF-16 BE", "\xFE\xFF\0x\x04\x14\xD8\x3D\xDE\x00"s, Enc::Utf16Be, L"x\u0414" + kSmile},
  };
  for (const auto& [name, bytes, encoding, text] : cases) {
    EXPECT_EQ(DetectEncoding(bytes), encoding) << name;
    EXPECT_EQ(DecodeText(bytes), text) << name;
    // A text read without a fault is written back as the same bytes.
    if (text.find(wchar_t(0xFFFD)) == std::wstring::npos) {
      EXPECT_EQ(std::string(MarkOf(encoding)) + EncodeText(text, encoding), bytes) << name;
    }
  }
}

TEST(Encode, ALoneSurrogateIsWrittenAsAReplacement) {
  const std::wstring lone = L"x" + kSmile.substr(0, 1) + L"y" + kSmile.substr(1);
  EXPECT_EQ(EncodeText(lone, Enc::Utf8), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
  EXPECT_EQ(EncodeText(lone, Enc::Utf16Le), "x\0\xFD\xFFy\0\xFD\xFF"s);
}

TEST(AnsiExact, OnlyTextsTheCodePageSpellsExactly) {
  EXPECT_EQ(ToAnsiExact(L""), "");
  EXPECT_EQ(ToAnsiExact(L"Gr\u00FC\u00DFe \u20AC"), "Gr\xFC\xDF\x65 \x80");
  // The bytes Windows-1252 leaves unassigned come back as themselves.
  EXPECT_EQ(ToAnsiExact(L"\u0081"), "\x81");
  for (const std::wstring& text :
       {L"\u0141\u00F3d\u017A"s, L"\u0416"s, L"\u65E5"s, kSmile, kSmile.substr(0, 1)}) {
    EXPECT_FALSE(ToAnsiExact(text).has_value()) << text;
    EXPECT_NE(ToAnsi(text).find('?'), std::string::npos) << text;
  }
}

TEST(Cut, NeverThroughASurrogatePair) {
  // Every cut of one text, from nothing to more units than it has.
  const std::wstring text = L"ab" + kSmile + L"c";
  std::vector<std::wstring> cuts;
  for (std::size_t units = 0; units <= 6; ++units) {
    cuts.emplace_back(CutToUnits(text, units));
  }
  EXPECT_EQ(cuts, (std::vector<std::wstring>{L"", L"a", L"ab", L"ab", L"ab" + kSmile, text, text}));
  EXPECT_EQ(CutToUnits(kSmile, 1), L"");
  // A character of a double-byte code page is one unit, never half of one.
  EXPECT_EQ(CutToUnits(L"\u65E5\u672C\u8A9E", 2), L"\u65E5\u672C");
  // A record field also keeps its terminator.
  const std::wstring a125(125, L'a');
  EXPECT_EQ(FixedWidth(a125 + L'a' + kSmile, kTipChars), a125 + L'a' + std::wstring(2, L'\0'));
  EXPECT_EQ(FixedWidth(a125 + kSmile + L"bc", kTipChars), a125 + kSmile + L'\0');
  EXPECT_EQ(FixedWidth(L"\u65E5", kInfoTitleChars), L"\u65E5" + std::wstring(63, L'\0'));
}

} // namespace
} // namespace velmora::testing
