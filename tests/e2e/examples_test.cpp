// End-to-end: every script of the examples folder, started as boot.scp or dropped, with what its
// user sees checked: balloons, tips, boxes, files.
#include <gtest/gtest.h>

#include "http_server.hpp"
#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

// A timer example waits its own period before anything shows.
constexpr Duration kTimerDeadline{30000};

// An example from the repository's folder that scripts/e2e.sh names, with its placeholder web
// address replaced.
std::string Example(const std::string& name, const std::string& address = "",
                    const std::string& served = "") {
  const char* folder = std::getenv("VELMORA_E2E_EXAMPLES");
  std::string text = FileText(std::string(folder == nullptr ? "" : folder) + "\\" + name);
  EXPECT_FALSE(text.empty()) << name << " (VELMORA_E2E_EXAMPLES names the examples folder)";
  for (std::size_t at = 0; !address.empty() && (at = text.find(address, at)) != std::string::npos;
       at += served.size()) {
    text.replace(at, address.size(), served);
  }
  return text;
}

// An example as boot.scp, with the files the examples name under the application folder's
// "examples" folder, and what its user sees.
class ExampleRun : public VelmoraProcess {
public:
  explicit ExampleRun(const std::string& boot) : VelmoraProcess(boot) {
    std::filesystem::create_directories(AppPath("examples\\icons"));
    for (const std::string name : {"icons\\busy.ico", "icons\\failed.ico", "icons\\idle.ico",
                                   "icons\\passed.ico", "drop-from-batch.cmd"}) {
      WriteAppFile("examples\\" + name, Example(name));
    }
  }

  // A flash or swap tick changes the picture alone.
  static bool IsTick(const TrayCall& call) {
    return call.at("msg") == kNimModify && call.at("uFlags") == kNifIconOnly;
  }

  // The last call that sets the tip, or that shows a balloon.
  TrayCall Last(bool balloon) const {
    TrayCall last;
    for (const TrayCall& call : TrayCalls()) {
      const bool setsTip = !IsTick(call) && !call.at("szTip").empty();
      last = (balloon ? call.at("uFlags") == "16" : setsTip) ? call : last;
    }
    return last;
  }

  // Waits until the tip shown starts with this.
  bool Tip(const std::string& prefix) const {
    return WaitUntil([&] { return Last(false)["szTip"].rfind(prefix, 0) == 0; });
  }

  // Waits until the balloon shown has this text; gives "title|kind".
  std::string Balloon(const std::string& text, Duration timeout = kDeadline) const {
    TrayCall shown;
    return WaitUntil([&] { return (shown = Last(true))["szInfo"] == text; }, timeout)
               ? shown["szInfoTitle"] + "|" + shown["dwInfoFlags"]
               : "shown instead: " + shown["szInfo"];
  }

  bool Animating() const {
    const auto ticks = [this] {
      const std::vector<TrayCall> calls = TrayCalls();
      return std::count_if(calls.begin(), calls.end(), IsTick);
    };
    const auto before = ticks();
    return WaitUntil([&] { return ticks() >= before + 2; });
  }

  // After an action that sets one icon, no tick comes in the second that a script dropped now waits
  // with its timer, longer than any animation interval: the last call is the action's own.
  bool StoppedAnimating() const {
    return Drop("wait.scp", ScriptText({"on openScript", "set timer to 1000 ms", "end openScript",
                                        "on timerEvent", "stop timer",
                                        "write \"waited\" \"waited.txt\"", "end timerEvent"})) &&
           WaitForLines("waited.txt", {"waited"}) == Lines{"waited"} && !IsTick(TrayCalls().back());
  }

  // Waits until a file has as many lines as given, each ending so (they start with the date and
  // time).
  void ExpectLineEnds(const std::string& file, const Lines& ends) const {
    Lines lines;
    WaitUntil([&] { return (lines = AppFileLines(file)).size() >= ends.size(); });
    ASSERT_EQ(lines.size(), ends.size()) << file;
    for (std::size_t i = 0; i < ends.size(); ++i) {
      const std::size_t start = lines[i].size() - std::min(lines[i].size(), ends[i].size());
      EXPECT_EQ(lines[i].substr(start), ends[i]) << file << " line " << i + 1;
    }
  }

  // No example leaves a box open, a dropped script behind or an error logged.
  void ExpectQuiet() const {
    EXPECT_TRUE(OpenBoxes().empty());
    EXPECT_EQ(AppFiles(".scp"), Lines{"boot.scp"});
    EXPECT_TRUE(AppFileLines("errors.log").empty());
  }
};

