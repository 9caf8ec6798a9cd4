// velmoractl send: every script read and vetted first, then each dropped
// under a name of its own, then, if asked, a wait until Velmora took them.
#include "ctl/send.hpp"

#include "ctl/drop.hpp"
#include "ctl/encoding.hpp"
#include "ctl/probe.hpp"
#include "ctl/script_file.hpp"
#include "interpreter/script.hpp"

namespace velmora::ctl {

namespace {

// Every script named, read and vetted before any is dropped: none when one
// cannot be read or, unless forced, has no openScript of its own.
std::optional<std::vector<std::string>> ReadScripts(const SendOptions& options, Output& err) {
  std::vector<std::string> scripts;
  for (const std::string& file : options.files) {
    std::optional<std::string> bytes = ReadFileBytes(PathFromArgument(file));
    if (!bytes) {
      err << "velmoractl: cannot read " << file << "\n";
      return std::nullopt;
    }
    if (!options.force && !HasOwnOpenScript(ScriptText(*bytes))) {
      err << "velmoractl: " << file
          << " has no complete openScript block, so Velmora would run its last openScript "
             "handler once more instead; use --force to send it anyway\n";
      return std::nullopt;
    }
    scripts.push_back(std::move(*bytes));
  }
  return scripts;
}

std::vector<DroppedScript> StillThere(const std::vector<DroppedScript>& scripts) {
  std::vector<DroppedScript> left;
  for (const DroppedScript& script : scripts) {
    if (Exists(script.path)) {
      left.push_back(script);
    }
  }
  return left;
}

// The program deletes each script once it has run it.
int WaitUntilTaken(const std::vector<DroppedScript>& dropped, double seconds, Output& err) {
  if (WaitUntil([&dropped] { return StillThere(dropped).empty(); }, seconds)) {
    return kSendDone;
  }
  err << "velmoractl: Velmora did not take every script within " << seconds
      << " seconds (is it running, with polling on?); left in the folder:";
  for (const DroppedScript& script : StillThere(dropped)) {
    err << " " << script.name;
  }
  err << "\n";
  return kSendTimedOut;
}

} // namespace

bool HasOwnOpenScript(std::wstring_view text) {
  QuietProgram program;
  ParseScript(program.app(), text);
  // A block that never ends is kept in the slot for the start-up run to
  // report; it is no openScript a dropped script could run.
  const std::wstring block =
      ExtractHandler(L"openScript", program.app().handlers[Slot::OpenScript]);
  return !block.empty() && block != kIncomplete;
}

int RunSend(const SendOptions& options, Output& err) {
  if (!IsFolder(options.folder)) {
    err << "velmoractl: " << DisplayPath(options.folder) << " is not a folder\n";
    return kSendFailed;
  }
  const std::optional<std::vector<std::string>> scripts = ReadScripts(options, err);
  if (!scripts) {
    return kSendFailed;
  }
  std::vector<DroppedScript> dropped;
  for (const std::string& bytes : *scripts) {
    std::string problem;
    std::optional<DroppedScript> script =
        DropScript(options.folder, bytes, "velmoractl-send", problem);
    if (!script) {
      err << "velmoractl: " << problem << "\n";
      return kSendFailed;
    }
    dropped.push_back(std::move(*script));
  }
  if (!options.waitSeconds) {
    return kSendDone;
  }
  return WaitUntilTaken(dropped, *options.waitSeconds, err);
}

} // namespace velmora::ctl
