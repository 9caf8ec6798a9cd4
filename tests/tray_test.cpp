// The tray record, the hooked window procedure with its click and balloon handlers, and the set
// icon / set tooltip commands.
#include <gtest/gtest.h>
#include <iterator>
#include <tuple>

#include "harness.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

constexpr std::intptr_t kLeftUp = 514, kLeftDouble = 515, kRightUp = 517, kRightDouble = 518;

// A handler whose body sets the tip to a marker, so a test sees which one ran.
std::wstring MarkerBlock(const std::wstring& name, const std::wstring& marker) {
  return Block(name, {L"set tooltip \"" + marker + L"\""});
}

// The boxes of a handler that fails on its line "bogus".
std::wstring Bogus(const std::wstring& name) {
  return L"Parsing Error: Can't understand 'bogus'.; Execution Error: Error in '" + name +
         L"' handler.; ";
}

void Deliver(Harness& h, std::initializer_list<std::intptr_t> codes) {
  for (const std::intptr_t code : codes) {
    TrayWindowProc(h.app, code);
  }
}

// A call's message, flags, picture and tip field: the tip cut to 127 characters, NUL padded to 128.
auto Sent(const fake::TrayCall& call) {
  return std::make_tuple(call.message, call.record.uFlags, call.record.hIcon, call.record.szTip);
}
auto Sends(std::uint32_t message, IconHandle icon, std::wstring tip) {
  tip.resize(std::min<std::size_t>(tip.size(), 127));
  tip.resize(128);
  return std::make_tuple(message, kNifMessageIconTip, icon, tip);
}

TEST(AddTrayIcon, SendsTheRecordSizedForTheShellThenSetsTheVersionAndRestoresIt) {
  const std::optional<std::uint16_t> shells[] = {std::nullopt, 4, 5, 6, 10};
  const std::uint32_t sizes[] = {kTrayRecordSizeOld, kTrayRecordSizeOld, kTrayRecordSizeV5,
                                 kTrayRecordSizeV6, kTrayRecordSizeV6};
  for (std::size_t i = 0; i < std::size(shells); ++i) {
    SCOPED_TRACE(shells[i].value_or(0));
    Harness h;
    h.fake.shell32Major = shells[i];
    AddTrayIcon(h.app);
    ASSERT_EQ(h.fake.trayCalls.size(), 2u);
    EXPECT_EQ(Sent(h.fake.trayCalls[0]), Sends(kNimAdd, 1, L"Velmora"));
    EXPECT_EQ(Sent(h.fake.trayCalls[1]), Sends(kNimSetVersion, 1, L"Velmora"));
    for (const auto& [message, r] : h.fake.trayCalls) {
      EXPECT_EQ(std::tie(r.cbSize, r.hWnd, r.uID, r.uCallbackMessage, r.uTimeoutOrVersion),
                std::make_tuple(sizes[i], fake::FakePlatform::kHostWindow, 999u, 1025u, 3u));
    }
  }
  // Without a taskbar the add fails silently; the taskbar back, the icon returns as it is now.
  Harness h;
  h.fake.trayAddSucceeds = false;
  AddTrayIcon(h.app);
  EXPECT_EQ(h.fake.trayCalls.size(), 1u);
  ExecuteCommand(h.app, L"set tooltip \"Build green\"");
  h.fake.SetBlankFormIcon();
  h.fake.trayAddSucceeds = true;
  h.fake.trayCalls.clear();
  RestoreTrayIcon(h.app);
  ASSERT_EQ(h.fake.trayCalls.size(), 2u);
  EXPECT_EQ(Sent(h.fake.trayCalls[0]), Sends(kNimAdd, h.fake.formIcon, L"Build green"));
  EXPECT_TRUE(h.fake.boxes.empty());
}

