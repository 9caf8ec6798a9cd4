// The tray record, the hooked window procedure with its click and balloon
// handlers, and the set icon / set tooltip commands.
#include <gtest/gtest.h>
#include <tuple>

#include "harness.hpp"
#include "interpreter/script.hpp"
#include "script_trace.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

constexpr std::intptr_t kLeftUp = 514, kLeftDouble = 515, kRightUp = 517, kRightDouble = 518;

// A handler whose body sets the tip to a marker, so a test sees which one ran.
std::wstring MarkerBlock(const std::wstring& name, const std::wstring& marker) {
  return Block(name, {L"set tooltip \"" + marker + L"\""});
}

// The boxes of a handler that fails on its line "bogus", run the given times.
Texts BogusIn(const std::wstring& name, int times = 1) {
  Texts boxes;
  for (int i = 0; i < times; ++i) {
    boxes.insert(boxes.end(), {L"Can't understand 'bogus'.", L"Error in '" + name + L"' handler."});
  }
  return boxes;
}

void Deliver(Harness& h, std::initializer_list<std::intptr_t> codes) {
  for (const std::intptr_t code : codes) {
    TrayWindowProc(h.app, code);
  }
}

// A call's message, flags, picture and tip field; the field is the tip cut to
// 128 characters and padded with NULs.
auto Sent(const fake::TrayCall& call) {
  return std::make_tuple(call.message, call.record.uFlags, call.record.hIcon, call.record.szTip);
}
auto Full(std::uint32_t message, IconHandle icon, std::wstring tip) {
  tip.resize(128);
  return std::make_tuple(message, kNifMessageIconTip, icon, tip);
}

TEST(AddTrayIcon, SendsTheRecordSizedForTheShellThenSetsTheVersion) {
  const std::pair<std::optional<std::uint16_t>, std::uint32_t> sizes[] = {
      {std::nullopt, kTrayRecordSizeOld},
      {4, kTrayRecordSizeOld},
      {5, kTrayRecordSizeV5},
      {6, kTrayRecordSizeV6},
      {10, kTrayRecordSizeV6}};
  for (const auto& [shell32, size] : sizes) {
    SCOPED_TRACE(shell32.value_or(0));
    Harness h;
    h.fake.shell32Major = shell32;
    AddTrayIcon(h.app);
    EXPECT_EQ(h.app.tray.TrayRecordSize, size);
    ASSERT_EQ(h.fake.trayCalls.size(), 2u);
    EXPECT_EQ(Sent(h.fake.trayCalls[0]), Full(kNimAdd, 1, L"Velmora"));
    EXPECT_EQ(Sent(h.fake.trayCalls[1]), Full(kNimSetVersion, 1, L"Velmora"));
    for (const auto& [message, r] : h.fake.trayCalls) {
      EXPECT_EQ(std::tie(r.cbSize, r.hWnd, r.uID, r.uCallbackMessage, r.uTimeoutOrVersion),
                std::make_tuple(size, fake::FakePlatform::kHostWindow, 999u, 1025u, 3u));
    }
  }
}

TEST(RestoreTrayIcon, AddsTheIconBackWithTheCurrentTipAndPicture) {
  Harness h;
  h.fake.trayAddSucceeds = false; // no taskbar yet when the program started
  AddTrayIcon(h.app);
  EXPECT_EQ(h.fake.trayCalls.size(), 1u) << "a failed add sets no version";
  ExecuteCommand(h.app, L"set tooltip \"Build green\"");
  h.fake.SetBlankFormIcon();
  h.fake.trayAddSucceeds = true;
  h.fake.trayCalls.clear();
  RestoreTrayIcon(h.app);
  ASSERT_EQ(h.fake.trayCalls.size(), 2u);
  EXPECT_EQ(Sent(h.fake.trayCalls[0]), Full(kNimAdd, h.fake.formIcon, L"Build green"));
  EXPECT_TRUE(h.fake.boxes.empty()) << "a failed add tells no one";
}

// During a download the events that run something wait for its end, the
// mouse moves that pour in meanwhile do not, and the wait has a bound.
TEST(TrayWindowProc, DuringADownloadOnlyEventsThatRunSomethingAreHeldBack) {
  Harness h;
  h.app.download.DownloadBusy = true;
  for (int i = 0; i < 1000; ++i) {
    TrayWindowProc(h.app, 512); // mouse move
  }
  Deliver(h, {kLeftUp, kRightUp, 1029});
  EXPECT_EQ(h.app.tray.DeferredTrayEvents, (std::vector<std::intptr_t>{kLeftUp, kRightUp, 1029}));
  for (int i = 0; i < 100; ++i) {
    TrayWindowProc(h.app, kLeftUp);
  }
  EXPECT_EQ(h.app.tray.DeferredTrayEvents.size(), 16u);
  EXPECT_EQ(h.fake.foregroundCalls, 0);
}

