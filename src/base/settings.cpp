// One value of a private-profile settings file.
#include "base/encoding.hpp"
#include "base/files.hpp"
#include "base/text_files.hpp"
#include "platform/ansi.hpp"

namespace velmora {

namespace {
// The read buffer holds 255 characters, one of them the terminator.
constexpr std::uint32_t kIniBufferChars = 255;
} // namespace

std::wstring ReadIniValue(Platform& platform, const std::wstring& section, const std::wstring& key,
                          const std::wstring& file) {
  // One unit more is asked for than the buffer keeps, so that the cut to the
  // buffer's length is made here, never through a surrogate pair.
  const std::wstring value =
      platform.ReadProfileString(section, key, L"", kIniBufferChars + 1, file);
  return std::wstring(CutToUnits(value, kIniBufferChars - 1));
}

bool WriteIniValue(Platform& platform, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value, const std::wstring& file) {
  // Windows writes a settings file in the ANSI code page, a character it
  // lacks as a question mark, unless the file begins with a UTF-16 mark: a
  // value the code page cannot hold makes the file UTF-16 first.
  if (!ToAnsiExact(section + key + value) &&
      !MakeUnicodeFile(platform, file, TextEncoding::Utf16Le)) {
    return false;
  }
  return platform.WriteProfileValue(section, key, value, file);
}

} // namespace velmora
