// velmoractl keygen, sign and verify: the key pair of signed updates, the
// signature files beside the scripts an update server offers, and the check
// Velmora makes of them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ctl/file_system.hpp"
#include "ctl/output.hpp"

namespace velmora::ctl {

struct KeyOptions {
  std::optional<SystemPath> keyFile; // the private key; DefaultKeyFile() when none
  std::vector<std::string> files;    // the scripts to sign
};

struct VerifyOptions {
  SystemPath folder;              // the application folder, whose velmora.ini holds the key
  std::optional<std::string> key; // the public key line itself, instead of velmora.ini's
  std::string file;
};

// Exit status of verify: 0 for a good signature, 1 for a bad one, 2 when the
// script, its signature or the key cannot be read. keygen and sign give 0,
// or 4 when a key or file cannot be read or written.
constexpr int kVerifyGood = 0;
constexpr int kVerifyBad = 1;
constexpr int kVerifyUnreadable = 2;
constexpr int kKeysFailed = 4;

// Where keygen puts the private key unless told otherwise: among the user's
// own settings, never in Velmora's folder, which updates reach.
std::optional<SystemPath> DefaultKeyFile();

int RunKeygen(const KeyOptions& options, Output& out, Output& err);
int RunSign(const KeyOptions& options, Output& err);
int RunVerify(const VerifyOptions& options, Output& out, Output& err);

} // namespace velmora::ctl
