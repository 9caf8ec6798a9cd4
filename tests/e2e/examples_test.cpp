// End-to-end: every script of the examples folder, started as boot.scp or
// dropped, with what its user sees checked: balloons, tips, boxes, files.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>

#include "http_server.hpp"
#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

// A timer example waits its own period before anything shows.
constexpr Duration kTimerDeadline{30000};

// The repository's examples folder, named by scripts/e2e.sh.
std::string ExamplesFolder() {
  const char* value = std::getenv("VELMORA_E2E_EXAMPLES");
  return value == nullptr ? "" : std::string(value) + "\\";
}

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// An example's text with its placeholder web address replaced.
std::string Example(const std::string& name, const std::string& address = "",
                    const std::string& served = "") {
  std::string text = FileText(ExamplesFolder() + name);
  for (std::size_t at = 0; !address.empty() && (at = text.find(address, at)) != std::string::npos;
       at += served.size()) {
    text.replace(at, address.size(), served);
  }
  return text;
}

// Copies example files to the same place under the application folder's
// "examples" folder, where the scripts name them.
void CopyExamples(const VelmoraProcess& velmora, std::initializer_list<std::string> names) {
  for (const std::string& name : names) {
    const std::string target = velmora.AppPath("examples\\" + name);
    std::filesystem::create_directories(target.substr(0, target.find_last_of('\\')));
    std::filesystem::copy_file(ExamplesFolder() + name, target);
  }
}

void CopyIcons(const VelmoraProcess& velmora) {
  CopyExamples(velmora,
               {"icons\\busy.ico", "icons\\failed.ico", "icons\\idle.ico", "icons\\passed.ico"});
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The tip the icon shows now: that of the last call that sent one.
std::string Tip(const VelmoraProcess& velmora) {
  std::string tip;
  for (const TrayCall& call : velmora.TrayCalls()) {
    if (call.at("uFlags") != kNifIconOnly && !call.at("szTip").empty()) {
      tip = call.at("szTip");
    }
  }
  return tip;
}

bool WaitForTip(const VelmoraProcess& velmora, const std::string& prefix) {
  return WaitUntil([&] { return StartsWith(Tip(velmora), prefix); });
}

// Waits for a balloon with this text; gives "title|kind" of the last one.
std::string WaitForBalloon(const VelmoraProcess& velmora, const std::string& text,
                           Duration timeout = kDeadline) {
  std::string found = "no balloon";
  WaitUntil(
      [&] {
        for (const TrayCall& call : velmora.TrayCalls()) {
          if (call.at("uFlags") == "16" && call.at("szInfo") == text) {
            found = call.at("szInfoTitle") + "|" + call.at("dwInfoFlags");
          }
        }
        return found != "no balloon";
      },
      timeout);
  return found;
}

// Modify calls of flash or swap ticks (they change the picture alone), or
// the other calls.
std::size_t CallCount(const VelmoraProcess& velmora, bool ticks) {
  std::size_t count = 0;
  for (const TrayCall& call : velmora.TrayCalls()) {
    const bool tick = call.at("msg") == kNimModify && call.at("uFlags") == kNifIconOnly;
    count += tick == ticks ? 1 : 0;
  }
  return count;
}

bool Animating(const VelmoraProcess& velmora) {
  const std::size_t before = CallCount(velmora, true);
  return WaitUntil([&] { return CallCount(velmora, true) >= before + 2; });
}

// Three scripts dropped one after the other, each taken by a poll of its
// own: two poll intervals pass (500 ms at the fastest polling an example
// sets), longer than any example's animation interval. The drops leave an
// openScript that does nothing.
void WaitThreePolls(const VelmoraProcess& velmora) {
  for (const char* name : {"poll1.scp", "poll2.scp", "poll3.scp"}) {
    ASSERT_TRUE(velmora.Drop(name, ScriptText({"on openScript", "do nothing", "end openScript"})));
    ASSERT_TRUE(WaitUntil([&] { return velmora.ScriptFiles().size() == 1; }));
  }
}

// After an action that sets one icon: once that icon's call is logged, no
// tick follows it while three polls pass.
bool StopsAnimating(const VelmoraProcess& velmora, const std::function<void()>& action) {
  const std::size_t calls = CallCount(velmora, false);
  action();
  if (!WaitUntil([&] { return CallCount(velmora, false) > calls; })) {
    return false;
  }
  const std::size_t ticks = CallCount(velmora, true);
  WaitThreePolls(velmora);
  return CallCount(velmora, true) == ticks;
}

// Right-clicks the icon and chooses menu item n.
bool Choose(const VelmoraProcess& velmora, int item) {
  velmora.PostTrayCallback(WM_RBUTTONDOWN);
  return velmora.ChooseMenuItem(item);
}

// Waits for a box with this caption and text, presses the button.
void Answer(const VelmoraProcess& velmora, const std::string& caption, const std::string& text,
            int button) {
  const std::optional<MessageBoxWindow> box = velmora.WaitForBox();
  ASSERT_TRUE(box) << text;
  EXPECT_EQ(box->caption, caption);
  EXPECT_EQ(box->text, text);
  ASSERT_TRUE(velmora.PressButton(*box, button));
}

// Waits until a file has n lines, each ending as given.
void ExpectLineEnds(const VelmoraProcess& velmora, const std::string& file,
                    const std::vector<std::string>& ends) {
  std::vector<std::string> lines;
  WaitUntil([&] { return (lines = velmora.AppFileLines(file)).size() >= ends.size(); });
  ASSERT_EQ(lines.size(), ends.size()) << file;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    EXPECT_EQ(lines[i].substr(lines[i].size() - std::min(lines[i].size(), ends[i].size())), ends[i])
        << file << " line " << i + 1;
  }
}

