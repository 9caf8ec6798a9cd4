// The tray record, the hooked window procedure with its click and balloon
// handlers, and the set icon / set tooltip commands.
#include <gtest/gtest.h>

#include "base/files.hpp"
#include "harness.hpp"
#include "interpreter/script.hpp"
#include "script_trace.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

constexpr std::intptr_t kLeftUp = 514;
constexpr std::intptr_t kLeftDouble = 515;
constexpr std::intptr_t kRightUp = 517;
constexpr std::intptr_t kRightDouble = 518;

// A handler block whose body sets the tip to a marker, so a test can see
// which handler ran last.
std::wstring MarkerBlock(const std::wstring& name, const std::wstring& marker) {
  return Block(name, {L"set tooltip \"" + marker + L"\""});
}

// The record's tip field for a text: cut to 127 characters, padded with NULs
// to 128, so that it always holds its terminator.
std::wstring TipField(const std::wstring& text) {
  std::wstring field = text.substr(0, 127);
  return field + std::wstring(128 - field.size(), L'\0');
}

void Callback(Harness& h, std::intptr_t event) {
  TrayWindowProc(h.app, event);
}

TEST(ChooseTrayRecordSize, FollowsShell32sMajorVersion) {
  const struct {
    std::optional<std::uint16_t> shell32;
    std::uint32_t size;
  } cases[] = {
      {std::nullopt, kTrayRecordSizeOld},
      {4, kTrayRecordSizeOld},
      {5, kTrayRecordSizeV5},
      {6, kTrayRecordSizeV6},
      {10, kTrayRecordSizeV6},
  };
  for (const auto& c : cases) {
    Harness h;
    h.fake.shell32Major = c.shell32;
    AddTrayIcon(h.app);
    EXPECT_EQ(h.app.tray.TrayRecordSize, c.size) << c.shell32.value_or(0);
    ASSERT_FALSE(h.fake.trayCalls.empty());
    EXPECT_EQ(h.fake.trayCalls[0].record.cbSize, c.size);
  }
}

TEST(AddTrayIcon, SendsTheRecordThenSetsTheVersion) {
  Harness h;
  AddTrayIcon(h.app);
  ASSERT_EQ(h.fake.trayCalls.size(), 2u);
  EXPECT_EQ(h.fake.trayCalls[0].message, kNimAdd);
  EXPECT_EQ(h.fake.trayCalls[1].message, kNimSetVersion);
  for (const auto& call : h.fake.trayCalls) {
    const TrayIconRecord& record = call.record;
    EXPECT_EQ(record.cbSize, kTrayRecordSizeV6);
    EXPECT_EQ(record.hWnd, fake::FakePlatform::kHostWindow);
    EXPECT_EQ(record.uID, 999u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 1025u);
    EXPECT_EQ(record.hIcon, 1u);
    EXPECT_EQ(record.szTip, TipField(L"Velmora"));
    EXPECT_EQ(record.uTimeoutOrVersion, 3u);
  }
}

