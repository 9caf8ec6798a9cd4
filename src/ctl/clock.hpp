// What velmoractl takes from the system to name its files and time its
// waits: the clocks, a random number, and the pause between two looks at a
// folder.
#pragma once

#include <cstdint>

namespace velmora::ctl {

// The time of day, in nanoseconds since 1970 began (UTC).
std::int64_t NanosecondsSince1970();
// Seconds on a clock that only ever goes forward, from some fixed moment.
double SteadySeconds();
// A number that another process, calling at the same moment, is unlikely to
// draw too.
std::uint32_t RandomNumber();
void Pause(unsigned milliseconds);

} // namespace velmora::ctl
