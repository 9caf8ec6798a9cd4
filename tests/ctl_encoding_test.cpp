// velmoractl and encodings: check places its findings in the decoded text
// and warns about scripts read other than meant; ask carries any text.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

#include "base/encoding.hpp"
#include "ctl/ask.hpp"
#include "ctl/check_command.hpp"
#include "ctl/drop.hpp"
#include "ctl/script_file.hpp"

namespace velmora::ctl {
namespace {

class Folder : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("velmoractl-encoding-") + test->name() + "-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  std::filesystem::path folder_;
};

std::string Utf16Le(const std::wstring& text) {
  return std::string(kUtf16LeMark) + EncodeText(text, TextEncoding::Utf16Le);
}

const std::string kReplaced =
    ", so Velmora shows the replacement character U+FFFD in its place [invalid-byte]\n";

TEST_F(Folder, CheckPlacesFindingsInTheDecodedLines) {
  const std::wstring smile{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  const struct {
    const char* name;
    std::string bytes;
    std::string findings; // after the file name
  } cases[] = {
      {"UTF-16 lines",
       Utf16Le(L"on openScript\r\n  set tooltip \"\u0416\"\r\nfrob\r\nend openScript"),
       ":3: error: Can't understand 'frob'. [unknown-command]\n"},
      {"UTF-8 with a mark: an invalid byte",
       std::string(kUtf8Mark) + "on openScript\r\n  set tooltip \"\xD0\x96\xE9\"\r\nend openScript",
       ":2:17: warning: byte 0xE9 is not UTF-8, though the file is marked as UTF-8" + kReplaced},
      {"UTF-16: a lone surrogate after a pair, then half a character",
       Utf16Le(L"on openScript\na" + smile) + "\x3D\xD8" +
           EncodeText(L"b\nend openScript\r\n", TextEncoding::Utf16Le) + "x",
       ":2:3: warning: the lone surrogate 0xD83D is no UTF-16 character" + kReplaced +
           "FILE:2: error: Can't understand 'a" + EncodeText(smile, TextEncoding::Utf8) +
           "\xEF\xBF\xBD" + "b'. [unknown-command]\n" +
           "FILE:4:1: warning: the file ends in half a UTF-16 character" + kReplaced},
      {"UTF-8 without a mark", "on openScript\r\n  answer \"Zo\xC3\xAB\"\r\nend openScript",
       ":2:13: warning: the script is UTF-8 without a byte-order mark, which Velmora reads as "
       "UTF-8, but older tools (Notepad before Windows 10 among them) read it in the ANSI code "
       "page and show these characters as other letters; save it as \"UTF-8 with BOM\" to make "
       "it unambiguous [utf8-without-bom]\n"},
      {"UTF-8 and ANSI mixed",
       "on openScript\r\n  answer \"Zo\xC3\xAB\"\r\n  answer \"Gr\xFC\"\r\nend openScript",
       ":3:13: warning: byte 0xFC is not UTF-8, though line 2 holds UTF-8 characters: Velmora "
       "reads the whole script in the ANSI code page, so those characters show as other letters; "
       "save the script as UTF-8 throughout [mixed-encoding]\n"},
      {"ANSI alone",
       "on openScript\r\n  answer \"Gr\xFC\xDF"
       "e\"\r\nend openScript",
       ""},
  };
  for (const auto& c : cases) {
    const std::string file = Write("script.scp", c.bytes);
    std::ostringstream out;
    std::ostringstream err;
    RunCheck({false, false, {file}}, out, err);
    std::string rest = c.findings;
    for (std::size_t at; (at = rest.find("FILE")) != std::string::npos;) {
      rest.replace(at, 4, file);
    }
    EXPECT_EQ(out.str(), rest.empty() ? "" : file + rest) << c.name;
  }
}

TEST_F(Folder, CheckGivesTheColumnInJson) {
  const std::string file = Write("s.scp", "on openScript\r\nbeep \xC3\xBC\r\nend openScript\r\n");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunCheck({false, true, {file}}, out, err), kCheckClean);
  EXPECT_NE(out.str().find("\"line\": 2, \"column\": 6, \"severity\": \"warning\", \"code\": "
                           "\"utf8-without-bom\""),
            std::string::npos)
      << out.str();
}

// Plays Velmora's part: takes the dropped script and answers in the file its
// switch block names, as UTF-8 with a mark.
void AnswerDroppedQuestion(const std::filesystem::path& folder, std::wstring& asked) {
  std::filesystem::path dropped;
  WaitUntil(
      [&] {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
          if (entry.path().extension() == ".scp") {
            dropped = entry.path();
          }
        }
        return !dropped.empty();
      },
      30);
  asked = ScriptText(ReadBytes(dropped).value_or(""));
  const std::size_t name = asked.find(L"answers/");
  const std::wstring answer = asked.substr(name, asked.find(L'"', name) - name);
  std::ofstream(folder / answer, std::ios::binary) << std::string(kUtf8Mark) << "Yes\r\n";
  std::filesystem::remove(dropped);
}

TEST_F(Folder, AskCarriesTextTheCodePageCannotHold) {
  AskOptions options;
  options.folder = folder_;
  options.message = L"\u03A9 \u0416 \u65E5?";
  options.timeoutSeconds = 30;
  std::wstring asked;
  std::thread velmora(AnswerDroppedQuestion, folder_, std::ref(asked));
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunAsk(options, out, err);
  velmora.join();
  EXPECT_EQ(status, kAskYes) << err.str();
  EXPECT_EQ(out.str(), "Yes\n");
  EXPECT_NE(asked.find(L"answer question \"\u03A9 \u0416 \u65E5?\" with \"YesNo\""),
            std::wstring::npos);
}

TEST(AskScript, AnsiWhenTheCodePageHoldsItElseUtf8WithAMark) {
  for (const std::wstring& message : {std::wstring(L"Gr\u00FC\u00DF"), std::wstring(L"\u0416")}) {
    AskOptions options;
    options.message = message;
    std::wstring problem;
    const std::optional<std::wstring> script = AskScript(options, L"answers/a.txt", problem);
    ASSERT_TRUE(script) << problem;
    const std::string bytes = AskScriptBytes(*script);
    EXPECT_EQ(ScriptText(bytes), *script);
    EXPECT_EQ(bytes.rfind(kUtf8Mark, 0) == 0, message == L"\u0416");
  }
}

} // namespace
} // namespace velmora::ctl
