// End-to-end: velmoractl.exe against a running velmora.exe: send taken by the
// command drop or timing out with polling off, ask answered through the box.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

// Long enough for a poll under Wine on a busy machine, shorter than kDeadline.
constexpr int kSendWaitSeconds = 10;

const std::string kIdleBoot = ScriptText({"on openScript", "do nothing", "end openScript"});

std::string CtlExe() {
  return ProgramPath("velmoractl.exe");
}

// The read end stays here; the write end is for the child.
bool ChildPipe(HANDLE& read, HANDLE& write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreatePipe(&read, &write, &inherit, 0) &&
         SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
}

// Everything left in a pipe whose writer has gone; CR LF read as LF.
std::string Drain(HANDLE read) {
  std::string text;
  char buffer[512];
  DWORD got = 0;
  while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// One velmoractl.exe run, its standard output and error each in a pipe.
class CtlRun {
public:
  explicit CtlRun(const std::string& arguments) {
    HANDLE outWrite = nullptr;
    HANDLE errWrite = nullptr;
    if (!ChildPipe(outRead_, outWrite) || !ChildPipe(errRead_, errWrite)) {
      return;
    }
    const std::string exe = CtlExe();
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
    }
    // Only the child holds the write ends now, so its exit ends the pipes.
    CloseHandle(outWrite);
    CloseHandle(errWrite);
  }
  ~CtlRun() {
    if (process_ != nullptr) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, INFINITE);
      CloseHandle(process_);
    }
    for (HANDLE pipe : {outRead_, errRead_}) {
      if (pipe != nullptr) {
        CloseHandle(pipe);
      }
    }
  }
  CtlRun(const CtlRun&) = delete;
  CtlRun& operator=(const CtlRun&) = delete;

  // Waits for the exit and takes what the program printed; false when it
  // never started or overstays.
  bool Finish() {
    if (process_ == nullptr ||
        WaitForSingleObject(process_, static_cast<DWORD>(kDeadline.count())) != WAIT_OBJECT_0) {
      return false;
    }
    GetExitCodeProcess(process_, &exitCode);
    out = Drain(outRead_);
    err = Drain(errRead_);
    return true;
  }

  DWORD exitCode = STILL_ACTIVE;
  std::string out;
  std::string err;

private:
  HANDLE process_ = nullptr;
  HANDLE outRead_ = nullptr;
  HANDLE errRead_ = nullptr;
};

std::string FolderOption(const VelmoraProcess& velmora) {
  std::string folder = velmora.AppPath("");
  // A backslash before the closing quote would escape the quote.
  folder.pop_back();
  return "--folder \"" + folder + "\"";
}

// A script for send, kept where the command drop does not look.
std::string OutboxScript(const VelmoraProcess& velmora, const std::string& line) {
  std::filesystem::create_directory(velmora.AppPath("outbox"));
  velmora.WriteAppFile("outbox\\x.scp",
                       ScriptText({"on openScript", "write \"" + line + "\"", "end openScript"}));
  return "\"" + velmora.AppPath("outbox\\x.scp") + "\"";
}

TEST(CtlSend, WaitEndsOnceTheNextPollHasRunTheScript) {
  VelmoraProcess velmora(kIdleBoot);
  ASSERT_TRUE(velmora.Start());
  CtlRun send("send " + FolderOption(velmora) + " --wait " + std::to_string(kSendWaitSeconds) +
              " " + OutboxScript(velmora, "sent"));
  ASSERT_TRUE(send.Finish());
  EXPECT_EQ(send.exitCode, 0u) << send.err;
  // Velmora deletes a script only after running it: its line is there now.
  EXPECT_EQ(velmora.AppFileLines("output.txt"), std::vector<std::string>{"sent"});
  EXPECT_EQ(velmora.ScriptFiles(), std::vector<std::string>{"boot.scp"});
}

