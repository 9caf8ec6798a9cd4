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
  std::optional<Slot> loadSlot; // where a block of this name found at load goes
};

// Every handler name, in the order a script is searched for them: a shorter
// name comes before the longer one that begins with it.
extern const HandlerName kHandlerNames[20];

// The slot that install stores a handler of this exact name in.
std::optional<Slot> InstallSlot(std::wstring_view name);

CommandResult InstallCommand(App& app, const CommandLine& command);

} // namespace velmora
