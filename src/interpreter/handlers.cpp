// Handler names, their slots, and the install command.
#include "interpreter/handlers.hpp"

#include <cwchar>

#include "base/text.hpp"
#include "interpreter/escapes.hpp"

namespace velmora {

// The short click names have no slot of their own: a block found under one
// of them goes to its left-button counterpart's slot, where install puts it
// too and where the tray looks for it, so scripts may use either name.
// openScript and the balloon events' handlers come only with a loaded
// script: install takes none of them.
const HandlerName kHandlerNames[20] = {
    {L"itemSelect", Slot::ItemSelect, true},
    {L"timerEvent", Slot::TimerEvent, true},
    {L"altShowBalloon", Slot::AltShowBalloon, true},
    {L"openScript", Slot::OpenScript, false},
    {L"click", Slot::LeftClick, true},
    {L"leftClick", Slot::LeftClick, true},
    {L"clickOneTime", Slot::LeftClickOneTime, true},
    {L"leftClickOneTime", Slot::LeftClickOneTime, true},
    {L"doubleClick", Slot::DoubleLeftClick, true},
    {L"doubleLeftClick", Slot::DoubleLeftClick, true},
    {L"doubleClickOneTime", Slot::DoubleLeftClickOneTime, true},
    {L"doubleLeftClickOneTime", Slot::DoubleLeftClickOneTime, true},
    {L"rightClick", Slot::RightClick, true},
    {L"rightClickOneTime", Slot::RightClickOneTime, true},
    {L"doubleRightClick", Slot::DoubleRightClick, true},
    {L"doubleRightClickOneTime", Slot::DoubleRightClickOneTime, true},
    {L"scriptError", Slot::ScriptError, true},
    {L"balloonClick", Slot::BalloonClick, false},
    {L"balloonShow", Slot::BalloonShow, false},
    {L"balloonClose", Slot::BalloonClose, false},
};

std::optional<Slot> InstallSlot(std::wstring_view name) {
  for (const HandlerName& handler : kHandlerNames) {
    if (handler.installable && name == handler.name) {
      return handler.slot;
    }
  }
  return std::nullopt;
}

EventNames EventNamesOf(Slot slot) {
  EventNames names{nullptr, nullptr};
  for (const HandlerName& handler : kHandlerNames) {
    if (handler.slot != slot) {
      continue;
    }
    if (names.name == nullptr) {
      names.name = handler.name;
    } else if (std::wcslen(handler.name) > std::wcslen(names.name)) {
      // The table lists the short name first; the event tries the full one
      // first.
      names.shortName = names.name;
      names.name = handler.name;
    } else {
      names.shortName = handler.name;
    }
  }
  return names;
}

CommandResult InstallCommand(App& app, const CommandLine& command) {
  const std::wstring quoted = GetQuotedText(command.line);
  if (quoted == kNoQuote) {
    return Fail(app, L"Can't understand 'install' command.");
  }
  // A block folded at load is stored as written; a line written by hand
  // carries its line breaks and quotes as escapes, expanded here.
  const std::optional<std::wstring> folded = UnfoldBlock(quoted);
  const std::wstring text = folded ? *folded : ExpandEscapes(app, quoted, false);
  const std::wstring name = TrimBlanks(GetItem(TrimBlanks(GetLine(text, 1)), 2, L' '));
  if (name == L"openScript") {
    return Fail(app, L"Install cannot be used to install an 'openScript' handler.");
  }
  const std::optional<Slot> slot = InstallSlot(name);
  if (!slot) {
    return Fail(app, L"Handler '" + name + L"' is not valid and cannot be installed.");
  }
  // Stored as given: a text without its closing line makes the handler's
  // runs "incomplete", which the run reports, not the install.
  app.handlers[*slot] = text;
  return CommandResult::Ok;
}

} // namespace velmora
