// Handler names, their slots, and the install command.
#include "interpreter/handlers.hpp"

#include "base/text.hpp"
#include "interpreter/escapes.hpp"

namespace velmora {

// The short click names have no slot of their own: a block found under one
// of them goes to its left-button counterpart's slot, where install puts it
// too and where the tray looks for it, so scripts may use either name.
const HandlerName kHandlerNames[20] = {
    {L"itemSelect", Slot::ItemSelect},
    {L"timerEvent", Slot::TimerEvent},
    {L"altShowBalloon", Slot::AltShowBalloon},
    {L"openScript", Slot::OpenScript},
    {L"click", Slot::LeftClick},
    {L"leftClick", Slot::LeftClick},
    {L"clickOneTime", Slot::LeftClickOneTime},
    {L"leftClickOneTime", Slot::LeftClickOneTime},
    {L"doubleClick", Slot::DoubleLeftClick},
    {L"doubleLeftClick", Slot::DoubleLeftClick},
    {L"doubleClickOneTime", Slot::DoubleLeftClickOneTime},
    {L"doubleLeftClickOneTime", Slot::DoubleLeftClickOneTime},
    {L"rightClick", Slot::RightClick},
    {L"rightClickOneTime", Slot::RightClickOneTime},
    {L"doubleRightClick", Slot::DoubleRightClick},
    {L"doubleRightClickOneTime", Slot::DoubleRightClickOneTime},
    {L"scriptError", Slot::ScriptError},
    {L"balloonClick", Slot::BalloonClick},
    {L"balloonShow", Slot::BalloonShow},
    {L"balloonClose", Slot::BalloonClose},
};

std::optional<Slot> InstallSlot(std::wstring_view name) {
  struct Entry {
    const wchar_t* name;
    Slot slot;
  };
  static constexpr Entry kInstallable[] = {
      {L"itemSelect", Slot::ItemSelect},
      {L"timerEvent", Slot::TimerEvent},
      {L"altShowBalloon", Slot::AltShowBalloon},
      {L"scriptError", Slot::ScriptError},
      {L"leftClick", Slot::LeftClick},
      {L"click", Slot::LeftClick},
      {L"leftClickOneTime", Slot::LeftClickOneTime},
      {L"clickOneTime", Slot::LeftClickOneTime},
      {L"doubleLeftClick", Slot::DoubleLeftClick},
      {L"doubleClick", Slot::DoubleLeftClick},
      {L"doubleLeftClickOneTime", Slot::DoubleLeftClickOneTime},
      {L"doubleClickOneTime", Slot::DoubleLeftClickOneTime},
      {L"rightClick", Slot::RightClick},
      {L"rightClickOneTime", Slot::RightClickOneTime},
      {L"doubleRightClick", Slot::DoubleRightClick},
      {L"doubleRightClickOneTime", Slot::DoubleRightClickOneTime},
  };
  for (const Entry& entry : kInstallable) {
    if (name == entry.name) {
      return entry.slot;
    }
  }
  return std::nullopt;
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