// The first script, with the question other programs drop on it: ask-question.scp as it is, and the
// one the batch example drops, which finds Velmora's folder from its own place.
TEST(Examples, BootGreetsAsksAndTakesDroppedQuestions) {
  REQUIRE_TRAY_LOG();
  ExampleRun velmora(Example("boot.scp"));
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(velmora.Tip("Velmora - started at "));
  EXPECT_EQ(velmora.Balloon("Velmora is running. Right-click the icon for its menu."),
            "Hello from Velmora|1");
  const std::tuple<int, const char*, const char*> menuAnswers[] = {
      {IDYES, "Glad to hear it. Your answer is in output.txt.", "Thank you|1"},
      {IDNO, "Noted in output.txt. Perhaps a script of your own will change your mind.",
       "Fair enough|2"}};
  for (const auto& [button, balloon, titleAndKind] : menuAnswers) {
    ASSERT_TRUE(velmora.ChooseMenuItem(1));
    EXPECT_EQ(velmora.Answer(button),
              "A question|Do you like tray icons that do what they are told?");
    EXPECT_EQ(velmora.Balloon(balloon), titleAndKind);
  }
  ASSERT_TRUE(velmora.ChooseMenuItem(2));
  const std::string hello = velmora.Answer(IDOK);
  EXPECT_EQ(hello.rfind("Velmora|Hello! It is ", 0), 0u) << hello;
  EXPECT_EQ(hello.find('%'), std::string::npos) << "placeholders filled in: " << hello;
  velmora.PostTrayCallback(WM_LBUTTONUP);
  EXPECT_EQ(velmora.Balloon("Right-click the icon for the menu."), "Velmora|0");

  const std::string box = "Deploy|Build 1.4.2 is ready. Deploy it to the test servers now?";
  const std::tuple<int, std::string, const char*, const char*, DWORD> replies[] = {
      {IDYES, "Yes", "Deploying build 1.4.2 to the test servers.", "Deploy|1", 0},
      {IDNO, "No", "Build 1.4.2 stays where it is.", "Deploy|0", 1}};
  for (const auto& [button, word, balloon, titleAndKind, exitCode] : replies) {
    ASSERT_TRUE(velmora.Drop("ask-question.scp", Example("ask-question.scp")));
    EXPECT_EQ(velmora.Answer(button), box);
    EXPECT_EQ(velmora.Balloon(balloon), titleAndKind);
    Child batch("cmd.exe /c \"" + velmora.AppPath("examples\\drop-from-batch.cmd").u8string() +
                "\"");
    EXPECT_EQ(velmora.Answer(button), box);
    ASSERT_TRUE(batch.Finish());
    EXPECT_EQ(batch.output, word + "\n");
    EXPECT_EQ(batch.exitCode, exitCode) << word;
  }
  const Lines answers = {"Yes", "No", "OK", "Yes", "Yes", "No", "No"};
  EXPECT_EQ(velmora.WaitForLines("output.txt", answers), answers);
  velmora.ExpectQuiet();
}

TEST(Examples, BuildStatusFollowsTheDroppedReports) {
  REQUIRE_TRAY_LOG();
  ExampleRun velmora(Example("build-status.scp"));
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(velmora.Tip("Build status: no build yet"));
  velmora.ExpectLineEnds("builds.txt", {" watching builds"});
  ASSERT_TRUE(velmora.Drop("started.scp", Example("build-status\\started.scp")));
  velmora.ExpectLineEnds("builds.txt", {" watching builds", " build started"});
  EXPECT_TRUE(velmora.Animating()) << "the icon swaps while the build runs";
  ASSERT_TRUE(velmora.Drop("passed.scp", Example("build-status\\passed.scp")));
  EXPECT_TRUE(velmora.StoppedAnimating()) << "set icon ends the swapping";
  EXPECT_EQ(velmora.Balloon("All tests passed."), "Build passed|1");
  EXPECT_TRUE(velmora.Tip("Build status: passed at "));

  ASSERT_TRUE(velmora.Drop("failed.scp", Example("build-status\\failed.scp")));
  EXPECT_EQ(velmora.Balloon("The build failed. Click here to see why."), "Build failed|3");
  EXPECT_TRUE(velmora.Tip("Build status: FAILED at "));
  velmora.ExpectLineEnds("builds.txt",
                         {" watching builds", " build started", " build passed", " build failed"});
  for (const TrayCall& call : velmora.TrayCalls()) {
    EXPECT_EQ(call.at("hIcon"), "1") << "every icon loads";
  }
  velmora.ExpectQuiet();
}