// No example leaves a box open or a line in the error log.
void ExpectQuiet(const VelmoraProcess& velmora) {
  EXPECT_TRUE(velmora.OpenBoxes().empty());
  EXPECT_TRUE(velmora.AppFileLines("errors.log").empty());
}

class Examples : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(FileText(ExamplesFolder() + "boot.scp").empty())
        << "VELMORA_E2E_EXAMPLES must name the examples folder (scripts/e2e.sh sets it)";
  }
};

TEST_F(Examples, BootGreetsAsksAndQuits) {
  REQUIRE_TRAY_LOG();
  VelmoraProcess velmora(Example("boot.scp"));
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(WaitForTip(velmora, "Velmora - started at "));
  EXPECT_EQ(WaitForBalloon(velmora, "Velmora is running. Right-click the icon for its menu."),
            "Hello from Velmora|1");

  const std::string question = "Do you like tray icons that do what they are told?";
  ASSERT_TRUE(Choose(velmora, 1));
  Answer(velmora, "A question", question, IDYES);
  EXPECT_EQ(WaitForBalloon(velmora, "Glad to hear it. Your answer is in output.txt."),
            "Thank you|1");
  ASSERT_TRUE(Choose(velmora, 1));
  Answer(velmora, "A question", question, IDNO);
  EXPECT_EQ(WaitForBalloon(velmora,
                           "Noted in output.txt. Perhaps a script of your own will change your "
                           "mind."),
            "Fair enough|2");
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"Yes", "No"}),
            (std::vector<std::string>{"Yes", "No"}));

  ASSERT_TRUE(Choose(velmora, 2));
  const std::optional<MessageBoxWindow> hello = velmora.WaitForBox();
  ASSERT_TRUE(hello);
  EXPECT_EQ(hello->caption, "Velmora");
  EXPECT_TRUE(StartsWith(hello->text, "Hello! It is ")) << hello->text;
  EXPECT_EQ(hello->text.find('%'), std::string::npos) << "placeholders filled in";
  ASSERT_TRUE(velmora.PressButton(*hello, IDOK));

  velmora.PostTrayCallback(WM_LBUTTONUP);
  EXPECT_EQ(WaitForBalloon(velmora, "Right-click the icon for the menu."), "Velmora|0");
  ExpectQuiet(velmora);

  ASSERT_TRUE(Choose(velmora, 4));
  ASSERT_TRUE(velmora.WaitForExit());
  EXPECT_EQ(velmora.ExitCode(), 0u);
  EXPECT_EQ(velmora.TrayCalls().back().at("msg"), kNimDelete);
  EXPECT_EQ(velmora.AppFileLines("output.txt"), (std::vector<std::string>{"Yes", "No", "OK"}));
}

// A question dropped by another program, answered each way.
struct Reply {
  const char* name;
  int button;
  std::string balloon;
  std::string titleAndKind;
  DWORD exitCode; // of the batch file
};

// Names the row in a failure message.
void PrintTo(const Reply& reply, std::ostream* out) {
  *out << reply.name;
}

const Reply kReplies[] = {
    {"Yes", IDYES, "Deploying build 1.4.2 to the test servers.", "Deploy|1", 0},
    {"No", IDNO, "Build 1.4.2 stays where it is.", "Deploy|0", 1},
};

const char kDeployQuestion[] = "Build 1.4.2 is ready. Deploy it to the test servers now?";

class DroppedQuestion : public Examples, public testing::WithParamInterface<Reply> {};

