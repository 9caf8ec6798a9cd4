// Updates anyone on the network path could forge: scripts a script takes
// from a plain http:// address while no update key is set.
#pragma once

#include <string_view>
#include <vector>

#include "ctl/diagnostic.hpp"

namespace velmora::ctl {

// The check lines, and downloads into a script file, that take a script from
// an http:// address; none when an update key is set, which makes Velmora
// take only signed scripts.
std::vector<Diagnostic> CheckUpdateSources(std::wstring_view text, bool keySet);

} // namespace velmora::ctl
