// What the balloon module keeps: the text and title of the last balloon.
#pragma once

#include <string>

namespace velmora {

struct BalloonState {
  std::wstring BalloonText;
  std::wstring BalloonTitle;
};

} // namespace velmora
