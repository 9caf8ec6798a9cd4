// The tray call log of the test build: tab-separated key=value fields, texts
// in UTF-8 with backslash, tab, CR and LF escaped so that every call stays
// one line.
#include "platform/win32/tray_log.hpp"

#include <string>

#include "platform/win32/handles.hpp"

namespace velmora::win32 {

namespace {

const std::wstring& LogPath() {
  static const std::wstring path = [] {
    std::wstring value(MAX_PATH, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"VELMORA_TRAY_LOG", value.data(),
                                                 static_cast<DWORD>(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
  }();
  return path;
}

// A field's text up to its NUL, in UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8(const char16_t* text) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text);
  const int length = static_cast<int>(std::char_traits<char16_t>::length(text));
  if (length == 0) {
    return {};
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::string Escaped(const char16_t* field) {
  std::string out;
  for (const char c : Utf8(field)) {
    switch (c) {
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
      out += c;
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
  const UniqueFile file(CreateFileW(LogPath().c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) {
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

} // namespace velmora::win32
