// What the download and update commands keep.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

struct DownloadState {
  bool DownloadBusy = false;
  // Downloads started so far: names each one's temporary file.
  std::uint32_t DownloadCount = 0;
  // The identifier of the last script an update check took.
  std::wstring LastID;
};

} // namespace velmora
