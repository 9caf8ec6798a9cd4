// Files and folders on Windows, through the C runtime's wide calls and the
// reasons its error numbers stand for, so that a failure reads the same in
// every message.
#include <windows.h>

#include <direct.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "base/encoding.hpp"
#include "ctl/file_system.hpp"
#include "ctl/windows_path.hpp"

namespace velmora::ctl {

namespace {

// The kind of file the path names; none, with the C runtime's error number,
// when it cannot tell.
std::optional<unsigned> FileMode(const SystemPath& path, int& error) {
  struct _stat64 status {};
  if (_wstat64(WindowsStatusPath(path).c_str(), &status) != 0) {
    error = errno;
    return std::nullopt;
  }
  return status.st_mode & S_IFMT;
}

std::optional<unsigned> FileMode(const SystemPath& path) {
  int ignored = 0;
  return FileMode(path, ignored);
}

} // namespace

SystemPath JoinPath(const SystemPath& folder, std::string_view name) {
  return JoinWindowsPath(folder, DecodeText(name, TextEncoding::Utf8));
}

SystemPath FolderOf(const SystemPath& path) {
  const std::wstring folder = WindowsParentFolder(path);
  return folder.empty() ? L"." : folder;
}

bool IsFolder(const SystemPath& path) {
  return FileMode(path) == S_IFDIR;
}

bool Exists(const SystemPath& path) {
  return FileMode(path).has_value();
}

std::optional<std::string> ReadFileBytes(const SystemPath& path) {
  if (FileMode(path) != S_IFREG) {
    return std::nullopt;
  }
  std::FILE* const file = _wfopen(path.c_str(), L"rb");
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
  std::FILE* const file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool CreateNewFile(const SystemPath& path, std::string_view bytes, std::string& reason) {
  // %APPDATA% is the user's own: a file made there inherits that.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reason = GetLastError() == ERROR_FILE_EXISTS ? std::strerror(EEXIST) : std::strerror(EACCES);
    return false;
  }
  DWORD written = 0;
  const bool whole =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  if (!CloseHandle(file) || !whole) {
    DeleteFileW(path.c_str());
    reason = std::strerror(EIO);
    return false;
  }
  return true;
}

std::optional<SystemPath> UserSettingsFolder() {
  wchar_t folder[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return std::nullopt;
  }
  return SystemPath(folder, length) + L"\\Velmora";
}

bool RemoveFile(const SystemPath& path) {
  if (DeleteFileW(path.c_str())) {
    return true;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool RenameFile(const SystemPath& from, const SystemPath& to, std::string& reason) {
  // A folder of the new name is never replaced by a file.
  if (IsFolder(to) && !IsFolder(from)) {
    reason = std::strerror(EISDIR);
    return false;
  }
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    return true;
  }
  reason = std::strerror(GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO);
  return false;
}

bool MakeFolder(const SystemPath& folder, std::string& reason) {
  int error = 0;
  if (const std::optional<unsigned> mode = FileMode(folder, error)) {
    if (*mode == S_IFDIR) {
      return true;
    }
    reason = std::strerror(ENOTDIR);
    return false;
  }
  // Any other reason the runtime cannot tell what is there is the answer.
  if (error != ENOENT && error != ENOTDIR) {
    reason = std::strerror(error);
    return false;
  }
  if (_wmkdir(folder.c_str()) == 0) {
    return true;
  }
  error = errno;
  // Made by another process in the meantime.
  if (error == EEXIST && IsFolder(folder)) {
    return true;
  }
  reason = std::strerror(error);
  return false;
}

} // namespace velmora::ctl
