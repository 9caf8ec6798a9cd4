// Fetching a URL into a file.
#include "base/files.hpp"

namespace velmora {

bool DownloadFile(Platform& platform, const std::wstring& url, const std::wstring& file) {
  return platform.DownloadUrlToFile(url, file);
}

} // namespace velmora
