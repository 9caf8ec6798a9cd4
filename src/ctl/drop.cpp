// Dropping scripts into the application folder without ever showing the
// program half a file, and waiting on the folder.
#include "ctl/drop.hpp"

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "ctl/encoding.hpp"

namespace velmora::ctl {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

} // namespace

std::string UniqueName(std::string_view prefix) {
  // The clock, an address of this process and a random number keep two
  // processes apart; the count keeps calls within one process apart.
  static unsigned count = 0;
  std::random_device random;
  const auto now = std::chrono::system_clock::now().time_since_epoch().count();
  std::ostringstream name;
  name << prefix << '-' << std::hex << now << '-' << reinterpret_cast<std::uintptr_t>(&count) << '-'
       << random() << '-' << ++count;
  return name.str();
}

std::optional<std::filesystem::path> DropScript(const std::filesystem::path& folder,
                                                std::string_view bytes, std::string_view prefix,
                                                std::string& problem) {
  const std::string name = UniqueName(prefix);
  // ".tmp": neither the name nor the short 8.3 form Windows may give it
  // matches "*.scp", so the command drop never takes it while it is written.
  const std::filesystem::path temporary = folder / (name + ".tmp");
  const std::filesystem::path script = folder / (name + ".scp");
  if (!WriteFile(temporary, bytes)) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    problem = "cannot write " + DisplayPath(temporary);
    return std::nullopt;
  }
  std::error_code error;
  std::filesystem::rename(temporary, script, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    problem = "cannot rename " + DisplayPath(temporary) + " to " + DisplayPath(script) + ": " +
              error.message();
    return std::nullopt;
  }
  return script;
}

bool WaitUntil(const std::function<bool()>& done, std::optional<double> seconds) {
  const auto start = std::chrono::steady_clock::now();
  const auto limit = std::chrono::duration<double>(seconds.value_or(0));
  for (;;) {
    if (done()) {
      return true;
    }
    if (seconds && std::chrono::steady_clock::now() - start >= limit) {
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

} // namespace velmora::ctl
