// The output file and the commands on files and programs: set outputFile,
// write, delete file, launch and goURL, with their failures.
#include <gtest/gtest.h>
#include <optional>
#include <tuple>

#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/run.hpp"
#include "script_trace.hpp"

namespace velmora::testing {
namespace {

void RunLines(Harness& h, const Texts& lines) {
  for (const std::wstring& line : lines) {
    ExecuteCommand(h.app, line);
  }
}

TEST(OutputFile, AnswersGoWhereTheLastSetOutputFileSays) {
  const std::pair<Texts, std::wstring> cases[] = {
      {{}, kOutput},
      {{L"set outputFile \"results\\answers.txt\""}, kAppFolder + L"results\\answers.txt"},
      {{L"SET THE OUTPUTFILE \"D:/out/a.txt\""}, L"D:\\out\\a.txt"},
      {{L"set outputFile \"../up.txt\""}, L"C:\\up.txt"},
      {{L"set outputFile \"a.txt\"", L"set outputFile \"\""}, kOutput},
  };
  for (const auto& [lines, path] : cases) {
    Harness h;
    h.fake.AddFolder(kAppFolder + L"results");
    h.fake.AddFolder(L"D:\\out");
    RunLines(h, lines);
    ExecuteCommand(h.app, L"answer \"Hi\"");
    EXPECT_EQ(h.fake.Contents(path), "OK\r\n") << path;
    EXPECT_EQ(h.fake.boxes.size(), 1u) << path;
  }
}

TEST(Write, AppendsTheExpandedTextToItsTarget) {
  struct Case {
    Texts lines;
    std::wstring path;
    std::string contents;
  };
  const Case cases[] = {
      {{L"write \"Done at %t%\""}, kOutput, "old\r\nDone at 9:41:07 AM\r\n"},
      {{L"WRITE \"a\\nb\" \"log.txt\""}, kAppFolder + L"log.txt", "a\r\nb\r\n"},
      {{L"write \"say \\'hi\\' \\^x\\^\" \"sub/f.txt\""},
       kAppFolder + L"sub\\f.txt",
       "say \"hi\" \"x\"\r\n"},
      {{L"set outputFile \"chosen.txt\"", L"write \"x\""}, kAppFolder + L"chosen.txt", "x\r\n"},
  };
  for (const Case& c : cases) {
    Harness h;
    h.fake.AddFile(kOutput, "old\r\n");
    h.fake.AddFolder(kAppFolder + L"sub");
    h.app.LastResult = L"kept";
    RunLines(h, c.lines);
    EXPECT_EQ(h.fake.Contents(c.path), c.contents) << c.lines.back();
    EXPECT_TRUE(h.fake.boxes.empty()) << c.lines.back();
    EXPECT_EQ(h.app.LastResult, L"kept");
  }
  // Writing to the default output file does not make it the chosen one.
  Harness h;
  ExecuteCommand(h.app, L"write \"x\"");
  EXPECT_EQ(h.app.OutputFile, L"");
}

TEST(Delete, RemovesEveryFileItsPatternSelects) {
  const std::pair<const wchar_t*, Texts> cases[] = {
      {L"delete file \"*.txt\"", {L"c.log", L"sub\\d.txt"}},
      {L"Delete File \"?.LOG\"", {L"a.txt", L"b.txt", L"sub\\d.txt"}},
      {L"delete file \"sub/*\"", {L"a.txt", L"b.txt", L"c.log"}},
      {L"delete \"a.txt\"", {L"a.txt", L"b.txt", L"c.log", L"sub\\d.txt"}},
  };
  for (const auto& [line, kept] : cases) {
    Harness h;
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.log", L"sub\\d.txt"}) {
      h.fake.AddFile(kAppFolder + name, "x");
    }
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    Texts remaining;
    for (const std::wstring& path : h.fake.FileNames()) {
      remaining.push_back(path.substr(kAppFolder.size()));
    }
    EXPECT_EQ(remaining, kept) << line;
    EXPECT_TRUE(h.fake.boxes.empty()) << line;
  }
}

TEST(Delete, APatternTakesOnlyWhatTheUserSees) {
  Harness h;
  for (const wchar_t* name :
       {L"a.txt", L"report.txtx", L"notes.txt~", L"secret.txt", L"boot.ini.txt", L"keep.log"}) {
    h.fake.AddFile(kAppFolder + name, "x");
  }
  h.fake.AddFolder(kAppFolder + L"folder.txt");
  h.fake.File(kAppFolder + L"secret.txt")->hidden = true;
  h.fake.File(kAppFolder + L"boot.ini.txt")->system = true;
  // Windows's own search also takes report.txtx and notes.txt~ (short names
  // REPORT~1.TXT and NOTES~1.TXT) and the hidden and system files.
  ASSERT_EQ(h.fake.FindFiles(kAppFolder + L"*.txt").size(), 6u);
  EXPECT_EQ(ExecuteCommand(h.app, L"delete file \"*.txt\""), CommandResult::Ok);
  EXPECT_TRUE(h.fake.boxes.empty());
  Texts remaining;
  for (const std::wstring& path : h.fake.FileNames()) {
    remaining.push_back(path.substr(kAppFolder.size()));
  }
  EXPECT_EQ(remaining,
            (Texts{L"report.txtx", L"notes.txt~", L"secret.txt", L"boot.ini.txt", L"keep.log"}));
  EXPECT_TRUE(h.fake.Exists(kAppFolder + L"folder.txt"));

  // A pattern that only hidden files or short names match is a missing file.
  for (const wchar_t* line : {L"delete file \"secret.*\"", L"delete file \"*.txt\""}) {
    h.fake.boxes.clear();
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    EXPECT_EQ(h.BoxTexts(),
              Texts{L"Can't understand 'delete' command. File <filePath> does not exist."})
        << line;
  }
  EXPECT_EQ(h.fake.FileNames().size(), 5u);
}

TEST(Delete, FilesThatCannotGoAreReportedAndTheRestAreDeleted) {
  Harness h;
  h.fake.AddFile(kAppFolder + L"a.tmp", "x");
  h.fake.AddFile(kAppFolder + L"b.tmp", "in use");
  h.fake.AddFile(kAppFolder + L"c.tmp", "x");
  h.fake.File(kAppFolder + L"b.tmp")->inUse = true;
  EXPECT_EQ(ExecuteCommand(h.app, L"delete file \"*.tmp\""), CommandResult::Error);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't delete file 'C:\\App\\*.tmp'."});
  EXPECT_EQ(h.fake.FileNames(), Texts{kAppFolder + L"b.tmp"});
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"b.tmp"), "in use");
}