TEST(TrayWindowProc, AOneTimeHandlerServesTheFirstEventUnlessItFails) {
  const std::tuple<std::intptr_t, Slot, const wchar_t*, Slot, const wchar_t*> pairs[] = {
      {kLeftUp, Slot::LeftClickOneTime, L"leftClickOneTime", Slot::LeftClick, L"leftClick"},
      {kLeftUp, Slot::LeftClickOneTime, L"clickOneTime", Slot::LeftClick, L"click"},
      {kLeftDouble, Slot::DoubleLeftClickOneTime, L"doubleLeftClickOneTime", Slot::DoubleLeftClick,
       L"doubleLeftClick"},
      {kLeftDouble, Slot::DoubleLeftClickOneTime, L"doubleClickOneTime", Slot::DoubleLeftClick,
       L"doubleClick"},
      {kRightUp, Slot::RightClickOneTime, L"rightClickOneTime", Slot::RightClick, L"rightClick"},
      {kRightDouble, Slot::DoubleRightClickOneTime, L"doubleRightClickOneTime",
       Slot::DoubleRightClick, L"doubleRightClick"}};
  for (const auto& [code, oneTime, oneTimeName, permanent, permanentName] : pairs) {
    SCOPED_TRACE(oneTimeName);
    // A failing permanent handler is reported under its own name each time.
    Harness h;
    h.app.handlers[oneTime] = MarkerBlock(oneTimeName, L"once");
    h.app.handlers[permanent] = Block(permanentName, {L"set tooltip \"always\"", L"bogus"});
    Deliver(h, {code, code, code});
    EXPECT_EQ(Tips(h.fake), (Texts{L"once", L"always", L"always"}));
    EXPECT_TRUE(h.app.handlers[oneTime].empty());
    EXPECT_FALSE(h.app.handlers[permanent].empty());
    EXPECT_EQ(h.BoxTexts(), BogusIn(permanentName, 2));
    // A failing one-time handler stays, is reported each time and keeps the
    // permanent one from running.
    Harness f;
    f.app.handlers[oneTime] = Block(oneTimeName, {L"bogus"});
    f.app.handlers[permanent] = MarkerBlock(permanentName, L"always");
    Deliver(f, {code, code});
    EXPECT_EQ(f.BoxTexts(), BogusIn(oneTimeName, 2));
    EXPECT_EQ(f.Captions(),
              (Texts{L"Parsing Error", L"Execution Error", L"Parsing Error", L"Execution Error"}));
    EXPECT_EQ(h.Captions(), f.Captions());
    EXPECT_EQ(f.fake.boxes[1].style, kBoxIconError);
    EXPECT_FALSE(f.app.handlers[oneTime].empty());
    EXPECT_TRUE(Tips(f.fake).empty());
  }
}

TEST(TrayWindowProc, TheLongNameWinsInASharedSlot) {
  Harness h;
  h.app.handlers[Slot::LeftClickOneTime] =
      MarkerBlock(L"clickOneTime", L"short") + L"\r\n" + MarkerBlock(L"leftClickOneTime", L"long");
  TrayWindowProc(h.app, kLeftUp);
  EXPECT_EQ(Tips(h.fake), Texts{L"long"});
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
}

TEST(TrayWindowProc, CodesWithoutAHandlerRunNothingAndNotFoundIsNeverReported) {
  Harness h;
  // A one-time slot without the named handler still serves the event: the
  // permanent handler does not run, and the slot is kept.
  h.app.handlers[Slot::LeftClickOneTime] = MarkerBlock(L"somethingElse", L"other");
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"click", L"always");
  h.app.handlers[Slot::RightClick] = MarkerBlock(L"somethingElse", L"other");
  h.app.handlers[Slot::BalloonShow] = MarkerBlock(L"balloonShow", L"ran");
  h.app.handlers[Slot::BalloonClose] = MarkerBlock(L"balloonClose", L"ran");
  Deliver(h, {kLeftUp, kRightUp, kLeftDouble, 1027}); // 1027: balloon hidden
  EXPECT_TRUE(Tips(h.fake).empty());
  EXPECT_FALSE(h.app.handlers[Slot::LeftClickOneTime].empty());
  EXPECT_TRUE(h.fake.boxes.empty());
  // An incomplete handler is reported; left button down runs nothing, yet
  // every callback brings the window to the foreground.
  h.app.handlers[Slot::LeftClickOneTime].clear();
  h.app.handlers[Slot::LeftClick] = L"on click\r\nset tooltip \"never\"";
  Deliver(h, {513, kLeftUp});
  EXPECT_EQ(h.BoxTexts(), Texts{L"Incomplete 'click' handler."});
  EXPECT_EQ(h.Captions(), Texts{L"Execution Error"});
  EXPECT_EQ(h.fake.foregroundCalls, 6);
}

