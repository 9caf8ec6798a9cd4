// What the tray icon module keeps: the record it sends the shell, its
// tooltip, and the callbacks it holds back while a download runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/tray_record.hpp"

namespace velmora {

struct TrayState {
  TrayIconRecord TrayIcon;
  std::uint32_t TrayRecordSize = 0;
  std::wstring TooltipText;
  // Tray callbacks that arrived while a download was under way, in order.
  std::vector<std::intptr_t> DeferredTrayEvents;
};

} // namespace velmora
