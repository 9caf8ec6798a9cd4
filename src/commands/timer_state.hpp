// What the timerEvent commands keep: the period and what is counted of it.
#pragma once

#include <cstdint>

namespace velmora {

struct TimerState {
  // The timerEvent period and what is counted of it, in milliseconds.
  std::int32_t TimerPeriod = 0;
  std::int32_t TimerElapsed = 0;
  // Changes whenever a script sets or stops the timer, so that a tick can
  // tell that its own handler did and leave the new setting alone.
  std::uint32_t TimerGeneration = 0;
};

} // namespace velmora
