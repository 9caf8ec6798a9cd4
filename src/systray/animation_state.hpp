// What icon flashing and swapping keep: the two pictures, the one shown,
// and the swap period in milliseconds.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

struct AnimationState {
  std::wstring FirstIconFile;
  std::wstring SecondIconFile;
  std::wstring ShownIconFile;
  std::uint32_t SwapInterval = 500;
};

} // namespace velmora
