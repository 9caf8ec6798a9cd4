// What the command drop keeps between polls.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace velmora {

// What identifies one version of a dropped file that the command drop could
// not read or delete, so that it is retried only once the file changes.
struct FileSignature {
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  bool operator==(const FileSignature& other) const {
    return size == other.size && lastWrite == other.lastWrite;
  }
};

struct DropState {
  // Whether the command drop takes scripts: its poll timer runs and its
  // folder is watched.
  bool DropOn = false;
  // True while a dropped script runs, so that a poll tick delivered during one
  // of its dialogs does not run the same file again inside it.
  bool DropRunning = false;
  // Dropped files already reported as unreadable or undeletable, by path.
  std::map<std::wstring, FileSignature> StuckDrops;
};

} // namespace velmora
