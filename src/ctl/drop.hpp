// Handing scripts to a running Velmora through its folder, and waiting for
// what it does with them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ctl/file_system.hpp"

namespace velmora::ctl {

// A name that no other call, in this process or another, will choose.
std::string UniqueName(std::string_view prefix);

// A script handed over: its path, and its name in the folder.
struct DroppedScript {
  SystemPath path;
  std::string name;
};

// Writes the script under a temporary name that the program never takes
// (it does not end in .scp), then renames it in one step to a new .scp name,
// so that the program never reads half a script. Gives the new script, or
// none with the reason in problem.
std::optional<DroppedScript> DropScript(const SystemPath& folder, std::string_view bytes,
                                        std::string_view prefix, std::string& problem);

// Asks done() again and again until it says yes or the seconds, when given,
// have passed; false on time-out.
bool WaitUntil(const std::function<bool()>& done, std::optional<double> seconds);

} // namespace velmora::ctl
