// The application folder, script paths, file tests and folder listings.
#include "coolcode/files.hpp"
#include "coolcode/text.hpp"

namespace velmora {

std::wstring AppFolder(App& app) {
  std::wstring folder = app.platform.ProgramFolder();
  if (folder.empty() || folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

std::wstring ResolvePath(App& app, std::wstring_view written) {
  std::wstring path = ReplaceAll(written, L"/", L"\\");
  const bool driveQualified = path.size() >= 2 && path[1] == L':';
  if (driveQualified || path.rfind(L"\\\\", 0) == 0) {
    return path;
  }
  if (path.rfind(L"..\\", 0) != 0) {
    return AppFolder(app) + path;
  }
  std::wstring base = AppFolder(app);
  base.pop_back();
  std::wstring_view rest = path;
  while (rest.rfind(L"..\\", 0) == 0) {
    base = GetItemRange(base, 1, CountItems(base, L"\\") - 1, L'\\');
    rest.remove_prefix(3);
  }
  return base + L"\\" + std::wstring(rest);
}

bool FileExists(App& app, const std::wstring& path) {
  for (const FoundFile& entry : app.platform.FindFiles(path)) {
    if (!entry.directory && !entry.hidden && !entry.system) {
      return true;
    }
  }
  return false;
}

std::wstring ListFilesByExtension(App& app, std::wstring_view folder, std::wstring_view extension) {
  std::wstring pattern = ResolvePath(app, folder);
  pattern += (!extension.empty() && extension.front() == L'.') ? L"*" : L"*.";
  pattern += extension;
  std::wstring list;
  for (const FoundFile& entry : app.platform.FindFiles(pattern)) {
    if (!list.empty()) {
      list += kCrLf;
    }
    list += StripAtNul(entry.nameField);
  }
  return list;
}

std::wstring StripAtNul(std::wstring_view text) {
  return std::wstring(text.substr(0, text.find(L'\0')));
}

bool AppendTextLine(App& app, const std::wstring& text, std::wstring_view fileName) {
  return app.platform.AppendTextFile(ResolvePath(app, fileName), text + kCrLf);
}

} // namespace velmora
