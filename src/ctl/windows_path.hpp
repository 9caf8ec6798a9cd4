// Windows paths taken apart as velmoractl's C++ library takes them: '\' and
// '/' both separate, and two characters ending in ':' ("C:") are the root
// name. A share's "\\server" counts as folders, not as a root.
#pragma once

#include <string>
#include <string_view>

namespace velmora::ctl {

// The path of a name in a folder: a separator between the two unless the
// folder ends in one or is a bare root name ("C:" gives "C:name").
std::wstring JoinWindowsPath(std::wstring_view folder, std::wstring_view name);
// The folder a path names its last part in: "C:\x" for "C:\x\v.exe" and for
// "C:\x\", the root itself for a path that is only its root.
std::wstring WindowsParentFolder(std::wstring_view path);
// The path to ask the C runtime about: one that ends in a separator after a
// folder's name stands for that folder, which the runtime finds only without
// the separator.
std::wstring WindowsStatusPath(std::wstring_view path);

} // namespace velmora::ctl
