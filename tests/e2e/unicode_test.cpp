// End-to-end: texts and paths in any script. Scripts saved as UTF-8 or
// UTF-16 show their texts whole in boxes, menus, tooltips and balloons; an
// application folder whose name the ANSI code page cannot spell works; a
// script in the ANSI code page still writes exactly the bytes it always did.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "http_server.hpp"
#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const std::string kIdleBoot = ScriptText({"on openScript", "do nothing", "end openScript"});

std::string Utf8(const std::wstring& text) {
  const int length = static_cast<int>(text.size());
  std::string out(static_cast<std::size_t>(length) * 3, '\0');
  out.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), length,
                                                          out.data(), static_cast<int>(out.size()),
                                                          nullptr, nullptr)));
  return out;
}

// A path the harness gives, in the ANSI code page.
std::wstring Wide(const std::string& ansi) {
  std::wstring out(ansi.size(), L'\0');
  out.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(),
                                                          static_cast<int>(ansi.size()), out.data(),
                                                          static_cast<int>(out.size()))));
  return out;
}

std::wstring WindowTextW(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  return text;
}

std::string FileBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
  file.close();
  return !file.fail();
}

// A program started with a wide command line, ended at the test's end if
// it still runs.
struct WideProcess {
  WideProcess(std::wstring commandLine, const wchar_t* folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                       nullptr, folder, &startup, &info)) {
      CloseHandle(info.hThread);
      handle = info.hProcess;
    }
  }
  WideProcess(const WideProcess&) = delete;
  ~WideProcess() {
    if (handle != nullptr) {
      TerminateProcess(handle, 1);
      WaitForSingleObject(handle, INFINITE);
      CloseHandle(handle);
    }
  }
  HANDLE handle = nullptr;
};