// The one-time handler serves the first event only; a failing permanent one is reported under its
// own name each time. A failing one-time handler stays and keeps the permanent one out.
TEST(TrayWindowProc, AOneTimeHandlerServesTheFirstEventUnlessItFails) {
  const std::tuple<std::intptr_t, Slot, Slot, const wchar_t*> pairs[] = {
      {kLeftUp, Slot::LeftClickOneTime, Slot::LeftClick, L"leftClick"},
      {kLeftUp, Slot::LeftClickOneTime, Slot::LeftClick, L"click"},
      {kLeftDouble, Slot::DoubleLeftClickOneTime, Slot::DoubleLeftClick, L"doubleLeftClick"},
      {kLeftDouble, Slot::DoubleLeftClickOneTime, Slot::DoubleLeftClick, L"doubleClick"},
      {kRightUp, Slot::RightClickOneTime, Slot::RightClick, L"rightClick"},
      {kRightDouble, Slot::DoubleRightClickOneTime, Slot::DoubleRightClick, L"doubleRightClick"}};
  for (const auto& [code, oneTime, permanent, name] : pairs) {
    SCOPED_TRACE(name);
    const std::wstring oneTimeName = name + std::wstring(L"OneTime");
    Harness h;
    h.app.handlers[oneTime] = MarkerBlock(oneTimeName, L"once");
    h.app.handlers[permanent] = Block(name, {L"set tooltip \"always\"", L"bogus"});
    Deliver(h, {code, code, code});
    EXPECT_EQ(Shown(h), L"tip once; tip always; tip always; " + Bogus(name) + Bogus(name));
    EXPECT_TRUE(h.app.handlers[oneTime].empty());
    EXPECT_FALSE(h.app.handlers[permanent].empty());
    Harness f;
    f.app.handlers[oneTime] = Block(oneTimeName, {L"bogus"});
    f.app.handlers[permanent] = MarkerBlock(name, L"always");
    Deliver(f, {code, code});
    EXPECT_EQ(Shown(f), Bogus(oneTimeName) + Bogus(oneTimeName));
    EXPECT_EQ(f.fake.boxes[1].style, kBoxIconError);
    EXPECT_FALSE(f.app.handlers[oneTime].empty());
  }
}

// The long name wins in a shared slot. A one-time slot without the named handler still serves the
// event, silently, and stays. Button down and balloon hidden run nothing; every callback brings the
// window to the foreground.
TEST(TrayWindowProc, EachCodeRunsItsHandlerAndNotFoundIsNeverReported) {
  Harness h;
  h.app.handlers[Slot::LeftClickOneTime] =
      MarkerBlock(L"clickOneTime", L"short") + L"\r\n" + MarkerBlock(L"leftClickOneTime", L"long");
  TrayWindowProc(h.app, kLeftUp);
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
  h.app.handlers[Slot::LeftClickOneTime] = MarkerBlock(L"somethingElse", L"other");
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"click", L"always");
  h.app.handlers[Slot::RightClick] = MarkerBlock(L"somethingElse", L"other");
  h.app.handlers[Slot::BalloonShow] = MarkerBlock(L"balloonShow", L"ran");
  h.app.handlers[Slot::BalloonClose] = MarkerBlock(L"balloonClose", L"ran");
  Deliver(h, {kLeftUp, kRightUp, kLeftDouble, 1027});
  EXPECT_FALSE(h.app.handlers[Slot::LeftClickOneTime].empty());
  h.app.handlers[Slot::LeftClickOneTime].clear();
  h.app.handlers[Slot::LeftClick] = L"on click\r\nset tooltip \"never\"";
  Deliver(h, {513, kLeftUp});
  // Balloon shown, timed out and clicked run their handlers, which stay.
  h.app.handlers[Slot::BalloonClose] = Block(L"balloonClose", {L"bogus"});
  h.app.handlers[Slot::BalloonClick] = MarkerBlock(L"balloonClick", L"clicked");
  Deliver(h, {1026, 1028, 1029});
  EXPECT_EQ(Shown(h), L"tip long; tip ran; tip clicked; Execution Error: Incomplete 'click' "
                      L"handler.; " +
                          Bogus(L"balloonClose"));
  for (const Slot slot : {Slot::BalloonShow, Slot::BalloonClose, Slot::BalloonClick}) {
    EXPECT_FALSE(h.app.handlers[slot].empty());
  }
  EXPECT_EQ(h.fake.foregroundCalls, 10);
}

