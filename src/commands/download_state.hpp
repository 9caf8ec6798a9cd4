// What the download and update commands keep.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// The key that signs updates, read from the settings file at start: without
// one, updates are taken unsigned; with one that cannot be read, none is taken.
enum class UpdateKeyState { None, Set, Unreadable };

struct DownloadState {
  bool DownloadBusy = false;
  // Downloads started so far: names each one's temporary file.
  std::uint32_t DownloadCount = 0;
  // The identifier of the last script an update check took.
  std::wstring LastID;
  UpdateKeyState KeyState = UpdateKeyState::None;
  std::string UpdateKey; // the key's point while it is set
  // The bytes of the script the last update check took, as they arrived,
  // for keeping it as the start-up script without fetching it again.
  std::optional<std::string> TakenScript;
};

} // namespace velmora
