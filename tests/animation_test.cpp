// Icon flashing and swapping: what each tick shows and sends, the every clause, the stop words, and
// pictures that no longer load.
#include <gtest/gtest.h>
#include <tuple>

#include "harness.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

// Pictures a to d, and e.ico, which no longer loads (deleted, say).
struct Animated : Harness {
  Animated() {
    for (const wchar_t* name : {L"a.ico", L"b.ico", L"c.ico", L"d.ico", L"e.ico"}) {
      fake.AddFile(kAppFolder + name, "ico");
    }
    fake.unloadablePictures.push_back(kAppFolder + L"e.ico");
  }

  // Lets one interval pass and gives the file the tick showed: a name without the folder, "" for
  // the blank icon, "none" when nothing was sent. A tick sends the picture alone, and the record
  // names the icon shown.
  std::wstring Tick(std::uint32_t interval) {
    const std::size_t before = fake.trayCalls.size();
    fake.AdvanceClock(interval - 1);
    EXPECT_EQ(fake.trayCalls.size(), before) << "ticked early";
    fake.AdvanceClock(1);
    if (fake.trayCalls.size() == before) {
      return L"none";
    }
    EXPECT_EQ(fake.trayCalls.size(), before + 1);
    const auto& [message, r] = fake.trayCalls.back();
    EXPECT_EQ(std::make_tuple(message, r.cbSize, r.uID, r.uFlags, r.hIcon, app.tray.TrayIcon.hIcon),
              std::make_tuple(kNimModify, kTrayRecordSizeV6, kTrayIconId, kNifIcon, fake.formIcon,
                              fake.formIcon));
    const std::wstring& shown = app.animation.ShownIconFile;
    return shown.empty() ? shown : shown.substr(kAppFolder.size());
  }

  Texts Ticks(std::uint32_t interval, std::size_t count) {
    Texts shown;
    while (shown.size() < count) {
      shown.push_back(Tick(interval));
    }
    return shown;
  }
};

// A swap line that fails after its first file still leaves that file to flash; an every clause
// beyond a minute keeps the default; a picture that no longer loads is skipped and the ticks go on.
TEST(Animation, EachTickShowsTheNextIconAtTheClausesInterval) {
  const std::tuple<const wchar_t*, const wchar_t*, std::uint32_t, Texts> cases[] = {
      {L"set icon \"a.ico\"", L"flash icon", 500, {L"", L"a.ico", L"", L"a.ico"}},
      {L"set icon \"a.ico\"", L"flash icon \"b.ico\" every 250", 250, {L"b.ico", L"", L"b.ico"}},
      {L"", L"flash icon every 250", 500, {L"", L"", L""}},
      {L"", L"flash icon \"a.ico\" every often", 500, {L"a.ico", L""}},
      {L"", L"swap icons \"a.ico\" \"b.ico\"", 500, {L"a.ico", L"b.ico", L"a.ico"}},
      {L"set icon \"a.ico\"",
       L"swap icon \"a.ico\" \"b.ico\" every 32768",
       32768,
       {L"b.ico", L"a.ico", L"b.ico"}},
      {L"", L"swap icons \"a.ico\" \"b.ico\" every 60000", 60000, {L"a.ico", L"b.ico"}},
      {L"", L"swap icons \"a.ico\" \"b.ico\" every 60001", 500, {L"a.ico", L"b.ico"}},
      {L"swap icons \"c.ico\"", L"flash icon", 500, {L"c.ico", L"", L"c.ico"}},
      {L"", L"swap icons \"a.ico\" \"e.ico\"", 500, {L"a.ico", L"none", L"a.ico"}}};
  for (const auto& [before, line, interval, shown] : cases) {
    SCOPED_TRACE(line);
    Animated h;
    AddTrayIcon(h.app);
    ExecuteCommand(h.app, before);
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok);
    EXPECT_EQ(h.app.animation.SwapInterval, interval);
    EXPECT_EQ(h.Ticks(interval, shown.size()), shown);
  }
}

// Each tick replaces the picture, and the one before is destroyed: whatever sends the record next
// must name the picture shown now, and no call clears the tip the script set.
TEST(Animation, TheTipStaysAndLaterCallsSendThePictureShown) {
  Animated h;
  AddTrayIcon(h.app);
  ExecuteCommand(h.app, L"set tooltip \"Build running\"");
  ExecuteCommand(h.app, L"swap icons \"a.ico\" \"b.ico\"");
  h.Ticks(500, 3);
  ExecuteCommand(h.app, L"set tooltip \"Still running\"");
  EXPECT_EQ(h.fake.trayCalls.back().record.hIcon, h.fake.formIcon);
  EXPECT_EQ(h.fake.trayCalls.back().record.szTip, FixedWidth(L"Still running", kTipChars));
  RestoreTrayIcon(h.app);
  EXPECT_EQ(h.fake.trayCalls.back().message, kNimSetVersion);
  EXPECT_EQ(h.fake.trayCalls[h.fake.trayCalls.size() - 2].record.hIcon, h.fake.formIcon);
}

// Every stop word keeps the icon shown, even the blank one of a flash. A line that is no stop word,
// or whose every value is negative or missing, is refused and the icons go on as they did; the
// singular swap reports through the plural's run and gives "OK".
TEST(Animation, StopWordsKeepTheIconShownAndRefusedLinesChangeNothing) {
  const std::wstring flash = L"Can't understand 'flash' command.";
  const std::wstring swap = L"Can't understand 'swap' command.";
  const std::tuple<const wchar_t*, CommandResult, std::wstring> cases[] = {
      {L"stop flash", CommandResult::Ok, L""},
      {L"stop swap", CommandResult::Ok, L""},
      {L"STOP Flashing", CommandResult::Ok, L""},
      {L"stop swapping", CommandResult::Ok, L""},
      {L"stop blinking", CommandResult::Error, L"Can't understand 'stop' command."},
      {L"flash icon \"a.ico\" every -5", CommandResult::Error, flash},
      {L"flash icon \"a.ico\" every", CommandResult::Error, flash},
      {L"swap icons \"a.ico\" \"b.ico\" every -1", CommandResult::Error, swap},
      {L"swap icons \"a.ico\" \"b.ico\" every", CommandResult::Error, swap},
      {L"swap icon \"a.ico\" \"b.ico\" every -0.5", CommandResult::Ok, swap}};
  for (const auto& [line, result, message] : cases) {
    SCOPED_TRACE(line);
    const bool stopping = std::wstring(line).rfind(L"stop", 0) == 0;
    Animated h;
    ExecuteCommand(h.app, stopping ? L"flash icon \"c.ico\" every 300"
                                   : L"swap icons \"c.ico\" \"d.ico\" every 300");
    const Texts before = h.Ticks(300, 2);
    const IconHandle shown = h.fake.formIcon;
    EXPECT_EQ(ExecuteCommand(h.app, line), result);
    EXPECT_EQ(h.BoxTexts(), message.empty() ? Texts{} : Texts{message});
    EXPECT_EQ(h.fake.Timer(TimerId::Swap).enabled, !message.empty());
    if (message.empty()) {
      h.fake.AdvanceClock(5000);
      EXPECT_EQ(h.fake.formIcon, shown);
    } else {
      EXPECT_EQ(h.Ticks(300, 2), before);
    }
  }
}

} // namespace
} // namespace velmora::testing
