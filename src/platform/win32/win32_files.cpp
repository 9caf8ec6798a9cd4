// Files, folder searches and settings files over the wide calls, so that a
// path may hold any character, whatever the ANSI code page.
#include <iterator>

#include "platform/win32/win32_platform.hpp"

namespace velmora::win32 {

namespace {

std::wstring FolderOf(const std::wstring& pattern) {
  const std::size_t slash = pattern.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : pattern.substr(0, slash + 1);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  DWORD written = 0;
  return bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                     nullptr) != FALSE &&
                           written == bytes.size());
}

bool WriteBytes(const std::wstring& path, std::string_view bytes, DWORD access, DWORD disposition) {
  const UniqueFile file(CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && WriteAll(file.get(), bytes);
}

} // namespace

std::wstring Win32Platform::ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L'\\');
  // A drive root keeps its backslash, as Windows writes it.
  if (slash == 2 && path.size() > 1 && path[1] == L':') {
    return path.substr(0, 3);
  }
  return path.substr(0, slash == std::wstring::npos ? 0 : slash);
}

ReadStatus Win32Platform::ReadFileBytes(const std::wstring& path, std::string& bytes) {
  // Sharing read access only: a file that a writer still holds open is not
  // opened, so a half-written script is never taken.
  const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return GetLastError() == ERROR_SHARING_VIOLATION ? ReadStatus::InUse : ReadStatus::Failed;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) {
    return ReadStatus::Failed;
  }
  bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size())) {
    return ReadStatus::Failed;
  }
  return ReadStatus::Ok;
}

bool Win32Platform::AppendFileBytes(const std::wstring& path, std::string_view bytes) {
  return WriteBytes(path, bytes, FILE_APPEND_DATA, OPEN_ALWAYS);
}

bool Win32Platform::CreateFileBytes(const std::wstring& path, std::string_view bytes) {
  return WriteBytes(path, bytes, GENERIC_WRITE, CREATE_ALWAYS);
}

void Win32Platform::WatchFolder(const std::wstring& folder, bool on) {
  folderChange_.reset();
  if (on) {
    // A folder that cannot be watched leaves the poll to find its scripts.
    folderChange_.reset(FindFirstChangeNotificationW(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
  }
}

bool Win32Platform::DeleteFiles(const std::wstring& pattern) {
  const std::wstring folder = FolderOf(pattern);
  bool any = false;
  bool all = true;
  for (const FoundFile& entry : FindFiles(pattern)) {
    if (entry.directory) {
      continue;
    }
    any = true;
    const std::wstring name = entry.nameField.substr(0, entry.nameField.find(L'\0'));
    all = DeleteFileW((folder + name).c_str()) != FALSE && all;
  }
  return any && all;
}

bool Win32Platform::MoveFileReplacing(const std::wstring& source, const std::wstring& target) {
  return MoveFileExW(source.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

std::vector<FoundFile> Win32Platform::FindFiles(const std::wstring& pattern) {
  std::vector<FoundFile> found;
  WIN32_FIND_DATAW data{};
  const UniqueFind search(FindFirstFileW(pattern.c_str(), &data));
  if (!search) {
    return found;
  }
  do {
    FoundFile entry;
    entry.nameField = std::wstring(data.cFileName, std::size(data.cFileName));
    entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.system = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.lastWrite = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    found.push_back(std::move(entry));
  } while (FindNextFileW(search.get(), &data));
  return found;
}

std::wstring Win32Platform::ShortPathName(const std::wstring& path) {
  // A short form is for programs that cannot take long names, and those
  // cannot open a path of MAX_PATH characters or more either: such a short
  // form counts as none, as the ANSI call has always given it.
  std::wstring buffer(MAX_PATH, L'\0');
  const DWORD length =
      GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) {
    return L"";
  }
  buffer.resize(length);
  return buffer;
}

std::wstring Win32Platform::ReadProfileString(const std::wstring& section, const std::wstring& key,
                                              const std::wstring& defaultValue, std::uint32_t size,
                                              const std::wstring& file) {
  // The size counts UTF-16 units, the closing NUL among them.
  std::wstring buffer(size, L'\0');
  const DWORD copied = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                buffer.data(), size, file.c_str());
  buffer.resize(copied);
  return buffer;
}

bool Win32Platform::WriteProfileValue(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& value, const std::wstring& file) {
  return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

} // namespace velmora::win32
