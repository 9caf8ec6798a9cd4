// velmoractl send: scripts handed to a running Velmora through its folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ctl/file_system.hpp"
#include "ctl/output.hpp"

namespace velmora::ctl {

struct SendOptions {
  SystemPath folder;                 // the application folder
  std::optional<double> waitSeconds; // wait until Velmora has taken every script
  bool force = false;                // send scripts without an openScript block too
  std::vector<std::string> files;
};

// Exit status: 0 when every script was handed over (and, with a wait, taken),
// 3 when the wait ran out, 4 for a script refused or a file that cannot be
// read or written.
constexpr int kSendDone = 0;
constexpr int kSendTimedOut = 3;
constexpr int kSendFailed = 4;

int RunSend(const SendOptions& options, Output& err);

// Whether a script, once loaded, gives the program an openScript handler of
// its own to run (without one, the program runs the one it already holds).
bool HasOwnOpenScript(std::wstring_view text);

} // namespace velmora::ctl
