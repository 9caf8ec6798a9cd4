// One value of a private-profile settings file.
#include "base/files.hpp"

namespace velmora {

namespace {
// The read buffer holds 255 characters, one of them the terminator.
constexpr std::uint32_t kIniBufferChars = 255;
} // namespace

std::wstring ReadIniValue(Platform& platform, const std::wstring& section, const std::wstring& key,
                          const std::wstring& file) {
  return platform.ReadProfileString(section, key, L"", kIniBufferChars, file);
}

bool WriteIniValue(Platform& platform, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value, const std::wstring& file) {
  return platform.WriteProfileValue(section, key, value, file);
}

} // namespace velmora
