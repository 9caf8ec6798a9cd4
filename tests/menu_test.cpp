// The tray menu: items built from create menu, shown by popup and the right
// button, and choices that run itemSelect, quit or go to the output file.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "interpreter/script.hpp"
#include "systray/menu.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

using Items = std::vector<std::pair<std::wstring, bool>>;

Items MenuOf(const std::vector<MenuItem>& items) {
  Items out;
  for (const MenuItem& item : items) {
    out.emplace_back(item.caption, item.enabled);
  }
  return out;
}

TEST(CreateMenu, CaptionsEnabledStatesAndTheQuitFlag) {
  const struct {
    const wchar_t* line;
    Items items;
    bool hasQuit;
  } cases[] = {
      {L"create menu Open,(Help),Quit",
       {{L"Open", true}, {L"Help)", false}, {L"Quit", true}},
       true},
      {L"create menu Open, Quit", {{L"Open", true}, {L" Quit", true}}, false},
      {L"create menu \"Show log,Exit\"", {{L"Show log", true}, {L"Exit", true}}, true},
      {L"CREATE MENU open,quit", {{L"open", true}, {L"quit", true}}, false},
      {L"create menu (Exit", {{L"Exit", false}}, true},
  };
  for (const auto& c : cases) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, c.line), CommandResult::Ok) << c.line;
    EXPECT_EQ(MenuOf(h.fake.menuItems), c.items) << c.line;
    EXPECT_EQ(h.app.menu.MenuHasQuit, c.hasQuit) << c.line;
    EXPECT_TRUE(h.app.menu.MenuCreated) << c.line;
  }
}

TEST(CreateMenu, ASecondMenuReplacesTheFirst) {
  Harness h;
  ExecuteCommand(h.app, L"create menu A,B,Quit");
  ExecuteCommand(h.app, L"create menu C");
  EXPECT_EQ(MenuOf(h.fake.menuItems), (Items{{L"C", true}}));
  EXPECT_FALSE(h.app.menu.MenuHasQuit);
}

TEST(Popup, ShowsTheMenuOnlyOnceOneExists) {
  Harness h;
  const auto rightButton = [&h](std::intptr_t code) { TrayWindowProc(h.app, code); };
  EXPECT_EQ(ExecuteCommand(h.app, L"popup"), CommandResult::Ok);
  rightButton(516);
  EXPECT_EQ(h.fake.popups, 0);

  ExecuteCommand(h.app, L"create menu Open");
  EXPECT_EQ(ExecuteCommand(h.app, L"Popup"), CommandResult::Ok);
  rightButton(516);
  rightButton(517);
  EXPECT_EQ(h.fake.popups, 2);
  EXPECT_TRUE(h.fake.boxes.empty());
}

TEST(ItemSelect, ChoicesRunTheirSectionQuitOrGoToTheOutputFile) {
  const std::wstring handler = Script({
      L"on itemSelect",
      L"case \"Open\"",
      L"set tooltip \"open\"",
      L"case \"Quit\"",
      L"set tooltip \"quit handled\"",
      L"case \"exit\"",
      L"set tooltip \"exit handled\"",
      L"case \" Spaced\"",
      L"set tooltip \"spaced\"",
      L"case \"Broken\"",
      L"bogus",
      L"set tooltip \"after\"",
      L"case \"Cancel\"",
      L"set tooltip \"cancel\"",
      L"end itemSelect",
  });
  const struct {
    const wchar_t* caption;
    bool withHandler;
    const wchar_t* tip;
    bool quits;
    const char* output;
    std::vector<std::wstring> boxes;
  } cases[] = {
      {L"Open", true, L"open", false, "", {}},
      {L"Quit", true, L"quit handled", false, "", {}},
      {L"Quit", false, L"", true, "", {}},
      // The quit check is case-sensitive, the section search is not.
      {L"Exit", true, L"", true, "", {}},
      {L" Spaced", true, L"spaced", false, "", {}},
      {L"Broken", true, L"", false, "", {L"Can't understand 'bogus'."}},
      {L"Cancel", true, L"", false, "", {}},
      {L"Help", true, L"", false, "Help\r\n", {}},
      {L"Help", false, L"", false, "Help\r\n", {}},
      // An empty caption selects no section: the whole body runs, case lines and all.
      {L"", true, L"", false, "", {L"Can't understand 'case'."}},
  };
  for (const auto& c : cases) {
    Harness h;
    if (c.withHandler) {
      ParseScript(h.app, handler);
    }
    ExecuteCommand(h.app, L"create menu Open,Quit,Exit, Spaced,Broken,Cancel,Help,");
    h.fake.Timer(TimerId::Poll).enabled = true;
    int index = 1;
    while (h.app.menu.MenuItems[static_cast<std::size_t>(index) - 1].caption != c.caption) {
      ++index;
    }
    mFile_Click(h.app, index);
    const std::wstring label = std::wstring(c.caption) + (c.withHandler ? L" +" : L" -");
    EXPECT_EQ(h.app.tray.TooltipText, c.tip) << label;
    EXPECT_EQ(h.fake.closePosts, c.quits ? 1 : 0) << label;
    EXPECT_EQ(h.fake.Timer(TimerId::Poll).enabled, !c.quits) << label;
    EXPECT_EQ(h.fake.Contents(kAppFolder + L"output.txt"), c.output) << label;
    // What goes to the output file is also the last result, for a switch.
    EXPECT_EQ(h.app.LastResult, *c.output != '\0' ? c.caption : L"") << label;
    EXPECT_EQ(h.BoxTexts(), c.boxes) << label;
  }
}

TEST(ItemSelect, ChoicesOfABrokenHandlerAreKeptAndTheFaultReportedOnce) {
  Harness h;
  // Without its end line the handler cannot run.
  ExecuteCommand(h.app, L"install handler \"on itemSelect\\ncase \\'Open\\'\\nbeep\\ncase "
                        L"\\'Quit\\'\\nbeep\"");
  ExecuteCommand(h.app, L"create menu Open,Help,Quit");
  mFile_Click(h.app, 1);
  mFile_Click(h.app, 2);
  EXPECT_EQ(h.fake.Contents(kOutput), "Open\r\nHelp\r\n");
  EXPECT_EQ(h.app.LastResult, L"Help");
  EXPECT_EQ(h.BoxTexts(), Texts{L"Incomplete 'itemSelect' handler."});
  EXPECT_EQ(h.Captions(), Texts{L"Execution Error"});
  EXPECT_EQ(h.fake.beeps, 0);
  EXPECT_EQ(h.fake.closePosts, 0);
  // A "Quit" the broken handler meant to handle quits, as an unhandled one.
  mFile_Click(h.app, 3);
  EXPECT_EQ(h.fake.closePosts, 1);
  EXPECT_EQ(h.fake.Contents(kOutput), "Open\r\nHelp\r\n");
  EXPECT_EQ(h.BoxTexts().size(), 1u);
}

} // namespace
} // namespace velmora::testing
