// The checker's look at a script file's bytes: characters Velmora reads
// other than the writer meant, and files other tools may read differently.
#pragma once

#include <string_view>
#include <vector>

#include "ctl/diagnostic.hpp"

namespace velmora::ctl {

std::vector<Diagnostic> CheckEncoding(std::string_view bytes);

} // namespace velmora::ctl
