// Handler names, the slots they are kept in, and the install command.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app_state.hpp"
#include "interpreter/dispatch.hpp"

namespace velmora {

struct HandlerName {
  const wchar_t* name;
  Slot slot;        // where a block of this name goes, at load or install
  bool installable; // whether install may store a handler of this name
};

// Every handler name, in the order a script is searched for them: a shorter
// name comes before the longer one that begins with it.
extern const HandlerName kHandlerNames[20];

// The slot that install stores a handler of this exact name in.
std::optional<Slot> InstallSlot(std::wstring_view name);

// The names an event looks its slot's handler up by: the full name, and
// the short click name that stands for it too (nullptr when none does).
struct EventNames {
  const wchar_t* name;
  const wchar_t* shortName;
};
EventNames EventNamesOf(Slot slot);

CommandResult InstallCommand(App& app, const CommandLine& command);

} // namespace velmora
