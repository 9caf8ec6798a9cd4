// velmoractl check: scripts checked file by file, and the exit status.
#pragma once

#include <string>
#include <vector>

#include "ctl/output.hpp"

namespace velmora::ctl {

struct CheckOptions {
  bool errorsOnly = false;
  bool json = false;
  std::vector<std::string> files;
};

// Exit status: 0 without errors (warnings allowed), 1 with at least one
// error, 2 when a file cannot be read.
constexpr int kCheckClean = 0;
constexpr int kCheckErrors = 1;
constexpr int kCheckUnreadable = 2;

int RunCheck(const CheckOptions& options, Output& out, Output& err);

} // namespace velmora::ctl
