// Paths of the application folder, file tests and listings, the settings
// file, and downloads, over the platform's file services.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

namespace velmora {

// The settings file in the application folder, which keeps the identifier
// of the last script an update check took.
constexpr const wchar_t* kSettingsFileName = L"velmora.ini";

std::wstring AppFolder(Platform& platform);
std::wstring ResolvePath(Platform& platform, std::wstring_view path);
// Whether a file name matches a search pattern's last part by the rules of a
// Windows search ("*", "?", "*.*"), ignoring case.
bool MatchesWildcards(std::wstring_view pattern, std::wstring_view name);
// A directory search whose wildcards decide on the long name alone: the
// entries whose long name matches the pattern, whatever their short name does.
std::vector<FoundFile> SearchFiles(Platform& platform, const std::wstring& pattern);
// The folder part of a path, up to and with its last separator.
std::wstring FolderOf(std::wstring_view path);
bool FileExists(Platform& platform, const std::wstring& path);
std::wstring ListFilesByExtension(Platform& platform, std::wstring_view folder,
                                  std::wstring_view extension);
std::wstring StripAtNul(std::wstring_view text);
std::wstring ReadIniValue(Platform& platform, const std::wstring& section, const std::wstring& key,
                          const std::wstring& file);
bool WriteIniValue(Platform& platform, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value, const std::wstring& file);
bool DownloadFile(Platform& platform, const std::wstring& url, const std::wstring& file);
// Appends text and CR LF to a file named relative to the application folder;
// false when the file cannot be written.
bool AppendTextLine(Platform& platform, const std::wstring& text, std::wstring_view fileName);

} // namespace velmora