TEST(TrayWindowProc, BalloonCodesRunTheirHandlers) {
  const std::tuple<std::intptr_t, Slot, const wchar_t*> cases[] = {
      {1026, Slot::BalloonShow, L"balloonShow"},
      {1028, Slot::BalloonClose, L"balloonClose"},
      {1029, Slot::BalloonClick, L"balloonClick"}};
  for (const auto& [code, slot, name] : cases) {
    Harness h;
    h.app.handlers[slot] = MarkerBlock(name, name);
    TrayWindowProc(h.app, code);
    EXPECT_EQ(Tips(h.fake), Texts{name});
    EXPECT_FALSE(h.app.handlers[slot].empty()) << name;
    h.app.handlers[slot] = Block(name, {L"bogus"});
    TrayWindowProc(h.app, code);
    EXPECT_EQ(h.BoxTexts(), BogusIn(name));
  }
}

TEST(TrayWindowProc, ClicksDeliveredWhileABoxIsOpenRunTheirOwnHandlers) {
  Harness h;
  h.app.handlers[Slot::RightClick] = Block(L"rightClick", {L"bogus"});
  h.app.handlers[Slot::LeftClickOneTime] = MarkerBlock(L"clickOneTime", L"once");
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"click", L"always");
  h.fake.onMessageBox = [&](const fake::MessageBoxCall& box) -> std::optional<int> {
    if (box.text == L"Can't understand 'bogus'.") {
      Deliver(h, {kLeftUp, kLeftUp});
      EXPECT_EQ(Tips(h.fake), (Texts{L"once", L"always"}));
    }
    return std::nullopt;
  };
  TrayWindowProc(h.app, kRightUp);
  EXPECT_EQ(h.BoxTexts(), BogusIn(L"rightClick"));
  EXPECT_EQ(Tips(h.fake).size(), 2u);
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
}

// A one-time handler is removed before it runs: one that installs a successor
// leaves it for the next click, and one that fails is put back only into an
// empty slot.
TEST(TrayWindowProc, AOneTimeHandlerIsRemovedBeforeItRuns) {
  Harness h;
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"leftClick", L"always");
  h.app.handlers[Slot::LeftClickOneTime] = Block(
      L"leftClickOneTime", {L"set tooltip \"first\"",
                            L"install handler \"on clickOneTime\\nset tooltip \\'second\\'\\nend "
                            L"clickOneTime\""});
  Deliver(h, {kLeftUp, kLeftUp, kLeftUp});
  EXPECT_EQ(Tips(h.fake), (Texts{L"first", L"second", L"always"}));
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
  EXPECT_TRUE(h.fake.boxes.empty());

  Harness f;
  f.app.handlers[Slot::LeftClickOneTime] =
      Block(L"leftClickOneTime",
            {L"install handler \"on clickOneTime\\nbeep\\nend clickOneTime\"", L"bogus"});
  TrayWindowProc(f.app, kLeftUp);
  EXPECT_EQ(f.app.handlers[Slot::LeftClickOneTime], Block(L"clickOneTime", {L"beep"}));
  EXPECT_EQ(f.BoxTexts(), BogusIn(L"leftClickOneTime"));
  TrayWindowProc(f.app, kLeftUp);
  EXPECT_EQ(f.fake.beeps, 1);
  EXPECT_TRUE(f.app.handlers[Slot::LeftClickOneTime].empty());
}

TEST(TrayWindowProc, AClickWhileTheOneTimeBoxIsOpenRunsThePermanentHandler) {
  Harness h;
  h.app.handlers[Slot::LeftClickOneTime] = Block(L"leftClickOneTime", {L"answer \"Welcome\""});
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"leftClick", L"always");
  h.fake.onMessageBox = [&](const fake::MessageBoxCall&) -> std::optional<int> {
    if (h.fake.boxes.size() == 1) {
      TrayWindowProc(h.app, kLeftUp);
    }
    return std::nullopt;
  };
  TrayWindowProc(h.app, kLeftUp);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Welcome"});
  EXPECT_EQ(Tips(h.fake), Texts{L"always"});
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
}

