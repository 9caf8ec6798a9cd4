// The files and folders velmoractl reads, writes and waits on, in the calls
// of the system it runs on.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::ctl {

// A path as the system takes it: UTF-16 on Windows, bytes elsewhere.
#ifdef _WIN32
using SystemPath = std::wstring;
#else
using SystemPath = std::string;
#endif

// The path of a file or folder named in plain ASCII in a folder.
SystemPath JoinPath(const SystemPath& folder, std::string_view name);

// The folder a path names its file in; "." for a bare name.
SystemPath FolderOf(const SystemPath& path);

bool IsFolder(const SystemPath& path);
bool Exists(const SystemPath& path);

// A regular file's bytes; none when the path names no regular file or the
// file cannot be read to its end.
std::optional<std::string> ReadFileBytes(const SystemPath& path);
// Creates the file, or empties it, and writes the bytes; false when any step
// fails, the writing and closing included.
bool WriteFileBytes(const SystemPath& path, std::string_view bytes);
// Creates a file that must not exist yet, readable by its owner alone where
// the system keeps such rights per file, and writes the bytes; false with the
// system's reason when it exists or cannot be written (a partly written file
// is removed).
bool CreateNewFile(const SystemPath& path, std::string_view bytes, std::string& reason);
// Velmora's folder among the user's own settings of programs
// (%APPDATA%\Velmora, ~/.config/velmora), which may not exist yet; none when
// the system does not say where those go.
std::optional<SystemPath> UserSettingsFolder();
// True when the file is gone: removed now, or never there.
bool RemoveFile(const SystemPath& path);
// Gives the file the new name, replacing a file of that name; false with
// the system's reason when it cannot.
bool RenameFile(const SystemPath& from, const SystemPath& to, std::string& reason);
// Creates the folder unless it is one already; its parent must be there.
// False with the system's reason when it cannot.
bool MakeFolder(const SystemPath& folder, std::string& reason);

} // namespace velmora::ctl
