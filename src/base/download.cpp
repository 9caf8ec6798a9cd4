// Fetching a URL into a file.
#include "base/files.hpp"

namespace velmora {

bool DownloadFile(App& app, const std::wstring& url, const std::wstring& file) {
  return app.platform.DownloadUrlToFile(url, file);
}

} // namespace velmora