// Clicks while a box is open run their own handlers: the one-time one first, whose box lets a
// nested click run the permanent one.
TEST(TrayWindowProc, ClicksDeliveredWhileABoxIsOpenRunTheirOwnHandlers) {
  Harness h;
  h.app.handlers[Slot::RightClick] = Block(L"rightClick", {L"bogus"});
  h.app.handlers[Slot::LeftClickOneTime] = Block(L"clickOneTime", {L"answer \"Welcome\""});
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"click", L"always");
  h.fake.onMessageBox = [&](const fake::MessageBoxCall& box) -> std::optional<int> {
    if (box.text == L"Can't understand 'bogus'.") {
      Deliver(h, {kLeftUp, kLeftUp});
    } else if (box.text == L"Welcome") {
      TrayWindowProc(h.app, kLeftUp);
    }
    return std::nullopt;
  };
  TrayWindowProc(h.app, kRightUp);
  EXPECT_EQ(Shown(h), L"tip always; tip always; Parsing Error: Can't understand 'bogus'.; : "
                      L"Welcome; Execution Error: Error in 'rightClick' handler.; ");
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
}

// A one-time handler is removed before it runs: a successor it installs serves the next click, and
// one that fails is put back only into an empty slot.
TEST(TrayWindowProc, AOneTimeHandlerIsRemovedBeforeItRuns) {
  Harness h;
  h.app.handlers[Slot::LeftClick] = MarkerBlock(L"leftClick", L"always");
  h.app.handlers[Slot::LeftClickOneTime] = Block(
      L"leftClickOneTime", {L"set tooltip \"first\"",
                            L"install handler \"on clickOneTime\\nset tooltip \\'second\\'\\nend "
                            L"clickOneTime\""});
  Deliver(h, {kLeftUp, kLeftUp, kLeftUp});
  EXPECT_EQ(Shown(h), L"tip first; tip second; tip always; ");
  EXPECT_TRUE(h.app.handlers[Slot::LeftClickOneTime].empty());
  Harness f;
  f.app.handlers[Slot::LeftClickOneTime] =
      Block(L"leftClickOneTime",
            {L"install handler \"on clickOneTime\\nbeep\\nend clickOneTime\"", L"bogus"});
  TrayWindowProc(f.app, kLeftUp);
  EXPECT_EQ(f.app.handlers[Slot::LeftClickOneTime], Block(L"clickOneTime", {L"beep"}));
  TrayWindowProc(f.app, kLeftUp);
  EXPECT_EQ(Shown(f), Bogus(L"leftClickOneTime") + L"beep; ");
  EXPECT_TRUE(f.app.handlers[Slot::LeftClickOneTime].empty());
}

// Whether the picture loads or not, the swap timer stops; a failure keeps the icon, sends nothing.
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
    EXPECT_EQ(h.fake.formIcon != 1, !shown.empty()) << "a new picture, or the first one kept";
    EXPECT_EQ(h.app.tray.TrayIcon.hIcon, h.fake.formIcon);
    EXPECT_EQ(h.fake.trayCalls.size(), shown.empty() ? 0u : 1u);
    for (const fake::TrayCall& call : h.fake.trayCalls) {
      EXPECT_EQ(Sent(call), Sends(kNimModify, h.fake.formIcon, L"Velmora"));
    }
  }
}

// The tip is cut to the shell's length before it is expanded: a cut through a placeholder leaves it
// as text, one inside the limit makes the tip longer than the record's 127 characters.
TEST(SetTooltip, CutsToTheShellsLengthBeforeExpanding) {
  const std::wstring x200(200, L'x'), a60(60, L'a');
  const std::tuple<std::uint32_t, std::wstring, std::wstring> cases[] = {
      {5, x200, std::wstring(127, L'x')},
      {6, x200, std::wstring(127, L'x')},
      {4, x200, std::wstring(63, L'x')},
      {0, x200, std::wstring(63, L'x')},
      {4, a60 + L"a%d%", a60 + L"a%d"},
      {4, a60 + L"%d%", a60 + L"12/7/2026"},
      {5, L"Up since %d% at %t%\\nline two", L"Up since 12/7/2026 at 9:41:07 AM\r\nline two"},
      {5, a60 + a60 + L"aaaa%d%", a60 + a60 + L"aaaa12/7/2026"}};
  for (const auto& [shlwapi, quoted, tip] : cases) {
    Harness h;
    h.fake.shlwapiMajor = shlwapi;
    AddTrayIcon(h.app);
    EXPECT_EQ(ExecuteCommand(h.app, L"set the tooltip \"" + quoted + L"\""), CommandResult::Ok);
    EXPECT_EQ(h.app.tray.TooltipText, tip);
    EXPECT_EQ(Sent(h.fake.trayCalls.back()), Sends(kNimModify, 1, tip)) << quoted;
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