TEST_P(DroppedQuestion, AnswerGoesToOutputAndBalloon) {
  REQUIRE_TRAY_LOG();
  const Reply& reply = GetParam();
  VelmoraProcess velmora(Example("boot.scp"));
  ASSERT_TRUE(velmora.Start());
  ASSERT_TRUE(velmora.Drop("ask-question.scp", Example("ask-question.scp")));
  Answer(velmora, "Deploy", kDeployQuestion, reply.button);
  EXPECT_EQ(velmora.WaitForLines("output.txt", {reply.name}), std::vector<std::string>{reply.name});
  EXPECT_EQ(WaitForBalloon(velmora, reply.balloon), reply.titleAndKind);
  EXPECT_EQ(velmora.ScriptFiles(), std::vector<std::string>{"boot.scp"});
  ExpectQuiet(velmora);
}

// The batch example under cmd, with its folder found from its own place.
TEST_P(DroppedQuestion, BatchFilePrintsTheAnswer) {
  const Reply& reply = GetParam();
  VelmoraProcess velmora(Example("boot.scp"));
  CopyExamples(velmora, {"drop-from-batch.cmd"});
  ASSERT_TRUE(velmora.Start());

  const std::string printed = velmora.AppPath("printed.txt");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE output = CreateFileA(printed.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::string commandLine =
      "cmd.exe /c \"" + velmora.AppPath("examples\\drop-from-batch.cmd") + "\"";
  PROCESS_INFORMATION batch{};
  const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &batch);
  CloseHandle(output);
  ASSERT_TRUE(started);
  CloseHandle(batch.hThread);

  Answer(velmora, "Deploy", kDeployQuestion, reply.button);
  const bool ended =
      WaitForSingleObject(batch.hProcess, static_cast<DWORD>(kDeadline.count())) == WAIT_OBJECT_0;
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(batch.hProcess, &exitCode);
  if (!ended) {
    TerminateProcess(batch.hProcess, 1);
  }
  CloseHandle(batch.hProcess);
  ASSERT_TRUE(ended);
  EXPECT_EQ(exitCode, reply.exitCode);
  EXPECT_EQ(velmora.AppFileLines("printed.txt"), std::vector<std::string>{reply.name});
  EXPECT_EQ(velmora.ScriptFiles(), std::vector<std::string>{"boot.scp"});
  ExpectQuiet(velmora);
}

INSTANTIATE_TEST_SUITE_P(Replies, DroppedQuestion, testing::ValuesIn(kReplies), RowName());

TEST_F(Examples, BuildStatusFollowsTheDroppedReports) {
  REQUIRE_TRAY_LOG();
  VelmoraProcess velmora(Example("build-status.scp"));
  CopyIcons(velmora);
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(WaitForTip(velmora, "Build status: no build yet"));
  ExpectLineEnds(velmora, "builds.txt", {" watching builds"});

  ASSERT_TRUE(velmora.Drop("started.scp", Example("build-status\\started.scp")));
  ExpectLineEnds(velmora, "builds.txt", {" watching builds", " build started"});
  EXPECT_TRUE(Animating(velmora)) << "the icon swaps while the build runs";

  bool dropped = false;
  const auto dropPassed = [&] {
    dropped = velmora.Drop("passed.scp", Example("build-status\\passed.scp"));
  };
  EXPECT_TRUE(StopsAnimating(velmora, dropPassed)) << "set icon ends the swapping";
  ASSERT_TRUE(dropped);
  EXPECT_EQ(WaitForBalloon(velmora, "All tests passed."), "Build passed|1");
  EXPECT_TRUE(WaitForTip(velmora, "Build status: passed at "));

  ASSERT_TRUE(velmora.Drop("failed.scp", Example("build-status\\failed.scp")));
  EXPECT_EQ(WaitForBalloon(velmora, "The build failed. Click here to see why."), "Build failed|3");
  EXPECT_TRUE(WaitForTip(velmora, "Build status: FAILED at "));
  ExpectLineEnds(velmora, "builds.txt",
                 {" watching builds", " build started", " build passed", " build failed"});
  for (const TrayCall& call : velmora.TrayCalls()) {
    EXPECT_EQ(call.at("hIcon"), "1");
  }
  EXPECT_EQ(velmora.ScriptFiles(), std::vector<std::string>{"boot.scp"});
  ExpectQuiet(velmora);
}

