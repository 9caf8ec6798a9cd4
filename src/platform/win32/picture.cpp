// Picture files as icons: .ico and .cur load as they are; everything else
// goes through GDI+, which reads bitmaps, PNG, GIF and JPEG.
#include "platform/win32/picture.hpp"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <vector>

#include "platform/win32/late_library.hpp"

namespace velmora::win32 {

namespace {

std::wstring LowerExtension(const std::wstring& path) {
  const std::size_t dot = path.find_last_of(L".\\/");
  if (dot == std::wstring::npos || path[dot] != L'.') {
    return L"";
  }
  std::wstring extension = path.substr(dot);
  for (wchar_t& c : extension) {
    c = static_cast<wchar_t>(towlower(c));
  }
  return extension;
}

// The functions of GDI+ a load uses, from the library loaded at the first
// picture that is not an icon.
template <typename Function> Function* GdiplusFunction(const char* name) {
  return LateFunction<Function>(L"gdiplus.dll", name);
}

// One GDI+ session around one load: pictures are loaded seldom, and nothing
// of GDI+ stays alive between loads.
class GdiplusSession {
public:
  GdiplusSession() {
    auto* const startup = GdiplusFunction<decltype(Gdiplus::GdiplusStartup)>("GdiplusStartup");
    Gdiplus::GdiplusStartupInput input;
    ok_ = startup != nullptr && shutdown_ != nullptr &&
          startup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (ok_) {
      shutdown_(token_);
    }
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool ok() const { return ok_; }

private:
  decltype(Gdiplus::GdiplusShutdown)* shutdown_ =
      GdiplusFunction<decltype(Gdiplus::GdiplusShutdown)>("GdiplusShutdown");
  ULONG_PTR token_ = 0;
  bool ok_ = false;
};

UniqueHicon LoadThroughGdiplus(const std::wstring& path, int size) {
  using namespace Gdiplus::DllExports;
  GdiplusSession session;
  auto* const fromFile =
      GdiplusFunction<decltype(GdipCreateBitmapFromFile)>("GdipCreateBitmapFromFile");
  auto* const thumbnailOf =
      GdiplusFunction<decltype(GdipGetImageThumbnail)>("GdipGetImageThumbnail");
  auto* const toIcon =
      GdiplusFunction<decltype(GdipCreateHICONFromBitmap)>("GdipCreateHICONFromBitmap");
  auto* const dispose = GdiplusFunction<decltype(GdipDisposeImage)>("GdipDisposeImage");
  if (!session.ok() || fromFile == nullptr || thumbnailOf == nullptr || toIcon == nullptr ||
      dispose == nullptr) {
    return {};
  }
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (fromFile(path.c_str(), &bitmap) != Gdiplus::Ok || bitmap == nullptr) {
    return {};
  }
  Gdiplus::GpImage* thumbnail = nullptr;
  const Gdiplus::GpStatus scaled = thumbnailOf(
      bitmap, static_cast<UINT>(size), static_cast<UINT>(size), &thumbnail, nullptr, nullptr);
  HICON icon = nullptr;
  if (scaled == Gdiplus::Ok && thumbnail != nullptr) {
    toIcon(static_cast<Gdiplus::GpBitmap*>(thumbnail), &icon);
    dispose(thumbnail);
  }
  dispose(bitmap);
  return UniqueHicon(icon);
}

} // namespace

UniqueHicon LoadPictureAsIcon(const std::wstring& path, int size) {
  const std::wstring extension = LowerExtension(path);
  if (extension == L".ico" || extension == L".cur") {
    const UINT type = extension == L".ico" ? IMAGE_ICON : IMAGE_CURSOR;
    return UniqueHicon(
        static_cast<HICON>(LoadImageW(nullptr, path.c_str(), type, size, size, LR_LOADFROMFILE)));
  }
  return LoadThroughGdiplus(path, size);
}

UniqueHicon MakeBlankIcon(int size) {
  // An AND mask of ones and an XOR mask of zeros: every pixel transparent.
  const std::size_t bytes = static_cast<std::size_t>((size + 15) / 16 * 2 * size);
  const std::vector<BYTE> andMask(bytes, 0xFF);
  const std::vector<BYTE> xorMask(bytes, 0x00);
  return UniqueHicon(
      CreateIcon(GetModuleHandleW(nullptr), size, size, 1, 1, andMask.data(), xorMask.data()));
}

} // namespace velmora::win32