TEST(AddTrayIcon, AFailedAddSetsNoVersionAndTellsNoOne) {
  Harness h;
  h.fake.trayAddSucceeds = false;
  AddTrayIcon(h.app);
  ASSERT_EQ(h.fake.trayCalls.size(), 1u);
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(RestoreTrayIcon, AddsTheIconBackWithTheCurrentTipAndPicture) {
  Harness h;
  h.fake.trayAddSucceeds = false; // no taskbar yet when the program started
  AddTrayIcon(h.app);
  ExecuteCommand(h.app, L"set tooltip \"Build green\"");
  h.fake.SetBlankFormIcon();
  h.fake.trayAddSucceeds = true;
  h.fake.trayCalls.clear();

  RestoreTrayIcon(h.app);
  ASSERT_EQ(h.fake.trayCalls.size(), 2u);
  EXPECT_EQ(h.fake.trayCalls[0].message, kNimAdd);
  EXPECT_EQ(h.fake.trayCalls[0].record.szTip, TipField(L"Build green"));
  EXPECT_EQ(h.fake.trayCalls[0].record.hIcon, h.fake.formIcon);
  EXPECT_EQ(h.fake.trayCalls[0].record.uFlags, 7u);
}

TEST(TrayWindowProc, IgnoresCodesThatRunNothing) {
  Harness h;
  const std::wstring handlers = MarkerBlock(L"click", L"ran") + L"\r\n" +
                                MarkerBlock(L"balloonShow", L"ran") + L"\r\n" +
                                MarkerBlock(L"balloonClose", L"ran");
  for (const Slot slot :
       {Slot::LeftClick, Slot::LeftClickOneTime, Slot::BalloonShow, Slot::BalloonClose}) {
    h.app.handlers[slot] = handlers;
  }
  // Left button down and balloon hidden run nothing, yet every callback
  // brings the window to the foreground.
  Callback(h, 513);
  Callback(h, 1027);
  EXPECT_EQ(h.fake.foregroundCalls, 2);
  EXPECT_EQ(h.app.tray.TooltipText, L"");
  EXPECT_TRUE(h.fake.boxes.empty());
}

// During a download the events that run something wait for its end, the
// mouse moves that pour in meanwhile do not, and the wait has a bound.
TEST(TrayWindowProc, DuringADownloadOnlyEventsThatRunSomethingAreHeldBack) {
  Harness h;
  h.app.download.DownloadBusy = true;
  for (int i = 0; i < 1000; ++i) {
    Callback(h, 512); // mouse move
  }
  EXPECT_TRUE(h.app.tray.DeferredTrayEvents.empty());
  for (const std::intptr_t code : {kLeftUp, kRightUp, std::intptr_t{1029}}) {
    Callback(h, code);
  }
  EXPECT_EQ(h.app.tray.DeferredTrayEvents, (std::vector<std::intptr_t>{kLeftUp, kRightUp, 1029}));
  for (int i = 0; i < 100; ++i) {
    Callback(h, kLeftUp);
  }
  EXPECT_EQ(h.app.tray.DeferredTrayEvents.size(), 16u);
  EXPECT_EQ(h.fake.foregroundCalls, 0);
}

struct PairCase {
  std::intptr_t lParam;
  Slot oneTimeSlot;
  const wchar_t* oneTimeName;
  Slot permanentSlot;
  const wchar_t* permanentName;
};

const PairCase kPairCases[] = {
    {kLeftUp, Slot::LeftClickOneTime, L"leftClickOneTime", Slot::LeftClick, L"leftClick"},
    {kLeftUp, Slot::LeftClickOneTime, L"clickOneTime", Slot::LeftClick, L"click"},
    {kLeftDouble, Slot::DoubleLeftClickOneTime, L"doubleLeftClickOneTime", Slot::DoubleLeftClick,
     L"doubleLeftClick"},
    {kLeftDouble, Slot::DoubleLeftClickOneTime, L"doubleClickOneTime", Slot::DoubleLeftClick,
     L"doubleClick"},
    {kRightUp, Slot::RightClickOneTime, L"rightClickOneTime", Slot::RightClick, L"rightClick"},
    {kRightDouble, Slot::DoubleRightClickOneTime, L"doubleRightClickOneTime",
     Slot::DoubleRightClick, L"doubleRightClick"},
};

TEST(TrayWindowProc, TheOneTimeHandlerServesTheFirstEventOnly) {
  for (const PairCase& c : kPairCases) {
    // A failing permanent handler is reported under its own name.
    Harness h;
    h.app.handlers[c.oneTimeSlot] = MarkerBlock(c.oneTimeName, L"once");
    h.app.handlers[c.permanentSlot] = Block(c.permanentName, {L"set tooltip \"always\"", L"bogus"});
    Texts seen;
    for (int i = 0; i < 3; ++i) {
      Callback(h, c.lParam);
      seen.push_back(h.app.tray.TooltipText);
    }
    EXPECT_EQ(seen, (Texts{L"once", L"always", L"always"})) << c.oneTimeName;
    EXPECT_TRUE(h.app.handlers[c.oneTimeSlot].empty()) << c.oneTimeName;
    EXPECT_FALSE(h.app.handlers[c.permanentSlot].empty()) << c.permanentName;
    const std::wstring report = L"Error in '" + std::wstring(c.permanentName) + L"' handler.";
    EXPECT_EQ(h.BoxTexts(),
              (Texts{L"Can't understand 'bogus'.", report, L"Can't understand 'bogus'.", report}));
    EXPECT_EQ(h.fake.boxes[1].caption, L"Execution Error");
  }
}

TEST(TrayWindowProc, AFailingOneTimeHandlerStaysAndIsReportedEachTime) {
  for (const PairCase& c : kPairCases) {
    Harness h;
    h.app.handlers[c.oneTimeSlot] = Block(c.oneTimeName, {L"bogus"});
    h.app.handlers[c.permanentSlot] = MarkerBlock(c.permanentName, L"always");
    Callback(h, c.lParam);
    Callback(h, c.lParam);
    const std::wstring report = L"Error in '" + std::wstring(c.oneTimeName) + L"' handler.";
    EXPECT_EQ(h.BoxTexts(),
              (Texts{L"Can't understand 'bogus'.", report, L"Can't understand 'bogus'.", report}));
    EXPECT_EQ(h.Captions(),
              (Texts{L"Parsing Error", L"Execution Error", L"Parsing Error", L"Execution Error"}));
    EXPECT_EQ(h.fake.boxes[1].style, kBoxIconError);
    EXPECT_FALSE(h.app.handlers[c.oneTimeSlot].empty()) << c.oneTimeName;
    EXPECT_EQ(h.app.tray.TooltipText, L"") << "the permanent handler must not run";
  }
}

TEST(TrayWindowProc, TheLongNameWinsInASharedSlot) {
  Harness h;
  h.app.handlers[Slot::LeftClickOneTime] =
      MarkerBlock(L"clickOneTime", L"short") + L"\r\n" + MarkerBlock(L"leftClickOneTime", L"long");
  Callback(h, kLeftUp);
  EXPECT_EQ(h.app.tray.TooltipText, L"long");
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
}

TEST(TrayWindowProc, NotFoundIsNeverReportedButIncompleteIs) {
  Harness h;
  // A one-time slot without the named handler still serves the event: the
  // permanent handler does not run, and the slot is kept.
  h.app.handlers[Slot::LeftClickOneTime] = MarkerBlock(L"somethingElse", L"other");
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"click", L"always");
  h.app.handlers[Slot::RightClick] = MarkerBlock(L"somethingElse", L"other");
  Callback(h, kLeftUp);
  Callback(h, kRightUp);
  Callback(h, kLeftDouble);
  EXPECT_EQ(h.app.tray.TooltipText, L"");
  EXPECT_FALSE(h.app.handlers[Slot::LeftClickOneTime].empty());
  EXPECT_TRUE(h.fake.boxes.empty());

  h.app.handlers[Slot::LeftClickOneTime].clear();
  h.app.handlers[Slot::LeftClick] = L"on click\r\nset tooltip \"never\"";
  Callback(h, kLeftUp);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Incomplete 'click' handler."});
  EXPECT_EQ(h.fake.boxes[0].caption, L"Execution Error");
}