TEST(CtlSend, WaitTimesOutWhilePollingIsOffAndLeavesAWholeScript) {
  VelmoraProcess velmora(ScriptText({"on openScript", "do nothing", "end openScript", "on click",
                                     "set polling to 0", "write \"off\"", "end click",
                                     "on rightClick", "set polling to 100", "end rightClick"}));
  ASSERT_TRUE(velmora.Start());
  velmora.PostTrayCallback(WM_LBUTTONUP);
  std::vector<std::string> expected = {"off"};
  ASSERT_EQ(velmora.WaitForLines("output.txt", expected), expected);

  CtlRun send("send " + FolderOption(velmora) + " --wait 1 " + OutboxScript(velmora, "sent"));
  ASSERT_TRUE(send.Finish());
  EXPECT_EQ(send.exitCode, 3u) << send.err;
  std::vector<std::string> files = velmora.ScriptFiles();
  files.erase(std::remove(files.begin(), files.end(), "boot.scp"), files.end());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].rfind("velmoractl-send-", 0), 0u) << files[0];
  EXPECT_NE(send.err.find(files[0]), std::string::npos) << "names the script left: " << send.err;

  // With polling on again, the script left behind runs.
  velmora.PostTrayCallback(WM_RBUTTONUP);
  expected.push_back("sent");
  EXPECT_EQ(velmora.WaitForLines("output.txt", expected), expected);
}

struct AskRow {
  std::string name;
  int button;
  std::string word;
  DWORD exitCode;
};

class CtlAsk : public testing::TestWithParam<AskRow> {};

TEST_P(CtlAsk, PressedButtonIsPrintedAndGivesTheExitStatus) {
  const AskRow& row = GetParam();
  VelmoraProcess velmora(kIdleBoot);
  ASSERT_TRUE(velmora.Start());
  // The quotes travel to the box as script escapes.
  CtlRun ask("ask " + FolderOption(velmora) +
             " --icon warning --buttons YesNoCancel --title \"Build job\" "
             "\"Save \\\"report.txt\\\"?\"");
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "Save \"report.txt\"?");
  EXPECT_EQ(box->caption, "Build job");
  EXPECT_EQ(box->buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
  ASSERT_TRUE(velmora.PressButton(*box, row.button));

  ASSERT_TRUE(ask.Finish());
  EXPECT_EQ(ask.exitCode, row.exitCode) << ask.err;
  EXPECT_EQ(ask.out, row.word + "\n");
  // As every answer, the word is in output.txt too; the answer file is gone.
  EXPECT_EQ(velmora.AppFileLines("output.txt"), std::vector<std::string>{row.word});
  EXPECT_TRUE(std::filesystem::is_empty(velmora.AppPath("answers")));
}

INSTANTIATE_TEST_SUITE_P(Buttons, CtlAsk,
                         testing::Values(AskRow{"Yes", IDYES, "Yes", 0},
                                         AskRow{"No", IDNO, "No", 1},
                                         AskRow{"Cancel", IDCANCEL, "Cancel", 2}),
                         RowName());

TEST(CtlAskTwice, TwoAsksAtOnceEachGetTheirOwnAnswer) {
  VelmoraProcess velmora(kIdleBoot);
  ASSERT_TRUE(velmora.Start());
  CtlRun first("ask " + FolderOption(velmora) + " \"first question\"");
  CtlRun second("ask " + FolderOption(velmora) + " \"second question\"");

  // Velmora shows the boxes one after the other, in either order.
  std::vector<std::string> asked;
  for (int i = 0; i < 2; ++i) {
    const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
    ASSERT_TRUE(box);
    asked.push_back(box->text);
    ASSERT_TRUE(velmora.PressButton(*box, box->text == "first question" ? IDYES : IDNO));
  }
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, (std::vector<std::string>{"first question", "second question"}));

  ASSERT_TRUE(first.Finish());
  ASSERT_TRUE(second.Finish());
  EXPECT_EQ(first.out, "Yes\n") << first.err;
  EXPECT_EQ(first.exitCode, 0u);
  EXPECT_EQ(second.out, "No\n") << second.err;
  EXPECT_EQ(second.exitCode, 1u);
}

} // namespace
} // namespace velmora::e2e
