// The notification-area record: the core keeps it with wide text fields, and
// the shell takes it in its wide (UTF-16) layout, mirrored here so that the
// record sizes follow the pointer size of the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora {

// The text fields' widths, in UTF-16 code units.
constexpr std::size_t kTipChars = 128;
constexpr std::size_t kInfoChars = 256;
constexpr std::size_t kInfoTitleChars = 64;

// The shell's wide record, field for field, its texts in UTF-16 code units.
// Handles are pointer-sized, so a 64-bit build gets the 64-bit layout and
// sizes of its own.
struct NotifyIconDataLayout {
  std::uint32_t cbSize;
  std::uintptr_t hWnd;
  std::uint32_t uID;
  std::uint32_t uFlags;
  std::uint32_t uCallbackMessage;
  std::uintptr_t hIcon;
  char16_t szTip[kTipChars];
  std::uint32_t dwState;
  std::uint32_t dwStateMask;
  char16_t szInfo[kInfoChars];
  std::uint32_t uTimeoutOrVersion;
  char16_t szInfoTitle[kInfoTitleChars];
  std::uint32_t dwInfoFlags;
  struct {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
  } guidItem;
};

// Shell 6 and later take the whole record (it ends at the GUID, as shell 6
// first defined it; later shells take that size as well), shell 5 the record
// without the GUID, older shells the first record, which ends after a
// 64-unit tip.
constexpr std::uint32_t kTrayRecordSizeV6 = sizeof(NotifyIconDataLayout);
constexpr std::uint32_t kTrayRecordSizeV5 = offsetof(NotifyIconDataLayout, guidItem);
constexpr std::uint32_t kTrayRecordSizeOld =
    offsetof(NotifyIconDataLayout, szTip) + 64 * sizeof(char16_t);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(kTrayRecordSizeV6 == 952 && kTrayRecordSizeV5 == 936 && kTrayRecordSizeOld == 152,
              "the 32-bit record sizes the shell expects");
#endif

// The program's record, with text fields held wide (UTF-16 code units) and
// always exactly as wide as the shell's fields (padded with NULs or cut).
struct TrayIconRecord {
  std::uint32_t cbSize = 0;
  std::uintptr_t hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::uintptr_t hIcon = 0;
  std::wstring szTip = std::wstring(kTipChars, L'\0');
  std::uint32_t dwState = 0;
  std::uint32_t dwStateMask = 0;
  std::wstring szInfo = std::wstring(kInfoChars, L'\0');
  std::uint32_t uTimeoutOrVersion = 0;
  std::wstring szInfoTitle = std::wstring(kInfoTitleChars, L'\0');
  std::uint32_t dwInfoFlags = 0;
};

} // namespace velmora