TEST(TrayWindowProc, BalloonCodesRunTheirHandlers) {
  const struct {
    std::intptr_t lParam;
    Slot slot;
    const wchar_t* name;
  } cases[] = {
      {1026, Slot::BalloonShow, L"balloonShow"},
      {1028, Slot::BalloonClose, L"balloonClose"},
      {1029, Slot::BalloonClick, L"balloonClick"},
  };
  for (const auto& c : cases) {
    Harness h;
    h.app.handlers[c.slot] = MarkerBlock(c.name, c.name);
    Callback(h, c.lParam);
    EXPECT_EQ(h.app.tray.TooltipText, c.name);
    EXPECT_FALSE(h.app.handlers[c.slot].empty()) << c.name;

    h.app.handlers[c.slot] = Block(c.name, {L"bogus"});
    Callback(h, c.lParam);
    EXPECT_EQ(h.BoxTexts(), (Texts{L"Can't understand 'bogus'.",
                                   L"Error in '" + std::wstring(c.name) + L"' handler."}));
  }
}

TEST(TrayWindowProc, ClicksDeliveredWhileABoxIsOpenRunTheirOwnHandlers) {
  Harness h;
  h.app.handlers[Slot::RightClick] = Block(L"rightClick", {L"bogus"});
  h.app.handlers[Slot::LeftClickOneTime] = MarkerBlock(L"clickOneTime", L"once");
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"click", L"always");
  Texts tipsInsideTheBox;
  h.fake.onMessageBox = [&](const fake::MessageBoxCall& box) -> std::optional<int> {
    if (box.text == L"Can't understand 'bogus'.") {
      Callback(h, kLeftUp);
      tipsInsideTheBox.push_back(h.app.tray.TooltipText);
      Callback(h, kLeftUp);
      tipsInsideTheBox.push_back(h.app.tray.TooltipText);
    }
    return std::nullopt;
  };
  Callback(h, kRightUp);
  EXPECT_EQ(tipsInsideTheBox, (Texts{L"once", L"always"}));
  EXPECT_EQ(h.BoxTexts(), (Texts{L"Can't understand 'bogus'.", L"Error in 'rightClick' handler."}));
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
}

