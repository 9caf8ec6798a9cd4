// The answer box, the output file and the commands on files and programs: answer, set outputFile,
// write, delete file, launch and goURL, with their failures.
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <tuple>

#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/run.hpp"

namespace velmora::testing {
namespace {

// A folder with every file the commands below work on, and the output file. Windows's own search
// for *.txt also takes report.txtx and notes.txt~ (by their short names REPORT~1.TXT and
// NOTES~1.TXT), hidden and system files and the folder folder.txt, which are no files the user
// deletes.
struct Folder : Harness {
  Folder() {
    for (const wchar_t* name :
         {L"a.txt", L"b.txt", L"c.log", L"sub\\d.txt", L"tool.exe", L"broken.exe", L"readme.TXT",
          L"Long Folder\\app.EXE", L"locked.dat", L"free.dat", L"report.txtx", L"notes.txt~",
          L"secret.txt", L"boot.ini.txt"}) {
      fake.AddFile(kAppFolder + name, "x");
    }
    fake.File(kAppFolder + L"secret.txt")->hidden = true;
    fake.File(kAppFolder + L"boot.ini.txt")->system = true;
    fake.AddFile(kOutput, "old\r\n");
    fake.AddFile(L"C:\\Long Folder Name\\data file.txt", "x");
    fake.AddFolder(kAppFolder + L"results");
    fake.AddFolder(kAppFolder + L"folder.txt");
    fake.AddFolder(L"D:\\out");
    fake.File(kAppFolder + L"locked.dat")->readOnly = true;
    fake.AddFile(kAppFolder + L"busy.dat", "");
    fake.File(kAppFolder + L"busy.dat")->inUse = true;
    app.LastResult = L"kept";
  }

  // Runs the lines as a handler and tells what followed, fact by fact: each box, program started
  // and shell open, the result if it changed, each file written or deleted, and whether the handler
  // stopped or the program quit.
  std::wstring Run(const std::wstring& lines) {
    std::map<std::wstring, std::string> before;
    for (const std::wstring& path : fake.FileNames()) {
      before[path] = fake.Contents(path);
    }
    const RunResult result =
        RunHandler(app, L"on x\r\n" + lines + L"\r\nend x", L"x", Mode::Optional);
    std::wstring seen = result == RunResult::Error ? L"stopped; " : L"";
    for (const auto& box : fake.boxes) {
      seen += box.caption + L": " + box.text + L"; ";
    }
    for (const std::wstring& process : fake.processes) {
      seen += L"start " + process + L"; ";
    }
    for (const auto& [target, parameters] : fake.shellOpens) {
      seen += L"open " + target + (parameters ? L" " + *parameters : L"") + L"; ";
    }
    seen += app.LastResult == L"kept" ? L"" : L"result " + app.LastResult + L"; ";
    for (const std::wstring& path : fake.FileNames()) {
      const std::string now = fake.Contents(path);
      const bool inFolder = path.rfind(kAppFolder, 0) == 0;
      if (before.count(path) == 0 || before[path] != now) {
        seen += path.substr(inFolder ? kAppFolder.size() : 0) + L" = " +
                std::wstring(now.begin(), now.end()) + L"; ";
      }
      before.erase(path);
    }
    for (const auto& [path, contents] : before) {
      seen += path.substr(kAppFolder.size()) + L" deleted; ";
    }
    return seen + (fake.closePosts ? L"quit" : L"");
  }
};

// Answers and writes go where the last set outputFile says ("" brings the default back) and writes
// expand their text; a pattern deletes every file it selects that the user sees; programs start
// quoted, with an existing file as the parameter in its short form, and everything else opens in
// the shell.
TEST(FileCommands, WhatEachLineDoes) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"answer \"Hi\"\r\nwrite \"x\"", L": Hi; result OK; output.txt = old\r\nOK\r\nx\r\n; "},
      {L"set outputFile \"results\\answers.txt\"\r\nanswer \"Hi\"\r\nwrite \"x\"",
       L": Hi; result OK; results\\answers.txt = OK\r\nx\r\n; "},
      {L"SET THE OUTPUTFILE \"D:/out/a.txt\"\r\nanswer \"Hi\"\r\nwrite \"x\"",
       L": Hi; result OK; D:\\out\\a.txt = OK\r\nx\r\n; "},
      {L"set outputFile \"../up.txt\"\r\nanswer \"Hi\"\r\nwrite \"x\"",
       L": Hi; result OK; C:\\up.txt = OK\r\nx\r\n; "},
      {L"set outputFile \"a.txt\"\r\nset outputFile \"\"\r\nanswer \"Hi\"\r\nwrite \"x\"",
       L": Hi; result OK; output.txt = old\r\nOK\r\nx\r\n; "},
      {L"write \"Done at %t%\"", L"output.txt = old\r\nDone at 9:41:07 AM\r\n; "},
      {L"WRITE \"a\\nb\" \"log.txt\"", L"log.txt = a\r\nb\r\n; "},
      {L"write \"say \\'hi\\' \\^x\\^\" \"sub/f.txt\"", L"sub\\f.txt = say \"hi\" \"x\"\r\n; "},
      {L"delete file \"*.txt\"",
       L"a.txt deleted; b.txt deleted; output.txt deleted; readme.TXT deleted; "},
      {L"Delete File \"?.LOG\"", L"c.log deleted; "},
      {L"delete file \"sub/*\"", L"sub\\d.txt deleted; "},
      {L"delete \"a.txt\"", L""},
      {L"launch \"tool.exe\"", L"start \"C:\\App\\tool.exe\"; "},
      {L"LAUNCH \"Long Folder\\app.EXE\" with \"-v x\"",
       L"start \"C:\\App\\Long Folder\\app.EXE\" -v x; "},
      {L"launch \"tool.exe\" with \"C:\\Long Folder Name\\data file.txt\"",
       L"start \"C:\\App\\tool.exe\" C:\\LONGFO~1\\DATAFI~1.TXT; "},
      {L"launch \"tool.exe\" With \"x\"", L"start \"C:\\App\\tool.exe\"; "},
      {L"launch \"tool.exe\" with \"\"", L"start \"C:\\App\\tool.exe\"; "},
      {L"launch \"readme.TXT\"", L"open C:\\App\\readme.TXT; "},
      {L"launch \"readme.TXT\" with \"/p\"", L"open C:\\App\\readme.TXT /p; "},
      {L"goURL \"http://example.com/a?b=%d%\"", L"open http://example.com/a?b=%d%; "}};
  for (const auto& [lines, seen] : cases) {
    EXPECT_EQ(Folder().Run(lines), seen) << lines;
  }
  Harness h;
  ExecuteCommand(h.app, L"write \"x\"");
  EXPECT_EQ(h.app.OutputFile, L"") << "writing to the default output file does not choose it";
}

