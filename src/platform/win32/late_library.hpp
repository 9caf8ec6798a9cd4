// Functions of the system libraries that only some scripts need (downloads,
// pictures that are not icons, the About window's link, the shell's open
// verb): a library is loaded the first time one of its functions is asked
// for, so a plain script starts without it. A loaded library stays for the
// life of the program.
#pragma once

#include <windows.h>

#include <string>

namespace velmora::win32 {

// The named function of a library of the system folder; nullptr when the
// library or the function cannot be found. Always taken from the system
// folder, never from the program's folder or the current one.
template <typename Function> Function* LateFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (module == nullptr) {
    std::wstring path(MAX_PATH, L'\0');
    const UINT length = GetSystemDirectoryW(path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
      return nullptr;
    }
    path.resize(length);
    module = LoadLibraryW((path + L"\\" + library).c_str());
  }
  if (module == nullptr) {
    return nullptr;
  }
  // Through the one function-pointer type that converts to any other.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace velmora::win32
