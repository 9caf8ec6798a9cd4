// Scripts in every encoding as the program reads them, and what each file
// the program writes holds afterwards, also when the write cannot be made.
#include <gtest/gtest.h>

#include "base/encoding.hpp"
#include "base/files.hpp"
#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/run.hpp"
#include "systray/menu.hpp"

namespace velmora::testing {
namespace {

const std::wstring kFile = kAppFolder + L"out.txt";
const std::wstring kSettings = kAppFolder + kSettingsFileName;
const std::string kMark(kUtf8Mark);
// Greek, Cyrillic and CJK: none of them in the ANSI code page.
const std::wstring kWide = L"\u03A9 \u0416 \u65E5";
const std::string kWideUtf8 = "\xCE\xA9 \xD0\x96 \xE6\x97\xA5";

std::string Utf16Le(const std::wstring& text) {
  return std::string(kUtf16LeMark) + EncodeText(text, TextEncoding::Utf16Le);
}

TEST(Write, EachFileKeepsOneEncodingAndTodaysBytesForAnsiText) {
  const struct {
    const char* name;
    std::optional<std::string> before; // none: no such file
    std::wstring text;
    std::string after;
  } cases[] = {
      {"new file, ANSI text", std::nullopt, L"Gr\u00FC\u00DFe",
       "Gr\xFC\xDF"
       "e\r\n"},
      {"ANSI file, ANSI text", "a\r\n", L"\u20AC 5", "a\r\n\x80 5\r\n"},
      {"new file, other text", std::nullopt, kWide, kMark + kWideUtf8 + "\r\n"},
      {"empty file, other text", "", kWide, kMark + kWideUtf8 + "\r\n"},
      {"ANSI file, other text: converted once",
       "Gr\xFC\xDF"
       "e\r\n",
       kWide,
       kMark +
           "Gr\xC3\xBC\xC3\x9F"
           "e\r\n" +
           kWideUtf8 + "\r\n"},
      {"UTF-8 file without mark, other text", "\xC3\xBC\r\n", kWide,
       kMark + "\xC3\xBC\r\n" + kWideUtf8 + "\r\n"},
      {"UTF-8 file, ANSI text", kMark + "a\r\n", L"\u00FC", kMark + "a\r\n\xC3\xBC\r\n"},
      {"UTF-8 file, other text", kMark, kWide, kMark + kWideUtf8 + "\r\n"},
      {"UTF-16 file, any text", Utf16Le(L"a\r\n"), L"\u00FC" + kWide,
       Utf16Le(L"a\r\n\u00FC" + kWide + L"\r\n")},
  };
  for (const auto& c : cases) {
    Harness h;
    if (c.before) {
      h.fake.AddFile(kFile, *c.before);
    }
    EXPECT_EQ(ExecuteCommand(h.app, L"write \"" + c.text + L"\" \"out.txt\""), CommandResult::Ok)
        << c.name;
    EXPECT_EQ(h.fake.Contents(kFile), c.after) << c.name;
    EXPECT_EQ(h.fake.FileNames().size(), 1u) << c.name;
    EXPECT_TRUE(h.fake.boxes.empty()) << c.name;
  }
}

TEST(Write, AFileThatCannotBeConvertedStaysAsItWasAndTheWriteIsReported) {
  const std::string before = "Gr\xFC\xDF"
                             "e\r\n";
  const struct {
    const char* name;
    void (*fault)(fake::FakePlatform&);
  } cases[] = {
      {"the move fails", [](fake::FakePlatform& f) { f.File(kFile)->undeletable = true; }},
      {"the disk is full", [](fake::FakePlatform& f) { f.diskFull = true; }},
      {"the folder refuses files",
       [](fake::FakePlatform& f) { f.SetFolderReadOnly(kAppFolder, true); }},
      {"another program writes it", [](fake::FakePlatform& f) { f.File(kFile)->inUse = true; }},
      {"it cannot be read", [](fake::FakePlatform& f) { f.File(kFile)->unreadable = true; }},
  };
  for (const auto& c : cases) {
    Harness h;
    h.fake.AddFile(kFile, before);
    c.fault(h.fake);
    EXPECT_EQ(ExecuteCommand(h.app, L"write \"" + kWide + L"\" \"out.txt\""), CommandResult::Error)
        << c.name;
    EXPECT_EQ(h.fake.Contents(kFile), before) << c.name;
    EXPECT_EQ(h.fake.FileNames(), Texts{kFile}) << c.name;
    EXPECT_EQ(h.BoxTexts(), Texts{L"Can't write to file '" + kFile + L"'."}) << c.name;
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
  EXPECT_EQ(h.fake.Contents(kOutput), kMark + "Yes\r\n" + kWideUtf8 + "\r\n");
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"errors.log"),
            kMark + "Can't understand '\xD0\x96'.\r\n");
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(Scripts, MarkedAndUnicodeScriptsRunFromTheirFirstLine) {
  const std::wstring script = L"on openScript\r\nset tooltip \"" + kWide + L"\"\r\nend openScript";
  for (const std::string& bytes : {kMark + EncodeText(script, TextEncoding::Utf8),
                                   EncodeText(script, TextEncoding::Utf8), Utf16Le(script)}) {
    Harness h;
    h.fake.AddFile(kAppFolder + L"boot.scp", bytes);
    StartUp(h.app);
    EXPECT_TRUE(h.fake.boxes.empty());
    EXPECT_EQ(h.app.tray.TooltipText, kWide);
    // A dropped script is read the same way.
    h.fake.AddFile(kAppFolder + L"drop.scp", Utf16Le(L"on openScript\nset tooltip \"\u00FC\"\n"
                                                     L"end openScript\n"));
    PollTimer_Timer(h.app);
    EXPECT_EQ(h.app.tray.TooltipText, L"\u00FC");
    EXPECT_FALSE(h.fake.Exists(kAppFolder + L"drop.scp"));
  }
}

TEST(Settings, AnIdentifierOutsideTheCodePageSurvivesARestart) {
  const std::wstring id = L"\u0416-\u03A9-\u65E5";
  const std::wstring update =
      L"on openScript\r\nset scriptID \"" + id + L"\"\r\nend openScript\r\n";
  const struct {
    const char* name;
    std::optional<std::string> before;
    std::string after;
  } cases[] = {
      {"no settings file", std::nullopt, Utf16Le(L"[Updates]\r\nLastID=" + id + L"\r\n")},
      {"an ANSI settings file", "[W]\r\nT=\xFC\r\n[Updates]\r\nLastID=1\r\n",
       Utf16Le(L"[W]\r\nT=\u00FC\r\n[Updates]\r\nLastID=" + id + L"\r\n")},
      {"a UTF-16 settings file", Utf16Le(L"[Updates]\r\nLastID=1\r\n"),
       Utf16Le(L"[Updates]\r\nLastID=" + id + L"\r\n")},
  };
  for (const auto& c : cases) {
    Harness h;
    if (c.before) {
      h.fake.AddFile(kSettings, *c.before);
    }
    h.fake.urls[L"http://host/new.scp"] = {200, kMark + EncodeText(update, TextEncoding::Utf8)};
    EXPECT_EQ(ExecuteCommand(h.app, L"check \"http://host/new.scp\""), CommandResult::Ok) << c.name;
    EXPECT_EQ(h.app.download.LastID, id) << c.name;
    EXPECT_EQ(h.fake.Contents(kSettings), c.after) << c.name;

    Harness restarted;
    restarted.fake.AddFile(kSettings, h.fake.Contents(kSettings));
    restarted.fake.AddFile(kAppFolder + L"boot.scp", "on openScript\r\nend openScript");
    StartUp(restarted.app);
    EXPECT_EQ(restarted.app.download.LastID, id) << c.name;
  }
}

TEST(Settings, AnsiIdentifiersKeepTodaysBytesAndAFailedConversionChangesNothing) {
  Harness h;
  const std::string before = "[Updates]\r\nLastID=1\r\n";
  h.fake.AddFile(kSettings, before);
  EXPECT_TRUE(WriteIniValue(h.fake, L"Updates", L"LastID", L"Gr\u00FC\u00DFe", kSettings));
  EXPECT_EQ(h.fake.Contents(kSettings), "[Updates]\r\nLastID=Gr\xFC\xDF"
                                        "e\r\n");
  h.fake.File(kSettings)->undeletable = true;
  EXPECT_FALSE(WriteIniValue(h.fake, L"Updates", L"LastID", kWide, kSettings));
  EXPECT_EQ(h.fake.Contents(kSettings), "[Updates]\r\nLastID=Gr\xFC\xDF"
                                        "e\r\n");
  EXPECT_EQ(h.fake.FileNames(), Texts{kSettings});
}

TEST(Settings, AValueCutToTheBufferKeepsWholePairs) {
  Harness h;
  const std::wstring pair{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  h.fake.AddFile(kSettings, Utf16Le(L"[U]\r\nK=" + std::wstring(253, L'a') + pair + L"\r\n"));
  EXPECT_EQ(ReadIniValue(h.fake, L"U", L"K", kSettings), std::wstring(253, L'a'));
}

} // namespace
} // namespace velmora::testing