// Each failure is reported as a parsing error, stops the handler and changes no file.
TEST(FileCommands, FailuresAreReportedAndTheHandlerStops) {
  const wchar_t* kNoFile = L"Can't understand 'delete' command. File <filePath> does not exist.";
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"write", L"Can't understand 'write' command."},
      {L"write \"x\" \"\"", L"Can't write to file 'C:\\App\\'."},
      {L"write \"x\" \"nofolder\\f.txt\"", L"Can't write to file 'C:\\App\\nofolder\\f.txt'."},
      {L"write \"x\" \"locked.dat\"", L"Can't write to file 'C:\\App\\locked.dat'."},
      {L"set outputFile", L"Can't understand 'set outputFile' command."},
      {L"delete file", L"Can't understand 'delete' command."},
      // A pattern that only files the user does not see match is a missing file.
      {L"delete file \"nothere.txt\"", kNoFile},
      {L"delete file \"secret.*\"", kNoFile},
      {L"delete file \"repor*.txt\"", kNoFile},
      {L"delete file \"boot*.txt\"", kNoFile},
      {L"delete file \"locked.dat\"", L"Can't delete file 'C:\\App\\locked.dat'."},
      // Files that cannot go are reported and stay whole; the rest are deleted.
      {L"delete file \"*.dat\"", L"Can't delete file 'C:\\App\\*.dat'.; free.dat deleted"},
      {L"launch", L"Can't understand 'launch' command."},
      {L"launch \"tool.exe\" with", L"Can't understand 'launch' command."},
      {L"launch \"tool.exe\" with x", L"Can't understand 'launch' command."},
      {L"launch \"gone.exe\"",
       L"Can't understand 'launch' command. (File 'gone.exe' does not exist.)"},
      {L"launch \"broken.exe\"",
       L"Can't launch 'C:\\App\\broken.exe'.; start \"C:\\App\\broken.exe\""},
      {L"goURL address", L"Can't understand 'goURL' command."}};
  for (const auto& [line, message] : cases) {
    Folder h;
    h.fake.processStartSucceeds = false;
    EXPECT_EQ(h.Run(line + std::wstring(L"\r\nwrite \"after\"")),
              L"stopped; Parsing Error: " + std::wstring(message) + L"; ")
        << line;
  }
}

