// End-to-end: texts in any script and folders of any name, from boxes and menus to velmora.ini.
#include <gtest/gtest.h>
#include <tuple>

#include "http_server.hpp"
#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

const std::string kUtf8Mark = "\xEF\xBB\xBF";

std::string Utf16(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// Name, text, the mark its script is saved behind (as Notepad may), and output.txt after the box's
// OK and the menu choice: Windows-1252 while the text fits, else UTF-8.
using Script = std::tuple<std::string, std::string, std::string, Lines>;
const Script kScripts[] = {
    {"LatinWithMark", "Grüße Zoë ça va", kUtf8Mark, {"OK", "Gr\374\337e Zo\353 \347a va"}},
    {"Cjk", "你好世界 𠀋", "", {kUtf8Mark + "OK", "你好世界 𠀋"}}};
using UnicodeScript = testing::TestWithParam<Script>;

TEST_P(UnicodeScript, ShowsItsTextInTheBoxMenuTooltipAndBalloon) {
  ASSERT_EQ(GetACP(), 1252u) << "the expected bytes are Windows-1252's";
  const auto& [name, text, mark, output] = GetParam();
  const std::string quoted = "\"" + text + "\"", twice = quoted + " " + quoted;
  VelmoraProcess velmora(
      mark + ScriptText({"on openScript", "set tooltip " + quoted, "show info balloon " + twice,
                         "create menu " + text + ",Quit", "answer " + twice, "end openScript"}));
  ASSERT_TRUE(velmora.Start());
  EXPECT_EQ(velmora.Answer(IDOK), text + "|" + text);
  ASSERT_TRUE(velmora.ChooseMenuItem(1));
  EXPECT_EQ(velmora.WaitForLines("output.txt", output), output);
  REQUIRE_TRAY_LOG(); // the test build runs it all; the balloon's call carries the tip set before

  TrayCall balloon;
  for (TrayCall call : velmora.TrayCalls()) {
    balloon = call["szInfo"] == text ? call : balloon;
  }
  EXPECT_EQ(balloon["szInfoTitle"] + "|" + balloon["szTip"], text + "|" + text);
}

INSTANTIATE_TEST_SUITE_P(Unicode, UnicodeScript, testing::ValuesIn(kScripts),
                         [](const auto& row) { return std::get<0>(row.param); });

// An identifier the ANSI code page cannot spell turns velmora.ini into UTF-16; a restart reads it.
TEST(Unicode, SettingsKeepAnIdentifierOutsideTheCodePage) {
  HttpServer server({{"/s",
                      {200, kUtf8Mark + ScriptText({"on openScript", "set scriptID версия-2",
                                                    "end openScript"})}}});
  const std::string boot = ScriptText(
      {"on rightClick", "check \"" + server.Url("/s") + "\"", "switch result", "case \"different\"",
       "write \"different\"", "case \"same\"", "write \"same\"", "end switch", "end rightClick"});
  std::string settings = "[Updates]\r\nLastID=v1\r\n";
  for (const std::string result : {"different", "same"}) {
    VelmoraProcess velmora(boot);
    velmora.WriteAppFile("velmora.ini", settings);
    ASSERT_TRUE(velmora.Start());
    velmora.PostTrayCallback(WM_RBUTTONUP);
    EXPECT_EQ(velmora.WaitForLines("output.txt", {result}), Lines{result});
    settings = FileText(velmora.AppPath("velmora.ini"));
    EXPECT_EQ(settings, Utf16(L"\xFEFF[Updates]\r\nLastID=версия-2\r\n")) << result;
  }
}

// Start, delete by a pattern, drop, write, launch and ask, all with names outside the code page.
TEST(Unicode, AppFolderOutsideTheCodePage) {
  ASSERT_EQ(GetACP(), 1252u) << "the expected bytes are Windows-1252's";
  const std::string ansi = "caf\351 \374ber \200 5 \275"; // written as it always was
  VelmoraProcess velmora(ScriptText({"on openScript", "write \"" + ansi + "\"",
                                     "delete file \"*.tmp\"", "end openScript"}),
                         L"Zoë-Привет-日本");
  fs::create_directory(velmora.AppPath("outbox"));
  fs::copy_file(ProgramPath("velmoractl.exe"), velmora.AppPath(L"助手.exe"));
  ASSERT_TRUE(velmora.WriteAppFile(L"旧.tmp", "old"));
  ASSERT_TRUE(velmora.WriteAppFile(
      L"outbox\\答.scp", kUtf8Mark + ScriptText({"on openScript", "write \"sent 答案\" \"答.txt\"",
                                                 "end openScript"})));
  ASSERT_TRUE(velmora.Start());
  EXPECT_EQ(velmora.WaitForLines("output.txt", {ansi}), Lines{ansi});
  EXPECT_TRUE(WaitUntil([&] { return !Exists(velmora.AppPath(L"旧.tmp")); }));

  // Dropped in UTF-16 LE behind its mark, it runs whole.
  ASSERT_TRUE(velmora.Drop(
      L"ш.scp", Utf16(L"\xFEFFon openScript\r\nwrite \"Ж 日本\" \"w.txt\"\r\nend openScript\r\n")));
  EXPECT_EQ(velmora.WaitForLines("w.txt", {kUtf8Mark + "Ж 日本"}), Lines{kUtf8Mark + "Ж 日本"});

  // Dropped in UTF-8 without a mark: it writes, then launches velmoractl from the folder Velmora
  // runs in, whose send hands over the outbox script.
  ASSERT_TRUE(velmora.Drop(
      L"起動.scp",
      ScriptText({"on openScript", "write \"dropped Ж\" \"答.txt\"",
                  "launch \"助手.exe\" with \"send outbox\\答.scp\"", "end openScript"})));
  EXPECT_TRUE(WaitUntil([&] {
    return FileText(velmora.AppPath(L"答.txt")) == kUtf8Mark + "dropped Ж\r\nsent 答案\r\n";
  })) << FileText(velmora.AppPath(L"答.txt"));
  EXPECT_TRUE(WaitUntil([&] { return !Exists(velmora.AppPath(L"起動.scp")); }));

  // velmoractl finds the folder by its name, and an ask carries any text.
  const std::string text = "Grüße, Привет, 你好 𠀋";
  Child ask(Ctl(velmora, "ask") + " --buttons OK --title \"" + text + "\" \"" + text + "\"");
  EXPECT_EQ(velmora.Answer(IDOK), text + "|" + text);
  ASSERT_TRUE(ask.Finish());
  EXPECT_EQ(ask.exitCode, 0u) << ask.output;
}

} // namespace
} // namespace velmora::e2e
