// The tray menu: items built from create menu, shown by popup and the right
// button, and choices that run itemSelect, quit or go to the output file.
#include <gtest/gtest.h>
#include <tuple>

#include "harness.hpp"
#include "interpreter/script.hpp"
#include "systray/menu.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

// The menu the platform holds, one caption a line; "~" marks a disabled item.
std::wstring MenuShown(const Harness& h) {
  std::wstring shown;
  for (const MenuItem& item : h.fake.menuItems) {
    shown += (item.enabled ? L"" : L"~") + item.caption + L"\n";
  }
  return shown;
}

TEST(CreateMenu, CaptionsEnabledStatesAndTheQuitFlag) {
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"create menu Open,(Help),Quit", L"Open\n~Help)\nQuit\n", true},
      {L"create menu Open, Quit", L"Open\n Quit\n", false},
      {L"create menu \"Show log,Exit\"", L"Show log\nExit\n", true},
      {L"CREATE MENU open,quit", L"open\nquit\n", false},
      {L"create menu (Exit", L"~Exit\n", true}};
  // One program for every row: each menu replaces the one before, quit flag too.
  Harness h;
  for (const auto& [line, items, hasQuit] : cases) {
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Ok) << line;
    EXPECT_EQ(MenuShown(h), items) << line;
    EXPECT_EQ(h.app.menu.MenuHasQuit, hasQuit) << line;
    EXPECT_TRUE(h.app.menu.MenuCreated) << line;
  }
}

TEST(Popup, ShowsTheMenuOnlyOnceOneExists) {
  Harness h;
  EXPECT_EQ(ExecuteCommand(h.app, L"popup"), CommandResult::Ok);
  TrayWindowProc(h.app, 516); // right button down
  EXPECT_EQ(h.fake.popups, 0);
  ExecuteCommand(h.app, L"create menu Open");
  EXPECT_EQ(ExecuteCommand(h.app, L"Popup"), CommandResult::Ok);
  TrayWindowProc(h.app, 516);
  TrayWindowProc(h.app, 517); // right button up shows nothing more
  EXPECT_EQ(h.fake.popups, 2);
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(ItemSelect, ChoicesRunTheirSectionQuitOrGoToTheOutputFile) {
  const std::wstring handler =
      Block(L"itemSelect",
            {L"case \"Open\"", L"set tooltip \"open\"", L"case \"Quit\"",
             L"set tooltip \"quit handled\"", L"case \"exit\"", L"set tooltip \"exit handled\"",
             L"case \" Spaced\"", L"set tooltip \"spaced\"", L"case \"Broken\"", L"bogus",
             L"set tooltip \"after\"", L"case \"Cancel\"", L"set tooltip \"cancel\""});
  const std::wstring bogus = L"Can't understand 'bogus'.";
  // Caption, with the handler or not, then the tip set, quit, output and boxes.
  const std::tuple<const wchar_t*, bool, const wchar_t*, bool, const char*, Texts> cases[] = {
      {L"Open", true, L"open", false, "", {}},
      {L"Quit", true, L"quit handled", false, "", {}},
      {L"Quit", false, L"", true, "", {}},
      // The quit check is case-sensitive, the section search is not.
      {L"Exit", true, L"", true, "", {}},
      {L" Spaced", true, L"spaced", false, "", {}},
      {L"Broken", true, L"", false, "", {bogus}},
      {L"Cancel", true, L"", false, "", {}},
      {L"Help", true, L"", false, "Help\r\n", {}},
      {L"Help", false, L"", false, "Help\r\n", {}},
      // An empty caption selects no section: the whole body runs, case lines and all.
      {L"", true, L"", false, "", {L"Can't understand 'case'."}}};
  for (const auto& [caption, withHandler, tip, quits, output, boxes] : cases) {
    SCOPED_TRACE(std::wstring(caption) + (withHandler ? L" +" : L" -"));
    Harness h;
    if (withHandler) {
      ParseScript(h.app, handler);
    }
    ExecuteCommand(h.app, L"create menu Open,Quit,Exit, Spaced,Broken,Cancel,Help,");
    h.fake.Timer(TimerId::Poll).enabled = true;
    int index = 1;
    while (h.app.menu.MenuItems[index - 1].caption != caption) {
      ++index;
    }
    mFile_Click(h.app, index);
    EXPECT_EQ(h.app.tray.TooltipText, tip);
    EXPECT_EQ(h.fake.closePosts, quits ? 1 : 0);
    EXPECT_EQ(h.fake.Timer(TimerId::Poll).enabled, !quits);
    EXPECT_EQ(h.fake.Contents(kOutput), output);
    // What goes to the output file is also the last result, for a switch.
    EXPECT_EQ(h.app.LastResult, *output ? caption : L"");
    EXPECT_EQ(h.BoxTexts(), boxes);
  }
}

// Without its end line the handler cannot run: its choices are kept as
// unhandled ones, and the fault is reported once.
TEST(ItemSelect, ChoicesOfABrokenHandlerAreKeptAndTheFaultReportedOnce) {
  Harness h;
  ExecuteCommand(h.app, L"install handler \"on itemSelect\\ncase \\'Open\\'\\nbeep\\ncase "
                        L"\\'Quit\\'\\nbeep\"");
  ExecuteCommand(h.app, L"create menu Open,Help,Quit");
  mFile_Click(h.app, 1);
  mFile_Click(h.app, 2);
  EXPECT_EQ(h.app.LastResult, L"Help");
  EXPECT_EQ(h.fake.closePosts, 0);
  // A "Quit" the broken handler meant to handle quits, as an unhandled one.
  mFile_Click(h.app, 3);
  EXPECT_EQ(h.fake.closePosts, 1);
  EXPECT_EQ(h.fake.Contents(kOutput), "Open\r\nHelp\r\n");
  EXPECT_EQ(h.BoxTexts(), Texts{L"Incomplete 'itemSelect' handler."});
  EXPECT_EQ(h.Captions(), Texts{L"Execution Error"});
  EXPECT_EQ(h.fake.beeps, 0);
}

} // namespace
} // namespace velmora::testing
