// Paths of the application folder, file tests and listings, the settings
// file, and downloads, over the platform's file services.
#pragma once

#include <string>
#include <string_view>

#include "app_state.hpp"

namespace velmora {

std::wstring AppFolder(App& app);
std::wstring ResolvePath(App& app, std::wstring_view path);
bool FileExists(App& app, const std::wstring& path);
std::wstring ListFilesByExtension(App& app, std::wstring_view folder, std::wstring_view extension);
std::wstring StripAtNul(std::wstring_view text);
std::wstring ReadIniValue(App& app, const std::wstring& section, const std::wstring& key,
                          const std::wstring& file);
bool WriteIniValue(App& app, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value, const std::wstring& file);
bool DownloadFile(App& app, const std::wstring& url, const std::wstring& file);
// Appends text and CR LF to a file named relative to the application folder;
// false when the file cannot be written.
bool AppendTextLine(App& app, const std::wstring& text, std::wstring_view fileName);

} // namespace velmora