// Whether the picture loads or not, the swap timer stops; a failure keeps the
// icon and sends nothing.
TEST(SetIcon, LoadsThePictureAndResendsTheRecordOrKeepsTheIcon) {
  const std::wstring busy = kAppFolder + L"icons\\busy.ico";
  const std::tuple<const wchar_t*, std::wstring, const wchar_t*> cases[] = {
      {L"set the icon \"icons/busy.ico\"", busy, nullptr},
      {L"set icon", L"", L"Can't understand 'set icon' command."},
      {L"set icon \"icons/None.ico\"", L"",
       L"Can't understand 'set' command. (File 'icons/None.ico' doesn't exist.)"},
      {L"set icon \"readme.txt\"", L"", L"Can't understand 'set icon' command."}};
  for (const auto& [line, shown, message] : cases) {
    SCOPED_TRACE(line);
    Harness h;
    AddTrayIcon(h.app);
    h.fake.AddFile(busy, "ico");
    h.fake.AddFile(kAppFolder + L"readme.txt", "text");
    h.fake.unloadablePictures.push_back(kAppFolder + L"readme.txt");
    h.fake.Timer(TimerId::Swap).enabled = true;
    h.fake.trayCalls.clear();
    EXPECT_EQ(ExecuteCommand(h.app, line), message ? CommandResult::Error : CommandResult::Ok);
    EXPECT_EQ(h.BoxTexts(), message ? Texts{message} : Texts{});
    EXPECT_FALSE(h.fake.Timer(TimerId::Swap).enabled);
    EXPECT_EQ(h.app.animation.FirstIconFile, shown);
    EXPECT_EQ(h.app.animation.ShownIconFile, shown);
    EXPECT_EQ(h.fake.formIcon != 1, !shown.empty()) << "a new picture, or the first one kept";
    EXPECT_EQ(h.app.tray.TrayIcon.hIcon, h.fake.formIcon);
    EXPECT_EQ(h.fake.trayCalls.size(), shown.empty() ? 0u : 1u);
    for (const fake::TrayCall& call : h.fake.trayCalls) {
      EXPECT_EQ(Sent(call), Full(kNimModify, h.fake.formIcon, L"Velmora"));
    }
  }
}

TEST(SetTooltip, CutsToTheShellsLengthBeforeExpanding) {
  const std::wstring x200(200, L'x'), a60(60, L'a');
  const std::tuple<std::uint32_t, std::wstring, std::wstring> cases[] = {
      {5, x200, std::wstring(127, L'x')},
      {6, x200, std::wstring(127, L'x')},
      {4, x200, std::wstring(63, L'x')},
      {0, x200, std::wstring(63, L'x')},
      // The cut splits the placeholder, which then stays as text; one inside
      // the limit makes the tip longer than the limit.
      {4, a60 + L"a%d%", a60 + L"a%d"},
      {4, a60 + L"%d%", a60 + L"12/7/2026"},
      {5, L"Up since %d% at %t%\\nline two", L"Up since 12/7/2026 at 9:41:07 AM\r\nline two"},
      // The record's field holds only the first 128 characters.
      {5, a60 + a60 + L"aaaa%d%", a60 + a60 + L"aaaa12/7/2026"}};
  for (const auto& [shlwapi, quoted, tip] : cases) {
    Harness h;
    h.fake.shlwapiMajor = shlwapi;
    AddTrayIcon(h.app);
    EXPECT_EQ(ExecuteCommand(h.app, L"set the tooltip \"" + quoted + L"\""), CommandResult::Ok);
    EXPECT_EQ(h.app.tray.TooltipText, tip);
    EXPECT_EQ(Sent(h.fake.trayCalls.back()), Full(kNimModify, 1, tip)) << quoted;
  }
  Harness h;
  h.app.tray.TooltipText = L"kept";
  EXPECT_EQ(ExecuteCommand(h.app, L"set tooltip Hello"), CommandResult::Error);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Can't understand 'set tooltip' command."});
  EXPECT_EQ(h.app.tray.TooltipText, L"kept");
  EXPECT_TRUE(h.fake.trayCalls.empty()) << "without quotes nothing is sent";
}

} // namespace
} // namespace velmora::testing
