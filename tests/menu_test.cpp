// The tray menu: items built from create menu, shown by popup and the right button, and choices
// that run itemSelect, quit or go to the output file.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "interpreter/script.hpp"
#include "platform/ansi.hpp"
#include "systray/menu.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {
namespace {

// Each row: a line, then the items the platform holds ("~" marks a disabled one). One program
// serves every row: each menu replaces the one before. Popup and the right button show the menu
// only once one exists.
TEST(CreateMenu, CaptionsAndEnabledStatesShownByPopupOnceAMenuExists) {
  Harness h;
  EXPECT_EQ(ExecuteCommand(h.app, L"popup"), CommandResult::Ok);
  TrayWindowProc(h.app, 516); // right button down
  EXPECT_EQ(h.fake.popups, 0);
  for (const std::wstring row :
       {L"create menu Open,(Help),Quit: Open|~Help)|Quit|", L"create menu Open, Quit: Open| Quit|",
        L"create menu \"Show log,Exit\": Show log|Exit|", L"CREATE MENU open,quit: open|quit|",
        L"create menu (Exit: ~Exit|"}) {
    const std::size_t colon = row.find(L": ");
    EXPECT_EQ(ExecuteCommand(h.app, row.substr(0, colon)), CommandResult::Ok) << row;
    std::wstring items;
    for (const MenuItem& item : h.fake.menuItems) {
      items += (item.enabled ? L"" : L"~") + item.caption + L"|";
    }
    EXPECT_EQ(items, row.substr(colon + 2));
  }
  EXPECT_EQ(ExecuteCommand(h.app, L"Popup"), CommandResult::Ok);
  TrayWindowProc(h.app, 516);
  TrayWindowProc(h.app, 517); // right button up shows nothing more
  EXPECT_EQ(h.fake.popups, 2);
  EXPECT_TRUE(h.fake.boxes.empty());
}

// Each row: "+" with the handler below or "-" without, the caption chosen, then what followed. The
// quit check is case-sensitive, the section search is not; an empty caption selects no section, so
// the whole body runs, case lines and all. What goes to the output file is also the last result,
// for a switch.
TEST(ItemSelect, ChoicesRunTheirSectionQuitOrGoToTheOutputFile) {
  const std::wstring handler =
      Block(L"itemSelect",
            {L"case \"Open\"", L"set tooltip \"open\"", L"case \"Quit\"",
             L"set tooltip \"quit handled\"", L"case \"exit\"", L"set tooltip \"exit handled\"",
             L"case \" Spaced\"", L"set tooltip \"spaced\"", L"case \"Broken\"", L"bogus",
             L"set tooltip \"after\"", L"case \"Cancel\"", L"set tooltip \"cancel\""});
  for (const std::wstring row :
       {L"+Open: tip open; ", L"+Quit: tip quit handled; ", L"-Quit: quit; ", L"+Exit: quit; ",
        L"+ Spaced: tip spaced; ", L"+Broken: Parsing Error: Can't understand 'bogus'.; ",
        L"+Cancel: ", L"+Help: output Help\r\n; result Help; ",
        L"-Help: output Help\r\n; result Help; ",
        L"+: Parsing Error: Can't understand 'case'.; "}) {
    const std::size_t colon = row.find(L": ");
    Harness h;
    if (row[0] == L'+') {
      ParseScript(h.app, handler);
    }
    ExecuteCommand(h.app, L"create menu Open,Quit,Exit, Spaced,Broken,Cancel,Help,");
    h.fake.Timer(TimerId::Poll).enabled = true;
    int index = 1;
    while (h.app.menu.MenuItems[index - 1].caption != row.substr(1, colon - 1)) {
      ++index;
    }
    mFile_Click(h.app, index);
    const std::string output = h.fake.Contents(kOutput);
    EXPECT_EQ(Shown(h) + (h.fake.closePosts == 1 ? L"quit; " : L"") +
                  (output.empty() ? L"" : L"output " + FromAnsi(output) + L"; ") +
                  (h.app.LastResult.empty() ? L"" : L"result " + h.app.LastResult + L"; "),
              row.substr(colon + 2))
        << row;
    EXPECT_EQ(h.fake.Timer(TimerId::Poll).enabled, h.fake.closePosts == 0) << row;
  }
}

// Without its end line the handler cannot run: its choices are kept as unhandled ones, a "Quit" it
// meant to handle quits, and the fault is reported once.
TEST(ItemSelect, ChoicesOfABrokenHandlerAreKeptAndTheFaultReportedOnce) {
  Harness h;
  ExecuteCommand(h.app, L"install handler \"on itemSelect\\ncase \\'Open\\'\\nbeep\\ncase "
                        L"\\'Quit\\'\\nbeep\"");
  ExecuteCommand(h.app, L"create menu Open,Help,Quit");
  mFile_Click(h.app, 1);
  mFile_Click(h.app, 2);
  EXPECT_EQ(h.app.LastResult, L"Help");
  EXPECT_EQ(h.fake.closePosts, 0);
  mFile_Click(h.app, 3);
  EXPECT_EQ(h.fake.closePosts, 1);
  EXPECT_EQ(h.fake.Contents(kOutput), "Open\r\nHelp\r\n");
  EXPECT_EQ(h.BoxTexts(), Texts{L"Incomplete 'itemSelect' handler."});
  EXPECT_EQ(h.Captions(), Texts{L"Execution Error"});
  EXPECT_EQ(h.fake.beeps, 0);
}

} // namespace
} // namespace velmora::testing
