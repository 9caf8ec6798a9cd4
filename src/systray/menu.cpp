// The pop-up menu: create menu builds it from a comma-separated list, the
// right button and popup show it, and a choice runs itemSelect or asks for
// the program to end.
#include "systray/menu.hpp"

#include "base/text.hpp"
#include "interpreter/errors.hpp"
#include "interpreter/output.hpp"
#include "interpreter/run.hpp"

namespace velmora {

CommandResult CreateCommand(App& app, const CommandLine& command) {
  if (command.w2 != L"menu") {
    return Fail(app, L"Can't understand 'create' command.");
  }
  app.menu.MenuHasQuit = false;
  const std::wstring list =
      TrimBlanks(GetItemRange(command.line, 3, CountItems(command.line, L" "), L' '), true);
  // Captions are kept as written: a blank after a comma belongs to the next
  // caption, and "(" before a caption disables its item.
  std::vector<MenuItem> items;
  for (std::wstring_view item : SplitItems(list, L',')) {
    MenuItem menuItem{std::wstring(item), true};
    if (!item.empty() && item.front() == L'(') {
      menuItem.enabled = false;
      menuItem.caption.erase(0, 1);
    }
    if (menuItem.caption == L"Quit" || menuItem.caption == L"Exit") {
      app.menu.MenuHasQuit = true;
    }
    items.push_back(std::move(menuItem));
  }
  app.menu.MenuItems = std::move(items);
  app.platform.SetMenuItems(app.menu.MenuItems);
  app.menu.MenuCreated = true;
  return CommandResult::Ok;
}

CommandResult PopupCommand(App& app, const CommandLine&) {
  if (app.menu.MenuCreated) {
    app.platform.PopupMenu();
  }
  return CommandResult::Ok;
}

MenuChoice ChooseMenuItem(App& app, int index) {
  const EventScope event(app);
  if (index < 1 || static_cast<std::size_t>(index) > app.menu.MenuItems.size()) {
    return MenuChoice::Handled;
  }
  const std::wstring caption = app.menu.MenuItems[static_cast<std::size_t>(index) - 1].caption;
  if (caption == L"Cancel") {
    return MenuChoice::Handled;
  }
  const bool quitWord = caption == L"Quit" || caption == L"Exit";
  // "Quit" and "Exit" end the program unless the script has a case for them.
  if (quitWord &&
      app.handlers[Slot::ItemSelect].find(L"case \"" + caption + L"\"") == std::wstring::npos) {
    return MenuChoice::Quit;
  }
  const RunResult result =
      RunHandler(app, app.handlers[Slot::ItemSelect], L"itemSelect", Mode::Optional, caption);
  if (result == RunResult::NotFound) {
    WriteOutput(app, caption);
    return MenuChoice::Handled;
  }
  if (result != RunResult::Incomplete) {
    return MenuChoice::Handled;
  }
  // A handler that cannot run handles nothing: the choice is treated as an
  // unhandled one (written to the output file, or quitting for "Quit" and
  // "Exit"), and the broken handler is reported once, not at every choice.
  if (!quitWord) {
    WriteOutput(app, caption);
  }
  if (FirstReportOfBrokenHandler(app, Slot::ItemSelect)) {
    ReportRunResult(app, result, L"itemSelect");
  }
  return quitWord ? MenuChoice::Quit : MenuChoice::Handled;
}

} // namespace velmora