TEST_F(Examples, LauncherClearsNotesOnlyWhenConfirmed) {
  VelmoraProcess velmora(Example("launcher.scp"));
  velmora.WriteAppFile("notes.txt", "old notes\r\n");
  ASSERT_TRUE(velmora.Start());
  if (TrayLogged()) {
    EXPECT_TRUE(WaitForTip(velmora, "Launcher - click for programs and places"));
  }
  const std::string question = "Delete notes.txt and everything in it?";
  for (const int button : {IDCANCEL, IDOK}) {
    velmora.PostTrayCallback(WM_LBUTTONUP); // a left click shows the menu too
    ASSERT_TRUE(velmora.ChooseMenuItem(4));
    Answer(velmora, "Launcher", question, button);
  }
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"Cancel", "OK"}),
            (std::vector<std::string>{"Cancel", "OK"}));
  EXPECT_TRUE(WaitUntil([&] {
    return GetFileAttributesA(velmora.AppPath("notes.txt").c_str()) == INVALID_FILE_ATTRIBUTES;
  }));
  ExpectQuiet(velmora);
}

TEST_F(Examples, ReminderFiresOnceAndAClickStopsTheFlashing) {
  REQUIRE_TRAY_LOG();
  VelmoraProcess velmora(Example("reminder.scp"));
  CopyIcons(velmora);
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(WaitForTip(velmora, "Reminder: off"));
  ASSERT_TRUE(Choose(velmora, 1));
  EXPECT_TRUE(WaitForTip(velmora, "Reminder: every 25 minutes from "));

  ASSERT_TRUE(Choose(velmora, 4)); // once in 10 seconds, in place of the 25 minutes
  EXPECT_EQ(WaitForBalloon(velmora, "Ten seconds: the reminder works.", kTimerDeadline),
            "Reminder|2");
  EXPECT_TRUE(WaitForTip(velmora, "Reminder: off"));
  EXPECT_TRUE(Animating(velmora)) << "the icon flashes";
  EXPECT_TRUE(StopsAnimating(velmora, [&] { velmora.PostTrayCallback(WM_LBUTTONUP); }));
  ExpectQuiet(velmora);
}

TEST_F(Examples, UnattendedTurnsAFailedFetchIntoARedIcon) {
  REQUIRE_TRAY_LOG();
  HttpServer server({}); // the notice is missing: every fetch fails
  VelmoraProcess velmora(Example("unattended.scp", "http://intranet.example", server.Url("")));
  CopyIcons(velmora);
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(WaitForTip(velmora, "Helper: all well since "));
  ExpectLineEnds(velmora, "problems.txt", {" started"});

  ASSERT_TRUE(Choose(velmora, 3));
  ExpectLineEnds(velmora, "problems.txt", {" started", " a command failed"});
  EXPECT_TRUE(WaitForTip(velmora, "Helper: a problem at "));
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"/notice.html"});
  EXPECT_EQ(GetFileAttributesA(velmora.AppPath("notice.html").c_str()), INVALID_FILE_ATTRIBUTES);

  ASSERT_TRUE(Choose(velmora, 2));
  EXPECT_TRUE(WaitForTip(velmora, "Helper: all well since "));
  ExpectQuiet(velmora);
}

TEST_F(Examples, UpdaterTakesTheServedScriptOnceAndSavesIt) {
  REQUIRE_TRAY_LOG();
  // A served script names its address, which a server has only once it
  // listens: the script from "first" names "second", which serves the same
  // script again.
  const std::string address = "http://updates.example";
  HttpServer second({{"/velmora/latest.scp", {200, Example("update-server\\latest.scp")}}});
  const std::string latest = Example("update-server\\latest.scp", address, second.Url(""));
  HttpServer first({{"/velmora/latest.scp", {200, latest}}});
  VelmoraProcess velmora(Example("updater.scp", address, first.Url("")));
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(WaitForTip(velmora, "Velmora - script of 1 December 2026"));

  // Five seconds after start the timer's check takes the newer script.
  EXPECT_EQ(WaitForBalloon(velmora, "A newer script has been loaded.", kTimerDeadline),
            "Velmora updated|1");
  EXPECT_TRUE(WaitForTip(velmora, "Velmora - script of 7 December 2026"));
  EXPECT_EQ(velmora.AppFileLines("velmora.ini"),
            (std::vector<std::string>{"[Updates]", "LastID=2026-12-07"}));
  EXPECT_EQ(FileText(velmora.AppPath("boot.scp")), latest);
  EXPECT_EQ(first.Requests(), std::vector<std::string>(2, "/velmora/latest.scp"));

  ASSERT_TRUE(Choose(velmora, 2));
  EXPECT_EQ(WaitForBalloon(velmora, "You have the newest script."), "No update|0");
  EXPECT_EQ(second.Requests(), std::vector<std::string>{"/velmora/latest.scp"});
  ASSERT_TRUE(Choose(velmora, 1));
  Answer(velmora, "Velmora, 7 December 2026", "This script adds the What's new item to the menu.",
         IDOK);
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"OK"}), std::vector<std::string>{"OK"});
  ExpectQuiet(velmora);
}

} // namespace
} // namespace velmora::e2e