TEST(Examples, LauncherClearsNotesOnlyWhenConfirmed) {
  ExampleRun velmora(Example("launcher.scp"));
  velmora.WriteAppFile("notes.txt", "old notes\r\n");
  ASSERT_TRUE(velmora.Start());
  for (const int button : {IDCANCEL, IDOK}) {
    ASSERT_TRUE(velmora.ChooseMenuItem(4, WM_LBUTTONUP)); // a left click shows the menu too
    EXPECT_EQ(velmora.Answer(button), "Launcher|Delete notes.txt and everything in it?");
  }
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"Cancel", "OK"}), (Lines{"Cancel", "OK"}));
  EXPECT_TRUE(WaitUntil([&] { return !Exists(velmora.AppPath("notes.txt")); }));
  velmora.ExpectQuiet();
}

TEST(Examples, ReminderFiresOnceAndAClickStopsTheFlashing) {
  REQUIRE_TRAY_LOG();
  ExampleRun velmora(Example("reminder.scp"));
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(velmora.Tip("Reminder: off"));
  ASSERT_TRUE(velmora.ChooseMenuItem(1));
  EXPECT_TRUE(velmora.Tip("Reminder: every 25 minutes from "));
  ASSERT_TRUE(velmora.ChooseMenuItem(4)); // once in 10 seconds, in place of the 25 minutes
  EXPECT_EQ(velmora.Balloon("Ten seconds: the reminder works.", kTimerDeadline), "Reminder|2");
  EXPECT_TRUE(velmora.Tip("Reminder: off"));
  EXPECT_TRUE(velmora.Animating()) << "the icon flashes";
  velmora.PostTrayCallback(WM_LBUTTONUP);
  EXPECT_TRUE(velmora.StoppedAnimating()) << "a click ends the flashing";
  velmora.ExpectQuiet();
}

TEST(Examples, UnattendedTurnsAFailedFetchIntoARedIcon) {
  REQUIRE_TRAY_LOG();
  HttpServer server({}); // the notice is missing: every fetch fails
  ExampleRun velmora(Example("unattended.scp", "http://intranet.example", server.Url("")));
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(velmora.Tip("Helper: all well since "));
  velmora.ExpectLineEnds("problems.txt", {" started"});
  ASSERT_TRUE(velmora.ChooseMenuItem(3));
  velmora.ExpectLineEnds("problems.txt", {" started", " a command failed"});
  EXPECT_TRUE(velmora.Tip("Helper: a problem at "));
  EXPECT_EQ(server.Requests(), Lines{"/notice.html"});
  EXPECT_FALSE(Exists(velmora.AppPath("notice.html")));
  ASSERT_TRUE(velmora.ChooseMenuItem(2));
  EXPECT_TRUE(velmora.Tip("Helper: all well since "));
  velmora.ExpectQuiet();
}

TEST(Examples, UpdaterTakesTheServedScriptOnceAndSavesIt) {
  REQUIRE_TRAY_LOG();
  // A served script names its address, which a server has only once it listens: the script from
  // "first" names "second", which serves it again.
  const std::string address = "https://updates.example";
  HttpServer second({{"/velmora/latest.scp", {200, Example("update-server\\latest.scp")}}});
  const std::string latest = Example("update-server\\latest.scp", address, second.Url(""));
  HttpServer first({{"/velmora/latest.scp", {200, latest}}});
  ExampleRun velmora(Example("updater.scp", address, first.Url("")));
  ASSERT_TRUE(velmora.Start());
  EXPECT_TRUE(velmora.Tip("Velmora - script of 1 December 2026"));
  // Five seconds after start the timer's check takes the newer script.
  EXPECT_EQ(velmora.Balloon("A newer script has been loaded.", kTimerDeadline),
            "Velmora updated|1");
  EXPECT_TRUE(velmora.Tip("Velmora - script of 7 December 2026"));
  EXPECT_EQ(velmora.AppFileLines("velmora.ini"), (Lines{"[Updates]", "LastID=2026-12-07"}));
  EXPECT_EQ(FileText(velmora.AppPath("boot.scp")), latest);
  // Kept from the bytes checked: the script is fetched once.
  EXPECT_EQ(first.Requests(), Lines{"/velmora/latest.scp"});

  ASSERT_TRUE(velmora.ChooseMenuItem(2));
  EXPECT_EQ(velmora.Balloon("You have the newest script."), "No update|0");
  EXPECT_EQ(second.Requests(), Lines{"/velmora/latest.scp"});
  ASSERT_TRUE(velmora.ChooseMenuItem(1));
  EXPECT_EQ(velmora.Answer(IDOK),
            "Velmora, 7 December 2026|This script adds the What's new item to the menu.");
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"OK"}), Lines{"OK"});
  velmora.ExpectQuiet();
}

} // namespace
} // namespace velmora::e2e
