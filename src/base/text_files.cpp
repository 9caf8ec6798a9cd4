// Text files in the ANSI code page.
#include "base/text_files.hpp"

#include "platform/ansi.hpp"

namespace velmora {

ReadStatus ReadTextFile(Platform& platform, const std::wstring& path, std::wstring& text) {
  std::string bytes;
  const ReadStatus status = platform.ReadFileBytes(path, bytes);
  text = status == ReadStatus::Ok ? FromAnsi(bytes) : std::wstring();
  return status;
}

bool AppendTextFile(Platform& platform, const std::wstring& path, const std::wstring& text) {
  return platform.AppendFileBytes(path, ToAnsi(text));
}

bool CreateTextFile(Platform& platform, const std::wstring& path, const std::wstring& text) {
  return platform.CreateFileBytes(path, ToAnsi(text));
}

} // namespace velmora
