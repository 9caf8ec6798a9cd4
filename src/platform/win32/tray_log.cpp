// The tray call log of the test build: tab-separated key=value fields, texts
// with backslash, tab, CR and LF escaped so that every call stays one line.
#include "platform/win32/tray_log.hpp"

#include <string>

#include "platform/win32/handles.hpp"

namespace velmora::win32 {

namespace {

const std::string& LogPath() {
  static const std::string path = [] {
    std::string value(MAX_PATH, '\0');
    const DWORD length =
        GetEnvironmentVariableA("VELMORA_TRAY_LOG", value.data(), static_cast<DWORD>(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
  }();
  return path;
}

std::string Escaped(const char* text) {
  std::string out;
  for (; *text != '\0'; ++text) {
    switch (*text) {
    case '\\':
      out += "\\\\";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\n':
      out += "\\n";
      break;
    default:
      out += *text;
    }
  }
  return out;
}

void AddField(std::string& line, const char* key, const std::string& value) {
  if (!line.empty()) {
    line += '\t';
  }
  line += key;
  line += '=';
  line += value;
}

// "1" for an icon that exists, "0" for none, "destroyed" for a handle whose
// icon is gone: what the shell was asked to show.
std::string IconState(std::uintptr_t handle) {
  if (handle == 0) {
    return "0";
  }
  ICONINFO info{};
  if (!GetIconInfo(reinterpret_cast<HICON>(handle), &info)) {
    return "destroyed";
  }
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr) {
    DeleteObject(info.hbmColor);
  }
  return "1";
}

} // namespace

void LogTrayCall(DWORD message, const NotifyIconDataLayout& data, BOOL result) {
  if (LogPath().empty()) {
    return;
  }
  std::string line;
  AddField(line, "msg", std::to_string(message));
  AddField(line, "result", std::to_string(result));
  AddField(line, "cbSize", std::to_string(data.cbSize));
  AddField(line, "hWnd", std::to_string(data.hWnd));
  AddField(line, "uID", std::to_string(data.uID));
  AddField(line, "uFlags", std::to_string(data.uFlags));
  AddField(line, "uCallbackMessage", std::to_string(data.uCallbackMessage));
  AddField(line, "hIcon", IconState(data.hIcon));
  AddField(line, "szTip", Escaped(data.szTip));
  AddField(line, "dwState", std::to_string(data.dwState));
  AddField(line, "dwStateMask", std::to_string(data.dwStateMask));
  AddField(line, "szInfo", Escaped(data.szInfo));
  AddField(line, "uTimeoutOrVersion", std::to_string(data.uTimeoutOrVersion));
  AddField(line, "szInfoTitle", Escaped(data.szInfoTitle));
  AddField(line, "dwInfoFlags", std::to_string(data.dwInfoFlags));
  line += "\r\n";
  // One write per line on a file opened for appending, so a reader never
  // sees two calls interleaved.
  const UniqueFile file(CreateFileA(LogPath().c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) {
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

} // namespace velmora::win32
