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

// The files left in the application folder, without the folder.
Texts Remaining(const Harness& h) {
  Texts names;
  for (const std::wstring& path : h.fake.FileNames()) {
    names.push_back(path.substr(kAppFolder.size()));
  }
  return names;
}

TEST(OutputFile, AnswersAndWritesGoWhereTheLastSetOutputFileSays) {
  const std::pair<Texts, std::wstring> cases[] = {
      {{}, kOutput},
      {{L"set outputFile \"results\\answers.txt\""}, kAppFolder + L"results\\answers.txt"},
      {{L"SET THE OUTPUTFILE \"D:/out/a.txt\""}, L"D:\\out\\a.txt"},
      {{L"set outputFile \"../up.txt\""}, L"C:\\up.txt"},
      {{L"set outputFile \"a.txt\"", L"set outputFile \"\""}, kOutput}};
  for (const auto& [lines, path] : cases) {
    Harness h;
    h.fake.AddFolder(kAppFolder + L"results");
    h.fake.AddFolder(L"D:\\out");
    for (const std::wstring& line : lines) {
      ExecuteCommand(h.app, line);
    }
    ExecuteCommand(h.app, L"answer \"Hi\"");
    ExecuteCommand(h.app, L"write \"x\"");
    EXPECT_EQ(h.fake.Contents(path), "OK\r\nx\r\n") << path;
    EXPECT_EQ(h.fake.boxes.size(), 1u) << path;
  }
  Harness h;
  ExecuteCommand(h.app, L"write \"x\"");
  EXPECT_EQ(h.app.OutputFile, L"") << "writing to the default output file does not choose it";
}

TEST(Write, AppendsTheExpandedTextToItsTarget) {
  const std::tuple<const wchar_t*, std::wstring, const char*> cases[] = {
      {L"write \"Done at %t%\"", kOutput, "old\r\nDone at 9:41:07 AM\r\n"},
      {L"WRITE \"a\\nb\" \"log.txt\"", kAppFolder + L"log.txt", "a\r\nb\r\n"},
      {L"write \"say \\'hi\\' \\^x\\^\" \"sub/f.txt\"", kAppFolder + L"sub\\f.txt",
       "say \"hi\" \"x\"\r\n"}};
  for (const auto& [line, path, contents] : cases) {
    Harness h;
    h.fake.AddFile(kOutput, "old\r\n");
    h.fake.AddFolder(kAppFolder + L"sub");
    h.app.LastResult = L"kept";
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_EQ(h.fake.Contents(path), contents) << line;
    EXPECT_TRUE(h.fake.boxes.empty()) << line;
    EXPECT_EQ(h.app.LastResult, L"kept");
  }
}

TEST(Delete, RemovesEveryFileItsPatternSelects) {
  const std::pair<const wchar_t*, Texts> cases[] = {
      {L"delete file \"*.txt\"", {L"c.log", L"sub\\d.txt"}},
      {L"Delete File \"?.LOG\"", {L"a.txt", L"b.txt", L"sub\\d.txt"}},
      {L"delete file \"sub/*\"", {L"a.txt", L"b.txt", L"c.log"}},
      {L"delete \"a.txt\"", {L"a.txt", L"b.txt", L"c.log", L"sub\\d.txt"}}};
  for (const auto& [line, kept] : cases) {
    Harness h;
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.log", L"sub\\d.txt"}) {
      h.fake.AddFile(kAppFolder + name, "x");
    }
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_EQ(Remaining(h), kept) << line;
    EXPECT_TRUE(h.fake.boxes.empty()) << line;
  }
}

// Windows's own search for *.txt also takes report.txtx and notes.txt~ (by
// their short names REPORT~1.TXT and NOTES~1.TXT) and hidden and system
// files; a pattern that only those match is a missing file.
TEST(Delete, APatternTakesOnlyWhatTheUserSees) {
  Harness h;
  for (const wchar_t* name :
       {L"a.txt", L"report.txtx", L"notes.txt~", L"secret.txt", L"boot.ini.txt", L"keep.log"}) {
    h.fake.AddFile(kAppFolder + name, "x");
  }
  h.fake.AddFolder(kAppFolder + L"folder.txt");
  h.fake.File(kAppFolder + L"secret.txt")->hidden = true;
  h.fake.File(kAppFolder + L"boot.ini.txt")->system = true;
  ASSERT_EQ(h.fake.FindFiles(kAppFolder + L"*.txt").size(), 6u);
  EXPECT_EQ(ExecuteCommand(h.app, L"delete file \"*.txt\""), CommandResult::Ok);
  for (const wchar_t* line : {L"delete file \"secret.*\"", L"delete file \"*.txt\""}) {
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
  }
  EXPECT_EQ(h.BoxTexts(), Texts(2, L"Can't understand 'delete' command. File <filePath> does not "
                                   L"exist."));
  EXPECT_EQ(Remaining(h),
            (Texts{L"report.txtx", L"notes.txt~", L"secret.txt", L"boot.ini.txt", L"keep.log"}));
  EXPECT_TRUE(h.fake.Exists(kAppFolder + L"folder.txt"));

  // A file in use is reported and stays whole; the rest are deleted.
  Harness b;
  for (const wchar_t* name : {L"a.tmp", L"b.tmp", L"c.tmp"}) {
    b.fake.AddFile(kAppFolder + name, "in use");
  }
  b.fake.File(kAppFolder + L"b.tmp")->inUse = true;
  EXPECT_EQ(ExecuteCommand(b.app, L"delete file \"*.tmp\""), CommandResult::Error);
  EXPECT_EQ(b.BoxTexts(), Texts{L"Can't delete file 'C:\\App\\*.tmp'."});
  EXPECT_EQ(Remaining(b), Texts{L"b.tmp"});
  EXPECT_EQ(b.fake.Contents(kAppFolder + L"b.tmp"), "in use");
}

