// Balloons: the show command's record fields and kinds, and the script's own substitute on systems
// without balloons.
#include <gtest/gtest.h>
#include <tuple>

#include "harness.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

// The calls that carry a balloon.
std::vector<fake::TrayCall> BalloonCalls(const Harness& h) {
  std::vector<fake::TrayCall> calls;
  for (const fake::TrayCall& call : h.fake.trayCalls) {
    if (call.record.uFlags == kNifInfo) {
      calls.push_back(call);
    }
  }
  return calls;
}

// The text is cut to 255 characters and the title to 63; a line without both quoted texts shows
// nothing.
TEST(ShowBalloon, KindTextAndTitleGoIntoTheRecord) {
  const std::wstring m300(300, L'm'), t80(80, L't');
  const std::tuple<std::wstring, std::uint32_t, std::wstring, std::wstring> cases[] = {
      {L"show information balloon \"Saved\" \"Backup\"", 1, L"Saved", L"Backup"},
      {L"show info balloon \"a\" \"b\"", 1, L"a", L"b"},
      {L"SHOW Warning BALLOON \"a\" \"b\"", 2, L"a", L"b"},
      {L"show error balloon \"a\" \"b\"", 3, L"a", L"b"},
      {L"show balloon \"a\" \"b\"", 0, L"a", L"b"},
      {L"show warning \"a\" \"b\"", 0, L"a", L"b"},
      {L"show balloon \"On %d%\\nat %t%\" \"Up\"", 0, L"On 12/7/2026\r\nat 9:41:07 AM", L"Up"},
      {L"show balloon \"" + m300 + L"\" \"" + t80 + L"\"", 0, m300.substr(0, 255),
       t80.substr(0, 63)}};
  for (const auto& [line, kind, text, title] : cases) {
    SCOPED_TRACE(line);
    Harness h;
    AddTrayIcon(h.app);
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok);
    const std::vector<fake::TrayCall> calls = BalloonCalls(h);
    ASSERT_EQ(calls.size(), 1u);
    const TrayIconRecord& r = calls[0].record;
    EXPECT_EQ(std::make_tuple(calls[0].message, r.uID, r.hWnd, r.uTimeoutOrVersion, r.dwInfoFlags),
              std::make_tuple(kNimModify, kTrayIconId, fake::FakePlatform::kHostWindow, 3u, kind));
    EXPECT_EQ(r.szInfo, FixedWidth(text, kInfoChars));
    EXPECT_EQ(r.szInfoTitle, FixedWidth(title, kInfoTitleChars));
    EXPECT_TRUE(h.fake.boxes.empty());
  }
  for (const wchar_t* line : {L"show balloon", L"show info balloon \"only the text\"",
                              L"show warning balloon \"text\" title"}) {
    ExpectLine(line, L"", L"Can't understand 'show' command.");
  }
}

// Before XP the script's altShowBalloon handler stands in, and its failure is reported; every
// system from XP on shows a real balloon, whatever the script has. Each row: the script's
// substitute, then what followed before XP.
TEST(ShowBalloon, SystemsBeforeXpRunTheScriptsSubstituteAndReportItsFailure) {
  const std::wstring cannotRun = L"Parsing Error: Can't execute 'altShowBalloon' handler.; ";
  const std::pair<std::wstring, std::wstring> cases[] = {
      {Block(L"altShowBalloon", {L"beep"}), L"beep; "},
      {Block(L"altShowBalloon", {L"bogus"}),
       L"Parsing Error: Can't understand 'bogus'.; " + cannotRun + L"error"},
      {L"on altShowBalloon\r\nbeep", cannotRun + L"error"},
      {Block(L"altShowBalloon", {}), L""},
      {L"", L""}};
  for (const OsVersion version :
       {OsVersion{4, 10}, {5, 0}, {5, 1}, {5, 2}, {6, 0}, {6, 3}, {10, 0}}) {
    const bool native = version.major > 5 || (version.major == 5 && version.minor >= 1);
    for (const auto& [slot, seen] : cases) {
      SCOPED_TRACE(std::to_wstring(version.major) + L"." + std::to_wstring(version.minor) + slot);
      Harness h;
      h.fake.osVersion = version;
      h.app.handlers[Slot::AltShowBalloon] = slot;
      const bool failed =
          ExecuteCommand(h.app, L"show balloon \"Saved\" \"b\"") == CommandResult::Error;
      EXPECT_EQ(Shown(h) + (failed ? L"error" : L""), native ? L"" : seen);
      EXPECT_EQ(BalloonCalls(h).size(), native ? 1u : 0u);
    }
  }
}

} // namespace
} // namespace velmora::testing
