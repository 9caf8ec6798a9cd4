// Icon flashing and swapping: what each tick shows and sends, the every
// clause, the stop words, and files that vanish while the icon animates.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

struct Animated : Harness {
  Animated() {
    fake.AddFile(kAppFolder + L"a.ico", "ico");
    fake.AddFile(kAppFolder + L"b.ico", "ico");
    fake.AddFile(kAppFolder + L"c.ico", "ico");
    fake.AddFile(kAppFolder + L"d.ico", "ico");
  }

  // Lets one interval pass and gives the file the tick showed: a name
  // without the folder, "" for the blank icon, "none" when nothing was sent.
  std::wstring Tick(std::uint32_t interval) {
    const std::size_t before = fake.trayCalls.size();
    fake.AdvanceClock(interval - 1);
    EXPECT_EQ(fake.trayCalls.size(), before) << "ticked early";
    fake.AdvanceClock(1);
    if (fake.trayCalls.size() == before) {
      return L"none";
    }
    EXPECT_EQ(fake.trayCalls.size(), before + 1);
    const TrayIconRecord& sent = fake.trayCalls.back().record;
    EXPECT_EQ(fake.trayCalls.back().message, kNimModify);
    EXPECT_EQ(sent.cbSize, kTrayRecordSizeV6);
    EXPECT_EQ(sent.uID, kTrayIconId);
    EXPECT_EQ(sent.uFlags, kNifIcon) << "a tick changes the picture alone";
    EXPECT_EQ(sent.hIcon, fake.formIcon);
    EXPECT_EQ(app.tray.TrayIcon.hIcon, fake.formIcon) << "the record names the icon shown";
    return app.animation.ShownIconFile.substr(
        app.animation.ShownIconFile.empty() ? 0 : kAppFolder.size(), std::wstring::npos);
  }

  std::vector<std::wstring> Ticks(std::uint32_t interval, int count) {
    std::vector<std::wstring> shown;
    for (int i = 0; i < count; ++i) {
      shown.push_back(Tick(interval));
    }
    return shown;
  }
};

TEST(Animation, EachTickShowsTheNextIconAtTheClausesInterval) {
  const struct {
    const wchar_t* before; // a line run first, or nullptr
    const wchar_t* line;
    std::uint32_t interval;
    std::vector<std::wstring> shown;
  } cases[] = {
      {L"set icon \"a.ico\"", L"flash icon", 500, {L"", L"a.ico", L"", L"a.ico"}},
      {L"set icon \"a.ico\"", L"flash icon \"b.ico\" every 250", 250, {L"b.ico", L"", L"b.ico"}},
      {nullptr, L"flash icon every 250", 500, {L"", L"", L""}},
      {nullptr, L"flash icon \"a.ico\" every often", 500, {L"a.ico", L""}},
      {nullptr, L"swap icons \"a.ico\" \"b.ico\"", 500, {L"a.ico", L"b.ico", L"a.ico"}},
      {L"set icon \"a.ico\"",
       L"swap icon \"a.ico\" \"b.ico\" every 32768",
       32768,
       {L"b.ico", L"a.ico", L"b.ico"}},
      {nullptr, L"swap icons \"a.ico\" \"b.ico\" every 60000", 60000, {L"a.ico", L"b.ico"}},
      {nullptr, L"swap icons \"a.ico\" \"b.ico\" every 60001", 500, {L"a.ico", L"b.ico"}},
      // A swap line that fails after its first file still leaves that file
      // to flash.
      {L"swap icons \"c.ico\"", L"flash icon", 500, {L"c.ico", L"", L"c.ico"}},
  };
  for (const auto& c : cases) {
    Animated h;
    AddTrayIcon(h.app);
    if (c.before != nullptr) {
      ExecuteCommand(h.app, c.before);
    }
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Ok) << c.line;
    EXPECT_EQ(h.app.animation.SwapInterval, c.interval) << c.line;
    EXPECT_EQ(h.Ticks(c.interval, static_cast<int>(c.shown.size())), c.shown) << c.line;
  }
}

