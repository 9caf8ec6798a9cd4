// Files and folders where velmoractl runs beside a system other than
// Windows: the C++ library's folder calls and the C library's files.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "ctl/file_system.hpp"

namespace velmora::ctl {

SystemPath JoinPath(const SystemPath& folder, std::string_view name) {
  return (std::filesystem::path(folder) / name).string();
}

SystemPath FolderOf(const SystemPath& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

bool IsFolder(const SystemPath& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

bool Exists(const SystemPath& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

std::optional<std::string> ReadFileBytes(const SystemPath& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return std::nullopt;
  }
  std::FILE* const file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return std::nullopt;
  }
  std::string bytes;
  char chunk[16384];
  for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    bytes.append(chunk, count);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    return std::nullopt;
  }
  return bytes;
}

bool WriteFileBytes(const SystemPath& path, std::string_view bytes) {
  std::FILE* const file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool CreateNewFile(const SystemPath& path, std::string_view bytes, std::string& reason) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (file < 0) {
    reason = std::strerror(errno);
    return false;
  }
  const bool whole = write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  if (close(file) != 0 || !whole) {
    unlink(path.c_str());
    reason = std::strerror(EIO);
    return false;
  }
  return true;
}

std::optional<SystemPath> UserSettingsFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
    return SystemPath(config) + "/velmora";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
    return SystemPath(home) + "/.config/velmora";
  }
  return std::nullopt;
}

bool RemoveFile(const SystemPath& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
  return !error;
}

bool RenameFile(const SystemPath& from, const SystemPath& to, std::string& reason) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  if (error) {
    reason = error.message();
  }
  return !error;
}

bool MakeFolder(const SystemPath& folder, std::string& reason) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    reason = error.message();
  }
  return !error;
}

} // namespace velmora::ctl