// A folder of the test's own, removed at its end.
struct OwnFolder {
  fs::path path;
  ~OwnFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

// One text in every place a script shows it. outputLines is output.txt after
// the box's OK and the choice of the menu item captioned with the text: the
// ANSI code page while the text fits it, else UTF-8 behind a mark.
struct Script {
  std::string name;
  std::wstring text;
  bool mark; // saved with a UTF-8 byte-order mark, as Notepad may
  std::vector<std::string> outputLines;
};

void PrintTo(const Script& script, std::ostream* out) {
  *out << script.name;
}

// The first logged tray call whose field holds the text.
std::optional<TrayCall> LoggedCall(const VelmoraProcess& velmora, const std::string& field,
                                   const std::string& text) {
  for (const TrayCall& call : velmora.TrayCalls()) {
    if (call.count(field) != 0 && call.at(field) == text) {
      return call;
    }
  }
  return std::nullopt;
}

class UnicodeScript : public testing::TestWithParam<Script> {
protected:
  std::string Saved(std::initializer_list<std::string> lines) const {
    return (GetParam().mark ? kUtf8Mark : "") + ScriptText(lines);
  }
  const std::string text_ = Utf8(GetParam().text);
};

TEST_P(UnicodeScript, ShowsItsTextInTheBoxAndTheMenu) {
  ASSERT_EQ(GetACP(), 1252u) << "the expected bytes are Windows-1252's";
  VelmoraProcess velmora(Saved({"on openScript", "create menu " + text_ + ",Quit",
                                "answer \"" + text_ + "\" \"" + text_ + "\"", "end openScript"}));
  ASSERT_TRUE(velmora.Start());
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(WindowTextW(GetDlgItem(box->window, 0xFFFF)), GetParam().text);
  EXPECT_EQ(WindowTextW(box->window), GetParam().text);
  ASSERT_TRUE(velmora.PressButton(*box, IDOK));

  velmora.PostTrayCallback(WM_RBUTTONDOWN);
  ASSERT_TRUE(velmora.ChooseMenuItem(1));
  EXPECT_EQ(velmora.WaitForLines("output.txt", GetParam().outputLines), GetParam().outputLines);
}

TEST_P(UnicodeScript, ShowsItsTextInTheTooltipAndTheBalloon) {
  REQUIRE_TRAY_LOG();
  VelmoraProcess velmora(
      Saved({"on openScript", "set tooltip \"" + text_ + "\"",
             "show info balloon \"" + text_ + "\" \"" + text_ + "\"", "end openScript"}));
  ASSERT_TRUE(velmora.Start());
  // The balloon's call comes after the tooltip's.
  std::optional<TrayCall> balloon;
  ASSERT_TRUE(
      WaitUntil([&] { return (balloon = LoggedCall(velmora, "szInfo", text_)).has_value(); }));
  EXPECT_EQ(balloon->at("szInfoTitle"), text_);
  EXPECT_EQ(balloon->at("szTip"), text_);
}

INSTANTIATE_TEST_SUITE_P(
    Unicode, UnicodeScript,
    testing::Values(Script{"LatinWithMark",
                           L"Grüße Zoë ça va",
                           true,
                           {"OK", "Gr\xFC\xDF"
                                  "e Zo\xEB \xE7"
                                  "a va"}},
                    Script{"Cyrillic", L"Привет мир", false, {kUtf8Mark + "OK", "Привет мир"}},
                    Script{"Cjk", L"你好世界 𠀋", false, {kUtf8Mark + "OK", "你好世界 𠀋"}}),
    [](const testing::TestParamInfo<Script>& row) { return row.param.name; });

TEST(Unicode, Utf16DroppedScriptRuns) {
  VelmoraProcess velmora(kIdleBoot);
  ASSERT_TRUE(velmora.Start());
  const std::wstring script = L"on openScript\r\nwrite \"Привет 日本\"\r\nend openScript\r\n";
  const std::string bytes(reinterpret_cast<const char*>(script.data()), script.size() * 2);
  ASSERT_TRUE(velmora.Drop("wide.scp", "\xFF\xFE" + bytes));
  const std::vector<std::string> expected = {kUtf8Mark + "Привет 日本"};
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
}

TEST(Unicode, AnsiScriptWithHighBytesWritesTodaysBytes) {
  ASSERT_EQ(GetACP(), 1252u) << "the expected bytes are Windows-1252's";
  const std::string text = "caf\xE9 \xFC"
                           "ber \x80 5 \xBD";
  VelmoraProcess velmora(ScriptText({"on openScript", "write \"" + text + "\"", "end openScript"}));
  ASSERT_TRUE(velmora.Start());
  EXPECT_EQ(velmora.WaitForLines("output.txt", {text}), std::vector<std::string>{text});
}

TEST(Unicode, AskCarriesAnyText) {
  VelmoraProcess velmora(kIdleBoot);
  ASSERT_TRUE(velmora.Start());
  std::wstring folder = Wide(velmora.AppPath(""));
  folder.pop_back(); // a backslash before the closing quote would escape it
  const std::wstring text = L"Grüße, Привет, 你好 𠀋";
  WideProcess ask(L"\"" + Wide(ProgramPath("velmoractl.exe")) + L"\" ask --folder \"" + folder +
                      L"\" --buttons OK --title \"" + text + L"\" \"" + text + L"\"",
                  nullptr);
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(WindowTextW(GetDlgItem(box->window, 0xFFFF)), text);
  EXPECT_EQ(WindowTextW(box->window), text);
  ASSERT_TRUE(velmora.PressButton(*box, IDOK));
  ASSERT_EQ(WaitForSingleObject(ask.handle, static_cast<DWORD>(kDeadline.count())), WAIT_OBJECT_0);
  DWORD code = STILL_ACTIVE;
  EXPECT_TRUE(GetExitCodeProcess(ask.handle, &code) && code == 0) << code;
}

// velmora.ini through Windows' settings calls: an identifier that the ANSI
// code page cannot spell turns the file into UTF-16, and a later start reads
// it back.
TEST(Unicode, SettingsKeepAnIdentifierOutsideTheCodePage) {
  HttpServer server({{"/next.scp",
                      {200, kUtf8Mark + ScriptText({"on openScript", "set scriptID версия-2",
                                                    "end openScript"})}}});
  const std::string boot =
      ScriptText({"on rightClick", "check \"" + server.Url("/next.scp") + "\"", "switch result",
                  "case \"different\"", "write \"took it\"", "case \"same\"", "write \"had it\"",
                  "end switch", "end rightClick"});
  std::string settings;
  {
    VelmoraProcess first(boot);
    first.WriteAppFile("velmora.ini", "[Updates]\r\nLastID=v1\r\n");
    ASSERT_TRUE(first.Start());
    first.PostTrayCallback(WM_RBUTTONUP);
    EXPECT_EQ(first.WaitForLines("output.txt", {"took it"}), std::vector<std::string>{"took it"});
    settings = FileBytes(Wide(first.AppPath("velmora.ini")));
  }
  const std::wstring expected = L"\xFEFF[Updates]\r\nLastID=версия-2\r\n";
  EXPECT_EQ(settings, std::string(reinterpret_cast<const char*>(expected.data()),
                                  expected.size() * sizeof(wchar_t)));
  VelmoraProcess second(boot);
  second.WriteAppFile("velmora.ini", settings);
  ASSERT_TRUE(second.Start());
  second.PostTrayCallback(WM_RBUTTONUP);
  EXPECT_EQ(second.WaitForLines("output.txt", {"had it"}), std::vector<std::string>{"had it"});
}

// Start, delete by a pattern, drop, write and launch, all in a folder whose
// name and files the ANSI code page cannot spell.
TEST(Unicode, AppFolderOutsideTheCodePage) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  // The program names its folder in the long form; so must the test.
  GetLongPathNameW(temp, temp, MAX_PATH);
  const OwnFolder own{fs::path(temp) /
                      (L"velmora-Zoë-Привет-日本-" + std::to_wstring(GetCurrentProcessId()))};
  const fs::path& folder = own.path;
  fs::create_directories(folder / L"outbox");
  ASSERT_TRUE(CopyFileW(Wide(ProgramPath("velmora.exe")).c_str(), (folder / L"velmora.exe").c_str(),
                        FALSE));
  ASSERT_TRUE(CopyFileW(Wide(ProgramPath("velmoractl.exe")).c_str(),
                        (folder / L"помощник-助手.exe").c_str(), FALSE));
  const fs::path old = folder / L"старый-旧.tmp";
  ASSERT_TRUE(WriteBytes(old, "old"));
  ASSERT_TRUE(
      WriteBytes(folder / L"boot.scp", ScriptText({"on openScript", "write \"started\"",
                                                   "delete file \"*.tmp\"", "end openScript"})));
  ASSERT_TRUE(
      WriteBytes(folder / L"outbox" / L"ответ-答案.scp",
                 kUtf8Mark + ScriptText({"on openScript", "write \"sent 答案\" \"ответ-答案.txt\"",
                                         "end openScript"})));
  const WideProcess velmora(L"\"" + (folder / L"velmora.exe").wstring() + L"\"", folder.c_str());
  EXPECT_TRUE(WaitUntil([&] {
    return FileBytes(folder / L"output.txt") == "started\r\n" && !fs::exists(old);
  })) << FileBytes(folder / L"output.txt");

  // Dropped in UTF-8 without a mark: it writes, then launches velmoractl
  // from the folder Velmora runs in, whose send hands over the outbox
  // script.
  ASSERT_TRUE(
      WriteBytes(folder / L"drop.part",
                 ScriptText({"on openScript", "write \"dropped Ж\" \"ответ-答案.txt\"",
                             "launch \"помощник-助手.exe\" with \"send outbox\\ответ-答案.scp\"",
                             "end openScript"})));
  fs::rename(folder / L"drop.part", folder / L"запуск-起動.scp");
  const std::string expected = kUtf8Mark + "dropped Ж\r\nsent 答案\r\n";
  EXPECT_TRUE(WaitUntil([&] { return FileBytes(folder / L"ответ-答案.txt") == expected; }))
      << FileBytes(folder / L"ответ-答案.txt");
  EXPECT_TRUE(WaitUntil([&] { return !fs::exists(folder / L"запуск-起動.scp"); }));
}

} // namespace
} // namespace velmora::e2e
