// Scripts in every encoding as the program reads them, and what each file
// the program writes holds afterwards, also when the write cannot be made.
#include <gtest/gtest.h>
#include <tuple>

#include "base/encoding.hpp"
#include "base/files.hpp"
#include "harness.hpp"
#include "systray/menu.hpp"

namespace velmora::testing {
namespace {

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
  const std::wstring pair{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  h.fake.AddFile(kSettings, Utf16Le(L"[U]\r\nE=\r\nK=" + std::wstring(253, L'a') + pair +
                                    L"\r\nL=" + std::wstring(300, L'x') + L"\r\n"));
  EXPECT_EQ(ReadIniValue(h.fake, L"U", L"K", kSettings), std::wstring(253, L'a'));
  EXPECT_EQ(ReadIniValue(h.fake, L"U", L"L", kSettings), std::wstring(254, L'x'));
  for (const auto& [section, key] : {std::pair{L"U", L"E"}, {L"U", L"F"}, {L"V", L"K"}}) {
    EXPECT_EQ(ReadIniValue(h.fake, section, key, kSettings), L"") << section << key;
  }
}

} // namespace
} // namespace velmora::testing
