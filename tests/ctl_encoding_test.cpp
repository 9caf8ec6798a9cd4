// velmoractl and encodings: check places its findings in the decoded text
// and warns about scripts read other than meant; ask carries any text.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "base/encoding.hpp"
#include "ctl/ask.hpp"
#include "ctl/check_command.hpp"
#include "ctl/drop.hpp"
#include "ctl/script_file.hpp"
#include "ctl_output.hpp"

namespace velmora::ctl {
namespace {

// A folder of the test's own, removed after it.
class Folder : public ::testing::Test {
protected:
  Folder() { std::filesystem::create_directories(folder_); }
  ~Folder() override { std::filesystem::remove_all(folder_); }

  // check's findings on a script of these bytes, FILE standing for its path.
  std::string Check(const std::string& bytes, bool json = false) {
    const std::string file = (folder_ / "script.scp").string();
    std::ofstream(file, std::ios::binary) << bytes;
    TextOutput out, err;
    status_ = RunCheck({false, json, {file}}, out, err);
    std::string findings = out.str();
    for (std::size_t at; (at = findings.find(file)) != std::string::npos;) {
      findings.replace(at, file.size(), "FILE");
    }
    return findings;
  }

  const std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() / UniqueName("velmoractl-encoding");
  int status_ = -1;
};

TEST_F(Folder, CheckPlacesFindingsInTheDecodedLines) {
  const std::wstring smile{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  const std::string replaced =
      ", so Velmora shows the replacement character U+FFFD in its place [invalid-byte]\n";
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"UTF-8 with a mark: an invalid byte",
       std::string(kUtf8Mark) + "on openScript\r\n  set tooltip \"\xD0\x96\xE9\"\r\nend openScript",
       "FILE:2:17: warning: byte 0xE9 is not UTF-8, though the file is marked as UTF-8" + replaced},
      {"UTF-16: a lone surrogate after a pair, then half a character",
       std::string(kUtf16LeMark) + EncodeText(L"on openScript\na" + smile, TextEncoding::Utf16Le) +
           "\x3D\xD8" + EncodeText(L"b\nend openScript\r\n", TextEncoding::Utf16Le) + "x",
       "FILE:2:3: warning: the lone surrogate 0xD83D is no UTF-16 character" + replaced +
           "FILE:2: error: Can't understand 'a\xF0\x9F\x98\x80\xEF\xBF\xBD" +
           "b'. [unknown-command]\n" +
           "FILE:4:1: warning: the file ends in half a UTF-16 character" + replaced},
      {"UTF-8 without a mark", "on openScript\r\n  answer \"Zo\xC3\xAB\"\r\nend openScript",
       "FILE:2:13: warning: the script is UTF-8 without a byte-order mark, which Velmora reads as "
       "UTF-8, but older tools (Notepad before Windows 10 among them) read it in the ANSI code "
       "page and show these characters as other letters; save it as \"UTF-8 with BOM\" to make "
       "it unambiguous [utf8-without-bom]\n"},
      {"UTF-8 and ANSI mixed",
       "on openScript\r\n  answer \"Zo\xC3\xAB\"\r\n  answer \"Gr\xFC\"\r\nend openScript",
       "FILE:3:13: warning: byte 0xFC is not UTF-8, though line 2 holds UTF-8 characters: Velmora "
       "reads the whole script in the ANSI code page, so those characters show as other letters; "
       "save the script as UTF-8 throughout [mixed-encoding]\n"},
      {"ANSI alone", "on openScript\r\n  answer \"Gr\xFC\xDF\x65\"\r\nend openScript", ""},
  };
  for (const auto& [name, bytes, findings] : cases) {
    EXPECT_EQ(Check(bytes), findings) << name;
  }
  EXPECT_NE(
      Check("on openScript\r\nbeep \xC3\xBC\r\nend openScript\r\n", true)
          .find(R"("line": 2, "column": 6, "severity": "warning", "code": "utf8-without-bom")"),
      std::string::npos)
      << "the column in JSON";
  EXPECT_EQ(status_, kCheckClean);
}

TEST_F(Folder, AskCarriesTextTheCodePageCannotHold) {
  // Plays Velmora's part: answers in the file the dropped script names, as
  // UTF-8 with a mark.
  std::thread velmora([this] {
    std::wstring script;
    const auto dropped = [&] {
      for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
        if (entry.path().extension() == ".scp") {
          script = ScriptText(ReadFileBytes(entry.path()).value_or(""));
        }
      }
      return !script.empty();
    };
    ASSERT_TRUE(WaitUntil(dropped, 30));
    const std::size_t at = script.find(L"answers/");
    std::ofstream(folder_ / script.substr(at, script.find(L'"', at) - at), std::ios::binary)
        << kUtf8Mark << "Yes\r\n";
  });
  TextOutput out, err;
  EXPECT_EQ(RunAsk({folder_, L"question", L"YesNo", L"", 30, L"\u0416?"}, out, err), kAskYes)
      << err.str();
  velmora.join();
  EXPECT_EQ(out.str(), "Yes\n");
}

TEST(AskScript, AnsiWhenTheCodePageHoldsItElseUtf8WithAMark) {
  for (const std::wstring message : {L"Gr\u00FC\u00DF", L"\u03A9 \u0416 \u65E5?"}) {
    AskOptions options;
    options.message = message;
    std::wstring problem;
    const std::optional<std::wstring> script = AskScript(options, L"answers/a.txt", problem);
    ASSERT_TRUE(script) << problem;
    EXPECT_NE(script->find(L"answer question \"" + message + L"\" with \"YesNo\""),
              std::wstring::npos);
    const std::string bytes = AskScriptBytes(*script);
    EXPECT_EQ(ScriptText(bytes), *script);
    EXPECT_EQ(bytes.rfind(kUtf8Mark, 0) == 0, message != L"Gr\u00FC\u00DF") << message;
  }
}

} // namespace
} // namespace velmora::ctl