// A file parameter always arrives as one argument: a volume without short
// names gives the long path back, which goes quoted, and a failed lookup
// passes the name as written, quoted, never nothing. Text that names no file
// goes as written.
TEST(Launch, AFileParameterAlwaysArrivesAsOneArgument) {
  const std::wstring spaced = L"D:\\Long Folder\\data file.txt";
  const std::tuple<std::wstring, bool, bool, std::wstring> cases[] = {
      {spaced, false, false, L"\"" + spaced + L"\""},
      {L"D:\\plain.txt", false, false, L"D:\\plain.txt"},
      {spaced, true, false, L"D:\\LONGFO~1\\DATAFI~1.TXT"},
      {spaced, true, true, L"\"" + spaced + L"\""},
      {L"D:\\plain.txt", true, true, L"\"D:\\plain.txt\""},
      {L"-v x", true, false, L"-v x"}};
  for (const auto& [parameter, shortNamesOnD, lookupFails, passed] : cases) {
    SCOPED_TRACE(parameter);
    Harness h;
    for (const std::wstring& path : {kAppFolder + L"tool.exe", kAppFolder + L"notes.txt", spaced,
                                     std::wstring(L"D:\\plain.txt")}) {
      h.fake.AddFile(path, "x");
    }
    h.fake.drivesWithoutShortNames.assign(shortNamesOnD ? 0 : 1, L"d:");
    h.fake.shortPathNameFails = lookupFails;
    EXPECT_EQ(ExecuteCommand(h.app, L"launch \"tool.exe\" with \"" + parameter + L"\""),
              CommandResult::Ok);
    EXPECT_EQ(ExecuteCommand(h.app, L"launch \"notes.txt\" with \"" + parameter + L"\""),
              CommandResult::Ok);
    EXPECT_EQ(h.fake.processes, Texts{L"\"C:\\App\\tool.exe\" " + passed});
    ASSERT_EQ(h.fake.shellOpens.size(), 1u);
    EXPECT_EQ(h.fake.shellOpens[0].second, passed);
    EXPECT_TRUE(h.fake.boxes.empty());
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
       {{L"http://example.com/a?b=%d%", std::nullopt}}}};
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

// Each failure is reported once, stops the handler and leaves a read-only
// file as it was.
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
      {L"goURL address", L"Can't understand 'goURL' command."}};
  for (const auto& [line, message] : cases) {
    SCOPED_TRACE(line);
    Harness h;
    h.fake.AddFile(kAppFolder + L"locked.txt", "kept");
    h.fake.File(kAppFolder + L"locked.txt")->readOnly = true;
    h.fake.AddFile(kAppFolder + L"tool.exe", "x");
    h.fake.AddFile(kAppFolder + L"broken.exe", "x");
    h.fake.processStartSucceeds = false;
    EXPECT_EQ(RunHandler(h.app,
                         Block(L"x", {L"set tooltip \"before\"", line, L"set tooltip \"after\""}),
                         L"x", Mode::Optional),
              RunResult::Error);
    EXPECT_EQ(h.BoxTexts(), Texts{message});
    EXPECT_EQ(h.Captions(), Texts{L"Parsing Error"});
    EXPECT_EQ(Tips(h.fake), Texts{L"before"});
    EXPECT_EQ(h.fake.Contents(kAppFolder + L"locked.txt"), "kept");
    EXPECT_TRUE(h.fake.shellOpens.empty());
    EXPECT_EQ(h.fake.closePosts, 0);
  }
}

// An answer that cannot be written is reported once, the file is left as it
// was, and the switch after it still runs.
TEST(WriteOutput, AnAnswerThatCannotBeWrittenIsReportedOnceAndStillSwitches) {
  for (const std::wstring name : {L"nofolder\\out.txt", L"locked.txt", L"busy.txt"}) {
    SCOPED_TRACE(name);
    Harness h;
    h.fake.AddFile(kAppFolder + L"locked.txt", "");
    h.fake.File(kAppFolder + L"locked.txt")->readOnly = true;
    h.fake.AddFile(kAppFolder + L"busy.txt", "");
    h.fake.File(kAppFolder + L"busy.txt")->inUse = true;
    h.fake.answers = {kButtonNo};
    EXPECT_EQ(RunHandler(h.app,
                         Block(L"x", {L"set outputFile \"" + name + L"\"",
                                      L"answer \"Save?\" with \"YesNo\"", L"switch result",
                                      L"case \"Yes\"", L"set tooltip \"yes\"", L"case \"No\"",
                                      L"set tooltip \"no\"", L"end switch"}),
                         L"x", Mode::Optional),
              RunResult::Ok);
    EXPECT_EQ(h.BoxTexts(),
              (Texts{L"Save?", L"Can't write to file '" + kAppFolder + name + L"'."}));
    EXPECT_EQ(h.Captions()[1], L"Parsing Error");
    EXPECT_EQ(h.app.LastResult, L"No");
    EXPECT_EQ(Tips(h.fake), Texts{L"no"});
    EXPECT_EQ(h.fake.Contents(kAppFolder + name), "");
  }
}

} // namespace
} // namespace velmora::testing
