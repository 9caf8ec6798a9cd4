// File encodings: which encoding bytes are read in, what they read as and are written back as, the
// exact ANSI conversion, surrogate-safe cuts, and what each file the program writes holds
// afterwards, also when the write cannot be made.
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

#include "base/encoding.hpp"
#include "base/files.hpp"
#include "harness.hpp"
#include "platform/ansi.hpp"
#include "systray/menu.hpp"
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

const std::wstring kFile = kAppFolder + L"out.txt";
const std::wstring kSettings = kAppFolder + kSettingsFileName;
const std::string kMark(kUtf8Mark);
// Greek, Cyrillic and CJK: none of them in the ANSI code page.
const std::wstring kWide = L"\u03A9 \u0416 \u65E5";
const std::string kWideLine = "\xCE\xA9 \xD0\x96 \xE6\x97\xA5\r\n";
const std::string kAnsi = "Gr\xFC\xDF\x65\r\n"; // a line of "Grüße" in the code page

TEST(Write, EachFileKeepsOneEncodingAndAFailedConversionLeavesItAsItWas) {
  const struct {
    const char* name;
    std::optional<std::string> before; // none: no such file
    std::wstring text;
    std::string after;
    void (*fault)(fake::FakePlatform&) = nullptr; // made before the write, which then fails
  } cases[] = {
      {"new file, ANSI text", std::nullopt, L"Gr\u00FC\u00DFe", kAnsi},
      {"ANSI file, ANSI text", "a\r\n", L"\u20AC 5", "a\r\n\x80 5\r\n"},
      {"new file, other text", std::nullopt, kWide, kMark + kWideLine},
      {"empty file, other text", "", kWide, kMark + kWideLine},
      {"ANSI file, other text: converted once", kAnsi, kWide,
       kMark + "Gr\xC3\xBC\xC3\x9F\x65\r\n" + kWideLine},
      {"UTF-8 file without mark", "\xC3\xBC\r\n", kWide, kMark + "\xC3\xBC\r\n" + kWideLine},
      {"UTF-8 file, ANSI text", kMark + "a\r\n", L"\u00FC", kMark + "a\r\n\xC3\xBC\r\n"},
      {"UTF-8 file, other text", kMark, kWide, kMark + kWideLine},
      {"UTF-16 file, any text", Utf16Le(L"a\r\n"), L"\u00FC" + kWide,
       Utf16Le(L"a\r\n\u00FC" + kWide + L"\r\n")},
      {"move fails", kAnsi, kWide, kAnsi, [](auto& f) { f.File(kFile)->undeletable = true; }},
      {"disk full", kAnsi, kWide, kAnsi, [](auto& f) { f.diskFull = true; }},
      {"locked folder", kAnsi, kWide, kAnsi,
       [](auto& f) { f.SetFolderReadOnly(kAppFolder, true); }},
      {"file in use", kAnsi, kWide, kAnsi, [](auto& f) { f.File(kFile)->inUse = true; }},
      {"unreadable", kAnsi, kWide, kAnsi, [](auto& f) { f.File(kFile)->unreadable = true; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h;
    if (c.before) {
      h.fake.AddFile(kFile, *c.before);
    }
    if (c.fault) {
      c.fault(h.fake);
    }
    EXPECT_EQ(ExecuteCommand(h.app, L"write \"" + c.text + L"\" \"out.txt\""),
              c.fault ? CommandResult::Error : CommandResult::Ok);
    EXPECT_EQ(h.fake.Contents(kFile), c.after);
    EXPECT_EQ(h.fake.FileNames(), Texts{kFile});
    EXPECT_EQ(h.BoxTexts(), c.fault ? Texts{L"Can't write to file '" + kFile + L"'."} : Texts{});
  }
}

TEST(Write, AMenuChoiceAndTheErrorLogTakeTheSameRule) {
  Harness h;
  h.fake.AddFile(kOutput, "Yes\r\n");
  h.app.SilentErrors = true;
  EXPECT_EQ(
      RunHandler(h.app, Block(L"x", {L"create menu " + kWide, L"\u0416"}), L"x", Mode::Optional),
      RunResult::Error);
  EXPECT_EQ(ChooseMenuItem(h.app, 1), MenuChoice::Handled);
  EXPECT_EQ(h.fake.Contents(kOutput), kMark + "Yes\r\n" + kWideLine);
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"errors.log"),
            kMark + "Can't understand '\xD0\x96'.\r\n");
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(Settings, AnIdentifierIsKeptInTheEncodingItNeedsAndReadBack) {
  const std::wstring id = L"\u0416-\u03A9-\u65E5";
  const std::wstring updates = L"[Updates]\r\nLastID=" + id + L"\r\n";
  // The identifier downloaded, the settings file before (none: no file) and after.
  const std::tuple<std::wstring, std::optional<std::string>, std::string> cases[] = {
      {id, std::nullopt, Utf16Le(updates)},
      {id, "[W]\r\nT=\xFC\r\n[Updates]\r\nLastID=1\r\n", Utf16Le(L"[W]\r\nT=\u00FC\r\n" + updates)},
      {id, Utf16Le(L"[Updates]\r\nLastID=1\r\n"), Utf16Le(updates)},
      // An identifier the code page holds keeps the file's ANSI bytes.
      {L"Gr\u00FC\u00DFe", "[Updates]\r\nLastID=1\r\n", "[Updates]\r\nLastID=" + kAnsi},
  };
  for (const auto& [identifier, before, after] : cases) {
    SCOPED_TRACE(before.value_or("no settings file"));
    Harness h;
    if (before) {
      h.fake.AddFile(kSettings, *before);
    }
    const std::wstring update = Block(L"openScript", {L"set scriptID \"" + identifier + L"\""});
    h.fake.urls[L"http://host/new.scp"] = {200, kMark + EncodeText(update, TextEncoding::Utf8)};
    EXPECT_EQ(ExecuteCommand(h.app, L"check \"http://host/new.scp\""), CommandResult::Ok);
    EXPECT_EQ(h.app.download.LastID, identifier);
    EXPECT_EQ(h.fake.Contents(kSettings), after);
    EXPECT_EQ(ReadIniValue(h.fake, L"Updates", L"LastID", kSettings), identifier);
  }
}

TEST(Settings, AFailedConversionChangesNothing) {
  Harness h;
  h.fake.AddFile(kSettings, "[Updates]\r\nLastID=" + kAnsi);
  h.fake.File(kSettings)->undeletable = true;
  EXPECT_FALSE(WriteIniValue(h.fake, L"Updates", L"LastID", kWide, kSettings));
  EXPECT_EQ(h.fake.Contents(kSettings), "[Updates]\r\nLastID=" + kAnsi);
  EXPECT_EQ(h.fake.FileNames(), Texts{kSettings});
}

// A value is cut to 254 units, never through a pair; an absent one is empty.
TEST(Settings, AValueCutToTheBufferKeepsWholePairs) {
  Harness h;
  EXPECT_EQ(ReadIniValue(h.fake, L"U", L"K", kSettings), L"");
  h.fake.AddFile(kSettings, Utf16Le(L"[U]\r\nE=\r\nK=" + std::wstring(253, L'a') + kSmile +
                                    L"\r\nL=" + std::wstring(300, L'x') + L"\r\n"));
  EXPECT_EQ(ReadIniValue(h.fake, L"U", L"K", kSettings), std::wstring(253, L'a'));
  EXPECT_EQ(ReadIniValue(h.fake, L"U", L"L", kSettings), std::wstring(254, L'x'));
  for (const auto& [section, key] : {std::pair{L"U", L"E"}, {L"U", L"F"}, {L"V", L"K"}}) {
    EXPECT_EQ(ReadIniValue(h.fake, section, key, kSettings), L"") << section << key;
  }
}

} // namespace
} // namespace velmora::testing
