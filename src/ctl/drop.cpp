// Dropping scripts into the application folder without ever showing the
// program half a file, and waiting on the folder.
#include "ctl/drop.hpp"

#include <cstdint>

#include "ctl/clock.hpp"
#include "ctl/encoding.hpp"

namespace velmora::ctl {

namespace {

constexpr unsigned kPollMilliseconds = 50;

// "-" and the number in lower-case hexadecimal digits.
void AppendHex(std::string& text, std::uint64_t number) {
  static constexpr char kDigits[] = "0123456789abcdef";
  char digits[16];
  std::size_t count = 0;
  do {
    digits[count++] = kDigits[number & 0xF];
    number >>= 4;
  } while (number != 0);
  text += '-';
  while (count > 0) {
    text += digits[--count];
  }
}

} // namespace

std::string UniqueName(std::string_view prefix) {
  // The clock, an address of this process and a random number keep two
  // processes apart; the count keeps calls within one process apart.
  static unsigned count = 0;
  std::string name(prefix);
  AppendHex(name, static_cast<std::uint64_t>(NanosecondsSince1970()));
  AppendHex(name, reinterpret_cast<std::uintptr_t>(&count));
  AppendHex(name, RandomNumber());
  AppendHex(name, ++count);
  return name;
}

std::optional<DroppedScript> DropScript(const SystemPath& folder, std::string_view bytes,
                                        std::string_view prefix, std::string& problem) {
  const std::string name = UniqueName(prefix);
  // ".tmp": neither the name nor the short 8.3 form Windows may give it
  // matches "*.scp", so the command drop never takes it while it is written.
  const SystemPath temporary = JoinPath(folder, name + ".tmp");
  DroppedScript script{JoinPath(folder, name + ".scp"), name + ".scp"};
  if (!WriteFileBytes(temporary, bytes)) {
    RemoveFile(temporary);
    problem = "cannot write " + DisplayPath(temporary);
    return std::nullopt;
  }
  std::string reason;
  if (!RenameFile(temporary, script.path, reason)) {
    RemoveFile(temporary);
    problem = "cannot rename " + DisplayPath(temporary) + " to " + DisplayPath(script.path) + ": " +
              reason;
    return std::nullopt;
  }
  return script;
}

bool WaitUntil(const std::function<bool()>& done, std::optional<double> seconds) {
  const double start = SteadySeconds();
  for (;;) {
    if (done()) {
      return true;
    }
    if (seconds && SteadySeconds() - start >= *seconds) {
      return false;
    }
    Pause(kPollMilliseconds);
  }
}

} // namespace velmora::ctl