// Each tick replaces the picture, and the one before is destroyed: whatever
// sends the record next must name the picture shown now, and the tip the
// script set stays in it.
TEST(Animation, TheTipStaysAndLaterCallsSendThePictureShown) {
  Animated h;
  AddTrayIcon(h.app);
  ExecuteCommand(h.app, L"set tooltip \"Build running\"");
  ExecuteCommand(h.app, L"swap icons \"a.ico\" \"b.ico\"");
  h.Ticks(500, 3);
  for (const fake::TrayCall& call : h.fake.trayCalls) {
    EXPECT_TRUE(call.message != kNimModify || call.record.uFlags == kNifIcon ||
                call.record.szTip == FixedWidth(L"Build running", kTipChars) ||
                call.record.szTip == FixedWidth(L"Velmora", kTipChars))
        << "no call clears the tip";
  }

  ExecuteCommand(h.app, L"set tooltip \"Still running\"");
  EXPECT_EQ(h.fake.trayCalls.back().record.hIcon, h.fake.formIcon);
  EXPECT_EQ(h.fake.trayCalls.back().record.szTip, FixedWidth(L"Still running", kTipChars));
  RestoreTrayIcon(h.app);
  EXPECT_EQ(h.fake.trayCalls.back().message, kNimSetVersion);
  EXPECT_EQ(h.fake.trayCalls[h.fake.trayCalls.size() - 2].record.hIcon, h.fake.formIcon);
}

TEST(Animation, StopWordsKeepTheIconShownEvenTheBlankOne) {
  for (const wchar_t* line :
       {L"stop flash", L"stop swap", L"STOP Flashing", L"stop swapping", L"stop blinking"}) {
    Animated h;
    ExecuteCommand(h.app, L"set icon \"a.ico\"");
    ExecuteCommand(h.app, L"flash icon");
    EXPECT_EQ(h.Tick(500), L"");
    const IconHandle blank = h.fake.formIcon;
    const bool stops = std::wstring(line) != L"stop blinking";
    EXPECT_EQ(ExecuteCommand(h.app, line), stops ? CommandResult::Ok : CommandResult::Error);
    EXPECT_EQ(h.fake.Timer(TimerId::Swap).enabled, !stops) << line;
    if (stops) {
      h.fake.AdvanceClock(5000);
      EXPECT_EQ(h.fake.formIcon, blank) << line;
      EXPECT_TRUE(h.fake.boxes.empty()) << line;
    } else {
      EXPECT_EQ(h.BoxTexts(), std::vector<std::wstring>{L"Can't understand 'stop' command."});
    }
  }
}

TEST(Animation, NegativeEveryValuesAreRefusedAndChangeNothing) {
  const struct {
    const wchar_t* line;
    CommandResult result;
    const wchar_t* message;
  } cases[] = {
      {L"flash icon \"a.ico\" every -5", CommandResult::Error,
       L"Can't understand 'flash' command."},
      {L"flash icon \"a.ico\" every", CommandResult::Error, L"Can't understand 'flash' command."},
      {L"swap icons \"a.ico\" \"b.ico\" every -1", CommandResult::Error,
       L"Can't understand 'swap' command."},
      {L"swap icons \"a.ico\" \"b.ico\" every", CommandResult::Error,
       L"Can't understand 'swap' command."},
      // The singular reports through the plural's run and gives "OK" itself.
      {L"swap icon \"a.ico\" \"b.ico\" every -0.5", CommandResult::Ok,
       L"Can't understand 'swap' command."},
  };
  for (const auto& c : cases) {
    Animated h;
    ExecuteCommand(h.app, L"swap icons \"c.ico\" \"d.ico\" every 300");
    EXPECT_EQ(ExecuteCommand(h.app, c.line), c.result) << c.line;
    EXPECT_EQ(h.BoxTexts(), std::vector<std::wstring>{c.message}) << c.line;
    EXPECT_EQ(h.app.animation.FirstIconFile, kAppFolder + L"c.ico") << c.line;
    EXPECT_EQ(h.app.animation.SecondIconFile, kAppFolder + L"d.ico") << c.line;
    EXPECT_EQ(h.app.animation.SwapInterval, 300u) << c.line;
    EXPECT_TRUE(h.fake.Timer(TimerId::Swap).enabled) << c.line;
    EXPECT_EQ(h.fake.Timer(TimerId::Swap).interval, 300u) << c.line;
  }
}

TEST(Animation, AnIconThatNoLongerLoadsIsSkippedAndTheTicksGoOn) {
  Animated h;
  ExecuteCommand(h.app, L"swap icons \"a.ico\" \"b.ico\"");
  EXPECT_EQ(h.Tick(500), L"a.ico");
  const IconHandle shown = h.fake.formIcon;
  h.fake.RemoveFile(kAppFolder + L"b.ico");
  EXPECT_EQ(h.Tick(500), L"none");
  EXPECT_EQ(h.fake.formIcon, shown);
  EXPECT_EQ(h.Tick(500), L"a.ico");
  EXPECT_TRUE(h.fake.Timer(TimerId::Swap).enabled);
  EXPECT_TRUE(h.fake.boxes.empty());
}

} // namespace
} // namespace velmora::testing
