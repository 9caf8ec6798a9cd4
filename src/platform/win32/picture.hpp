// Loading picture files as icons at a given size, and the blank icon.
#pragma once

#include <string>

#include "platform/win32/handles.hpp"

namespace velmora::win32 {

// Icons and cursors load directly; bitmaps, PNG, GIF and JPEG through GDI+.
// An empty handle when the file is not a picture.
UniqueHicon LoadPictureAsIcon(const std::wstring& path, int size);
UniqueHicon MakeBlankIcon(int size);

} // namespace velmora::win32