TEST(Launch, AFileParameterAlwaysArrivesAsOneArgument) {
  const std::wstring tool = L"\"C:\\App\\tool.exe\" ";
  const std::wstring spaced = L"D:\\Long Folder\\data file.txt";
  struct Case {
    const wchar_t* parameter;
    bool shortNamesOnD;
    bool lookupFails;
    std::wstring passed;
  };
  const Case cases[] = {
      // A volume without short names gives back the long path: quoted.
      {L"D:\\Long Folder\\data file.txt", false, false, L"\"" + spaced + L"\""},
      {L"D:\\plain.txt", false, false, L"D:\\plain.txt"},
      {L"D:\\Long Folder\\data file.txt", true, false, L"D:\\LONGFO~1\\DATAFI~1.TXT"},
      // A failed lookup passes the name as written, quoted, never nothing.
      {L"D:\\Long Folder\\data file.txt", true, true, L"\"" + spaced + L"\""},
      {L"D:\\plain.txt", true, true, L"\"D:\\plain.txt\""},
      // Text that names no file is passed as written, as several arguments.
      {L"-v x", true, false, L"-v x"},
  };
  for (const Case& c : cases) {
    Harness h;
    h.fake.AddFile(L"C:\\App\\tool.exe", "x");
    h.fake.AddFile(L"C:\\App\\notes.txt", "x");
    h.fake.AddFile(spaced, "x");
    h.fake.AddFile(L"D:\\plain.txt", "x");
    if (!c.shortNamesOnD) {
      h.fake.drivesWithoutShortNames = {L"d:"};
    }
    h.fake.shortPathNameFails = c.lookupFails;
    const std::wstring with = L" with \"" + std::wstring(c.parameter) + L"\"";
    EXPECT_EQ(ExecuteCommand(h.app, L"launch \"tool.exe\"" + with), CommandResult::Ok);
    EXPECT_EQ(ExecuteCommand(h.app, L"launch \"notes.txt\"" + with), CommandResult::Ok);
    EXPECT_EQ(h.fake.processes, Texts{tool + c.passed}) << c.parameter;
    ASSERT_EQ(h.fake.shellOpens.size(), 1u);
    EXPECT_EQ(h.fake.shellOpens[0].second, c.passed) << c.parameter;
    EXPECT_TRUE(h.fake.boxes.empty()) << c.parameter;
  }
}

TEST(Launch, ProgramsStartQuotedAndEverythingElseOpensInTheShell) {
  using ShellOpen = std::pair<std::wstring, std::optional<std::wstring>>;
  const std::wstring tool = L"\"C:\\App\\tool.exe\"";
  const std::tuple<const wchar_t*, Texts, std::vector<ShellOpen>> cases[] = {
      {L"launch \"tool.exe\"", {tool}, {}},
      {L"LAUNCH \"Long Folder\\app.EXE\" with \"-v x\"",
       {L"\"C:\\App\\Long Folder\\app.EXE\" -v x"},
       {}},
      // An existing file as the parameter goes in its short form.
      {L"launch \"tool.exe\" with \"C:\\Long Folder Name\\data file.txt\"",
       {tool + L" C:\\LONGFO~1\\DATAFI~1.TXT"},
       {}},
      {L"launch \"tool.exe\" With \"x\"", {tool}, {}},
      {L"launch \"tool.exe\" with \"\"", {tool}, {}},
      {L"launch \"readme.TXT\"", {}, {{kAppFolder + L"readme.TXT", std::nullopt}}},
      {L"launch \"readme.TXT\" with \"/p\"", {}, {{kAppFolder + L"readme.TXT", L"/p"}}},
      {L"goURL \"http://example.com/a?b=%d%\"",
       {},
       {{L"http://example.com/a?b=%d%", std::nullopt}}},
  };
  for (const auto& [line, processes, opens] : cases) {
    Harness h;
    for (const wchar_t* path : {L"C:\\App\\tool.exe", L"C:\\App\\Long Folder\\app.EXE",
                                L"C:\\App\\readme.TXT", L"C:\\Long Folder Name\\data file.txt"}) {
      h.fake.AddFile(path, "x");
    }
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_EQ(h.fake.processes, processes) << line;
    EXPECT_EQ(h.fake.shellOpens, opens) << line;
    EXPECT_TRUE(h.fake.boxes.empty()) << line;
  }
}

