// Balloons: the show command's record fields and kinds, and the script's own
// substitute on systems without balloons.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

std::vector<fake::TrayCall> BalloonCalls(const Harness& h) {
  std::vector<fake::TrayCall> calls;
  for (const auto& call : h.fake.trayCalls) {
    if (call.record.uFlags == kNifInfo) {
      calls.push_back(call);
    }
  }
  return calls;
}

TEST(ShowBalloon, KindTextAndTitleGoIntoTheRecord) {
  const std::wstring longText(300, L'm');
  const std::wstring longTitle(80, L't');
  const struct {
    std::wstring line;
    std::uint32_t kind;
    std::wstring text;
    std::wstring title;
  } cases[] = {
      {L"show information balloon \"Saved\" \"Backup\"", 1, L"Saved", L"Backup"},
      {L"show info balloon \"a\" \"b\"", 1, L"a", L"b"},
      {L"SHOW Warning BALLOON \"a\" \"b\"", 2, L"a", L"b"},
      {L"show error balloon \"a\" \"b\"", 3, L"a", L"b"},
      {L"show balloon \"a\" \"b\"", 0, L"a", L"b"},
      {L"show warning \"a\" \"b\"", 0, L"a", L"b"},
      {L"show balloon \"On %d%\\nat %t%\" \"Up\"", 0, L"On 12/7/2026\r\nat 9:41:07 AM", L"Up"},
      {L"show balloon \"" + longText + L"\" \"" + longTitle + L"\"", 0, longText.substr(0, 255),
       longTitle.substr(0, 63)},
  };
  for (const auto& c : cases) {
    Harness h;
    AddTrayIcon(h.app);
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Ok) << c.line;
    const std::vector<fake::TrayCall> calls = BalloonCalls(h);
    ASSERT_EQ(calls.size(), 1u) << c.line;
    const TrayIconRecord& record = calls[0].record;
    EXPECT_EQ(calls[0].message, kNimModify);
    EXPECT_EQ(record.uID, kTrayIconId);
    EXPECT_EQ(record.hWnd, fake::FakePlatform::kHostWindow);
    EXPECT_EQ(record.dwInfoFlags, c.kind) << c.line;
    EXPECT_EQ(record.szInfo, FixedWidth(c.text, kInfoChars)) << c.line;
    EXPECT_EQ(record.szInfoTitle, FixedWidth(c.title, kInfoTitleChars)) << c.line;
    EXPECT_EQ(record.uTimeoutOrVersion, 3u);
    EXPECT_TRUE(h.fake.boxes.empty()) << c.line;
  }
}

TEST(ShowBalloon, MalformedLinesShowNothing) {
  for (const wchar_t* line : {L"show balloon", L"show info balloon \"only the text\"",
                              L"show warning balloon \"text\" title"}) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    EXPECT_EQ(h.BoxTexts(), std::vector<std::wstring>{L"Can't understand 'show' command."});
    EXPECT_TRUE(h.fake.trayCalls.empty()) << line;
  }
}

TEST(ShowBalloon, SystemsBeforeXpRunTheScriptsSubstituteAndReportItsFailure) {
  const std::wstring runs = Script({L"on altShowBalloon", L"beep", L"end altShowBalloon"});
  const std::wstring fails = Script({L"on altShowBalloon", L"bogus", L"end altShowBalloon"});
  const std::wstring unfinished = Script({L"on altShowBalloon", L"beep"});
  const std::wstring bodiless = Script({L"on altShowBalloon", L"end altShowBalloon"});
  const std::wstring cannotRun = L"Can't execute 'altShowBalloon' handler.";
  const struct {
    OsVersion version;
    std::wstring slot;
    CommandResult result;
    std::vector<std::wstring> boxes;
    int beeps;
  } cases[] = {
      {{4, 10}, runs, CommandResult::Ok, {}, 1},
      {{5, 0}, runs, CommandResult::Ok, {}, 1},
      {{5, 0}, fails, CommandResult::Error, {L"Can't understand 'bogus'.", cannotRun}, 0},
      {{5, 0}, unfinished, CommandResult::Error, {cannotRun}, 0},
      {{5, 0}, bodiless, CommandResult::Ok, {}, 0},
      {{5, 0}, L"", CommandResult::Ok, {}, 0},
      // Every system from XP on shows a real balloon, whatever the script has.
      {{5, 1}, fails, CommandResult::Ok, {}, 0},
      {{5, 2}, fails, CommandResult::Ok, {}, 0},
      {{6, 0}, runs, CommandResult::Ok, {}, 0},
      {{6, 3}, runs, CommandResult::Ok, {}, 0},
      {{10, 0}, runs, CommandResult::Ok, {}, 0},
  };
  for (const auto& c : cases) {
    Harness h;
    h.fake.osVersion = c.version;
    h.app.handlers[Slot::AltShowBalloon] = c.slot;
    const bool native = c.version.major > 5 || (c.version.major == 5 && c.version.minor >= 1);
    const std::wstring label =
        std::to_wstring(c.version.major) + L"." + std::to_wstring(c.version.minor) + L" " + c.slot;
    EXPECT_EQ(ExecuteCommand(h.app, L"show balloon \"Saved\" \"b\""), c.result) << label;
    EXPECT_EQ(h.BoxTexts(), c.boxes) << label;
    for (const fake::MessageBoxCall& box : h.fake.boxes) {
      EXPECT_EQ(box.caption, L"Parsing Error");
    }
    EXPECT_EQ(h.fake.beeps, c.beeps) << label;
    EXPECT_EQ(BalloonCalls(h).size(), native ? 1u : 0u) << label;
    EXPECT_EQ(h.app.balloon.BalloonText, native ? L"Saved" : L"") << label;
  }
}

TEST(ShowBalloon, ABalloonFromADroppedScriptIsSentOnce) {
  Harness h;
  h.fake.AddFile(kAppFolder + L"note.scp",
                 Bytes(Script({L"on openScript", L"show warning balloon \"Disk low\" \"Velmora\"",
                               L"end openScript"})));
  CheckForCommands(h.app);
  const std::vector<fake::TrayCall> calls = BalloonCalls(h);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].record.dwInfoFlags, 2u);
  EXPECT_FALSE(h.fake.Exists(kAppFolder + L"note.scp"));
}

} // namespace
} // namespace velmora::testing
