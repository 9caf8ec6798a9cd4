// Standard output and error. On a Windows console, texts are shown through
// the console's own wide call, whatever its code page; output that goes to
// a pipe or a file is the UTF-8 bytes themselves.
#pragma once

#include "ctl/output.hpp"

namespace velmora::ctl {

Output& StandardOutput();
Output& StandardError();

} // namespace velmora::ctl