TEST(FileCommands, FailuresAreReportedAndTheHandlerStops) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"write", L"Can't understand 'write' command."},
      {L"write \"x\" \"\"", L"Can't write to file 'C:\\App\\'."},
      {L"write \"x\" \"nofolder\\f.txt\"", L"Can't write to file 'C:\\App\\nofolder\\f.txt'."},
      {L"write \"x\" \"locked.txt\"", L"Can't write to file 'C:\\App\\locked.txt'."},
      {L"set outputFile", L"Can't understand 'set outputFile' command."},
      {L"delete file", L"Can't understand 'delete' command."},
      {L"delete file \"nothere.txt\"",
       L"Can't understand 'delete' command. File <filePath> does not exist."},
      {L"delete file \"locked.txt\"", L"Can't delete file 'C:\\App\\locked.txt'."},
      {L"launch", L"Can't understand 'launch' command."},
      {L"launch \"tool.exe\" with", L"Can't understand 'launch' command."},
      {L"launch \"tool.exe\" with x", L"Can't understand 'launch' command."},
      {L"launch \"gone.exe\"",
       L"Can't understand 'launch' command. (File 'gone.exe' does not exist.)"},
      {L"launch \"broken.exe\"", L"Can't launch 'C:\\App\\broken.exe'."},
      {L"goURL address", L"Can't understand 'goURL' command."},
  };
  for (const auto& [line, message] : cases) {
    Harness h;
    h.fake.AddFile(kAppFolder + L"locked.txt", "kept");
    h.fake.File(kAppFolder + L"locked.txt")->readOnly = true;
    h.fake.AddFile(kAppFolder + L"tool.exe", "x");
    h.fake.AddFile(kAppFolder + L"broken.exe", "x");
    h.fake.processStartSucceeds = false;
    const std::wstring slot =
        Script({L"on x", L"set tooltip \"before\"", line, L"set tooltip \"after\"", L"end x"});
    EXPECT_EQ(RunHandler(h.app, slot, L"x", Mode::Optional), RunResult::Error) << line;
    EXPECT_EQ(h.BoxTexts(), Texts{message}) << line;
    EXPECT_EQ(h.fake.boxes[0].caption, L"Parsing Error") << line;
    EXPECT_EQ(Tips(h.fake), Texts{L"before"}) << line;
    EXPECT_EQ(h.fake.Contents(kAppFolder + L"locked.txt"), "kept") << line;
    EXPECT_TRUE(h.fake.shellOpens.empty()) << line;
    EXPECT_EQ(h.fake.closePosts, 0) << line;
  }
}

TEST(WriteOutput, AnAnswerThatCannotBeWrittenIsReportedOnceAndStillSwitches) {
  const std::pair<const wchar_t*, std::wstring> cases[] = {
      {L"set outputFile \"nofolder\\out.txt\"", kAppFolder + L"nofolder\\out.txt"},
      {L"set outputFile \"locked.txt\"", kAppFolder + L"locked.txt"},
      {L"set outputFile \"busy.txt\"", kAppFolder + L"busy.txt"},
  };
  for (const auto& [setLine, path] : cases) {
    Harness h;
    h.fake.AddFile(kAppFolder + L"locked.txt", "");
    h.fake.File(kAppFolder + L"locked.txt")->readOnly = true;
    h.fake.AddFile(kAppFolder + L"busy.txt", "");
    h.fake.File(kAppFolder + L"busy.txt")->inUse = true;
    h.fake.answers = {kButtonNo};
    const std::wstring slot = Script(
        {L"on x", setLine, L"answer \"Save?\" with \"YesNo\"", L"switch result", L"case \"Yes\"",
         L"set tooltip \"yes\"", L"case \"No\"", L"set tooltip \"no\"", L"end switch", L"end x"});
    EXPECT_EQ(RunHandler(h.app, slot, L"x", Mode::Optional), RunResult::Ok) << path;
    EXPECT_EQ(h.BoxTexts(), (Texts{L"Save?", L"Can't write to file '" + path + L"'."}));
    EXPECT_EQ(h.fake.boxes[1].caption, L"Parsing Error");
    EXPECT_EQ(h.app.LastResult, L"No");
    EXPECT_EQ(Tips(h.fake), Texts{L"no"}) << path;
    EXPECT_EQ(h.fake.Contents(path), "") << path;
  }
}

} // namespace
} // namespace velmora::testing
