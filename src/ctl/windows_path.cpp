// Windows paths taken apart: root name, root separators, the folders and name.
#include "ctl/windows_path.hpp"

namespace velmora::ctl {

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// The path's root: its root name ("C:") and the separators after it.
struct Root {
  std::size_t nameLength = 0;
  std::size_t length = 0;
};

Root RootOf(std::wstring_view path) {
  Root root;
  root.nameLength = path.size() >= 2 && path[1] == L':' ? 2 : 0;
  root.length = root.nameLength;
  while (root.length < path.size() && IsSeparator(path[root.length])) {
    ++root.length;
  }
  return root;
}

bool HasRelativePart(std::wstring_view path) {
  return RootOf(path).length < path.size();
}

bool EndsInName(std::wstring_view path) {
  return HasRelativePart(path) && !IsSeparator(path.back());
}

// The path without the separators it ends in, short of its root.
std::wstring_view WithoutTrailingSeparators(std::wstring_view path, const Root& root) {
  while (path.size() > root.length && IsSeparator(path.back())) {
    path.remove_suffix(1);
  }
  return path;
}

} // namespace

std::wstring JoinWindowsPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (EndsInName(folder)) {
    path += L'\\';
  }
  return path += name;
}

std::wstring WindowsParentFolder(std::wstring_view path) {
  const Root root = RootOf(path);
  if (root.length == path.size()) {
    return std::wstring(path);
  }
  if (!IsSeparator(path.back())) {
    while (path.size() > root.length && !IsSeparator(path.back())) {
      path.remove_suffix(1);
    }
  }
  const std::wstring_view parent = WithoutTrailingSeparators(path, root);
  if (parent.size() > root.length) {
    return std::wstring(parent);
  }
  // Only the root is left: its name and, when it has them, one separator.
  return std::wstring(path.substr(0, root.nameLength + (root.length > root.nameLength ? 1 : 0)));
}

std::wstring WindowsStatusPath(std::wstring_view path) {
  return HasRelativePart(path) && !EndsInName(path) ? WindowsParentFolder(path)
                                                    : std::wstring(path);
}

} // namespace velmora::ctl