TEST(TrayWindowProc, AOneTimeHandlerIsRemovedBeforeItRuns) {
  // It installs its successor, which the next click runs; then the
  // permanent handler takes over.
  Harness h;
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"leftClick", L"always");
  h.app.handlers[Slot::LeftClickOneTime] =
      Script({L"on leftClickOneTime", L"set tooltip \"first\"",
              L"install handler \"on clickOneTime\\nset tooltip \\'second\\'\\nend "
              L"clickOneTime\"",
              L"end leftClickOneTime"});
  Texts seen;
  for (int i = 0; i < 3; ++i) {
    Callback(h, kLeftUp);
    seen.push_back(h.app.tray.TooltipText);
  }
  EXPECT_EQ(seen, (Texts{L"first", L"second", L"always"}));
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(TrayWindowProc, AClickWhileTheOneTimeBoxIsOpenRunsThePermanentHandler) {
  Harness h;
  h.app.handlers[Slot::LeftClickOneTime] = Block(L"leftClickOneTime", {L"answer \"Welcome\""});
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"leftClick", L"always");
  int nested = 0;
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    if (nested++ == 0) {
      Callback(h, kLeftUp);
    }
    return std::nullopt;
  };
  Callback(h, kLeftUp);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Welcome"});
  EXPECT_EQ(Tips(h.fake), Texts{L"always"});
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
}

TEST(TrayWindowProc, AFailingOneTimeHandlerIsPutBackOnlyIntoAnEmptySlot) {
  Harness h;
  const std::wstring successor = Script({L"on clickOneTime", L"beep", L"end clickOneTime"});
  h.app.handlers[Slot::LeftClickOneTime] =
      Block(L"leftClickOneTime",
            {L"install handler \"on clickOneTime\\nbeep\\nend clickOneTime\"", L"bogus"});
  Callback(h, kLeftUp);
  EXPECT_EQ(h.app.handlers[Slot::LeftClickOneTime], successor);
  EXPECT_EQ(h.BoxTexts(),
            (Texts{L"Can't understand 'bogus'.", L"Error in 'leftClickOneTime' handler."}));
  Callback(h, kLeftUp);
  EXPECT_EQ(h.fake.beeps, 1);
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
}

TEST(SetIcon, LoadsThePictureAndResendsTheRecord) {
  Harness h;
  AddTrayIcon(h.app);
  h.fake.AddFile(kAppFolder + L"icons\\busy.ico", "ico");
  h.fake.Timer(TimerId::Swap).enabled = true;
  EXPECT_EQ(ExecuteCommand(h.app, L"set the icon \"icons/busy.ico\""), CommandResult::Ok);
  EXPECT_FALSE(h.fake.Timer(TimerId::Swap).enabled);
  EXPECT_EQ(h.app.animation.FirstIconFile, L"C:\\App\\icons\\busy.ico");
  EXPECT_EQ(h.app.animation.ShownIconFile, L"C:\\App\\icons\\busy.ico");
  const fake::TrayCall& call = h.fake.trayCalls.back();
  EXPECT_EQ(call.message, kNimModify);
  EXPECT_EQ(call.record.hIcon, h.fake.formIcon);
  EXPECT_NE(call.record.hIcon, 1u);
  EXPECT_EQ(call.record.uFlags, 7u);
  EXPECT_EQ(call.record.szTip, TipField(L"Velmora"));
}

