// What the pop-up menu module keeps: its items and whether it exists.
#pragma once

#include <vector>

#include "platform/platform.hpp"

namespace velmora {

struct MenuState {
  // Item 1 exists from the start and is never removed.
  std::vector<MenuItem> MenuItems{{L"dummy", true}};
  bool MenuCreated = false;
  bool MenuHasQuit = false;
};

} // namespace velmora