// A file parameter always arrives as one argument: a volume without short names gives the long path
// back, which goes quoted, and a failed lookup passes the name as written, quoted, never nothing.
// Text that names no file goes as written.
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

// An answer that cannot be written is reported once, the file is left as it was, and the switch
// after it still runs.
TEST(WriteOutput, AnAnswerThatCannotBeWrittenIsReportedOnceAndStillSwitches) {
  for (const std::wstring name : {L"nofolder\\out.txt", L"locked.dat", L"busy.dat"}) {
    Folder h;
    h.fake.answers = {kButtonNo};
    EXPECT_EQ(
        h.Run(
            L"set outputFile \"" + name +
            L"\"\r\nanswer \"Save?\" with \"YesNo\"\r\nswitch result\r\ncase \"Yes\"\r\n"
            L"write \"yes\" \"log.txt\"\r\ncase \"No\"\r\nwrite \"no\" \"log.txt\"\r\nend switch"),
        L": Save?; Parsing Error: Can't write to file '" + kAppFolder + name +
            L"'.; result No; log.txt = no\r\n; ")
        << name;
  }
}

TEST(Answer, TheBoxAndTheWordThePressedButtonRecords) {
  const struct {
    const wchar_t* line;
    const wchar_t* text;
    const wchar_t* caption = L"";
    std::uint32_t style = kBoxIconInfo;
    int button = kButtonOk;
    const wchar_t* word = L"OK"; // empty when nothing is recorded
  } cases[] = {
      {LR"(answer "Hello")", L"Hello"},
      {LR"(answer question "Save changes?" with "YesNoCancel" "Editor")", L"Save changes?",
       L"Editor", kBoxIconQuestion + kBoxYesNoCancel, kButtonNo, L"No"},
      {LR"(answer warning "Proceed?" with "OKCancel")", L"Proceed?", L"",
       kBoxIconWarning + kBoxOkCancel, kButtonCancel, L"Cancel"},
      {LR"(Answer Information "Go?" with "YesNo")", L"Go?", L"", kBoxIconInfo + kBoxYesNo,
       kButtonYes, L"Yes"},
      {LR"(answer ERROR "Disk full")", L"Disk full", L"", kBoxIconError},
      // A second quoted text without "with" is the title, and no button set is read: not behind a
      // capital "With", a title, or without quotes.
      {LR"(answer "Text" "Caption")", L"Text", L"Caption"},
      {LR"(answer "Text" With "YesNo")", L"Text", L"YesNo"},
      {LR"(answer "Text" "T" with "YesNo")", L"Text", L"T"},
      {LR"(answer "Text" with YesNo)", L"Text"},
      {LR"(answer "Text" with "Maybe")", L"Text"},
      {LR"(answer "Text" with "yesno")", L"Text"},
      {LR"(answer "   spaced   ")", L"spaced"},
      {LR"(answer "Line one\nLine two \'q\'" with "OK" "At %t%")", L"Line one\r\nLine two \"q\"",
       L"At 9:41:07 AM"},
      // A box ended some other way (Abort, Retry, a closed window) records nothing.
      {LR"(answer "Text" with "YesNo")", L"Text", L"", kBoxIconInfo + kBoxYesNo, 3, L""},
  };
  for (const auto& c : cases) {
    Harness h;
    h.app.LastResult = L"before";
    h.fake.answers = {c.button};
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Ok) << c.line;
    EXPECT_EQ(h.Boxes(), (std::vector<Box>{{c.text, c.caption, c.style}})) << c.line;
    EXPECT_EQ(h.app.LastResult, *c.word ? c.word : L"before") << c.line;
    EXPECT_EQ(h.fake.Contents(kOutput), *c.word ? Bytes(c.word + std::wstring(L"\r\n")) : "")
        << c.line;
  }
}

TEST(Answer, WithoutAMessageNothingIsAsked) {
  for (const wchar_t* line : {L"answer info", LR"(answer "QorError")", LR"(answer "open)"}) {
    ExpectLine(line, L"", L"Can't understand 'answer' command.");
  }
}

} // namespace
} // namespace velmora::testing
