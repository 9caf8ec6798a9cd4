// The clocks, the random number and the pause elsewhere than Windows: the
// C++ library's.
#include <chrono>
#include <random>
#include <thread>

#include "ctl/clock.hpp"

namespace velmora::ctl {

std::int64_t NanosecondsSince1970() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::uint32_t RandomNumber() {
  std::random_device random;
  return random();
}

void Pause(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace velmora::ctl
