// The clocks, the random number and the pause on Windows, in its own calls
// and its C runtime's: the C++ library's would bring a thread library and
// its exception machinery with them.
#define _CRT_RAND_S
#include <windows.h>

#include <stdlib.h>

#include "ctl/clock.hpp"

namespace velmora::ctl {

namespace {

// 100-nanosecond intervals from 1601 to 1970.
constexpr std::int64_t kIntervalsTo1970 = 116444736000000000;

} // namespace

std::int64_t NanosecondsSince1970() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const auto intervals = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  return (intervals - kIntervalsTo1970) * 100;
}

double SteadySeconds() {
  LARGE_INTEGER count{};
  LARGE_INTEGER frequency{};
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::uint32_t RandomNumber() {
  unsigned number = 0;
  // Without one (a system that cannot give it) the clock and the count in a
  // name still keep it apart.
  if (rand_s(&number) != 0) {
    return 0;
  }
  return number;
}

void Pause(unsigned milliseconds) {
  Sleep(milliseconds);
}

} // namespace velmora::ctl