TEST(SetIcon, FailuresKeepTheIconButStopTheSwapTimer) {
  const struct {
    const wchar_t* line;
    const wchar_t* message;
  } cases[] = {
      {L"set icon", L"Can't understand 'set icon' command."},
      {L"set icon \"icons/None.ico\"",
       L"Can't understand 'set' command. (File 'icons/None.ico' doesn't exist.)"},
      {L"set icon \"readme.txt\"", L"Can't understand 'set icon' command."},
  };
  for (const auto& c : cases) {
    Harness h;
    AddTrayIcon(h.app);
    h.fake.AddFile(kAppFolder + L"readme.txt", "text");
    h.fake.unloadablePictures.push_back(kAppFolder + L"readme.txt");
    h.fake.Timer(TimerId::Swap).enabled = true;
    const std::size_t callsBefore = h.fake.trayCalls.size();
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Error) << c.line;
    EXPECT_EQ(h.BoxTexts(), Texts{c.message});
    EXPECT_FALSE(h.fake.Timer(TimerId::Swap).enabled) << c.line;
    EXPECT_EQ(h.fake.trayCalls.size(), callsBefore) << c.line;
    EXPECT_EQ(h.app.tray.TrayIcon.hIcon, 1u) << c.line;
    EXPECT_EQ(h.app.animation.FirstIconFile, L"") << c.line;
  }
}

TEST(SetTooltip, CutsToTheShellsLengthBeforeExpanding) {
  const struct {
    std::uint32_t shlwapi;
    std::wstring quoted;
    std::wstring tip;
  } cases[] = {
      {5, std::wstring(200, L'x'), std::wstring(127, L'x')},
      {6, std::wstring(200, L'x'), std::wstring(127, L'x')},
      {4, std::wstring(200, L'x'), std::wstring(63, L'x')},
      {0, std::wstring(200, L'x'), std::wstring(63, L'x')},
      // The cut splits the placeholder, which then stays as text.
      {4, std::wstring(61, L'a') + L"%d%", std::wstring(61, L'a') + L"%d"},
      // A placeholder inside the limit makes the tip longer than the limit.
      {4, std::wstring(60, L'a') + L"%d%", std::wstring(60, L'a') + L"12/7/2026"},
      {5, L"Up since %d% at %t%\\nline two", L"Up since 12/7/2026 at 9:41:07 AM\r\nline two"},
      // The record's field holds only the first 127 characters and a NUL.
      {5, std::wstring(124, L'a') + L"%d%", std::wstring(124, L'a') + L"12/7/2026"},
  };
  for (const auto& c : cases) {
    Harness h;
    h.fake.shlwapiMajor = c.shlwapi;
    EXPECT_EQ(ExecuteCommand(h.app, L"set the tooltip \"" + c.quoted + L"\""), CommandResult::Ok);
    EXPECT_EQ(h.app.tray.TooltipText, c.tip);
    ASSERT_FALSE(h.fake.trayCalls.empty());
    const fake::TrayCall& call = h.fake.trayCalls.back();
    EXPECT_EQ(call.message, kNimModify);
    EXPECT_EQ(call.record.uFlags, 7u);
    EXPECT_EQ(call.record.szTip, TipField(c.tip));
  }
}

TEST(SetTooltip, WithoutQuotesNothingIsSent) {
  Harness h;
  h.app.tray.TooltipText = L"kept";
  EXPECT_EQ(ExecuteCommand(h.app, L"set tooltip Hello"), CommandResult::Error);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'set tooltip' command."});
  EXPECT_EQ(h.app.tray.TooltipText, L"kept");
  EXPECT_TRUE(h.fake.trayCalls.empty());
}

} // namespace
} // namespace velmora::testing
