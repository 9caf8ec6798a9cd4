// A program for the launch tests: appends its own command line, as Windows
// gave it, to "args.txt" in the folder it was started from.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return 2;
  }
  std::string path(self, length);
  path = path.substr(0, path.find_last_of('\\') + 1) + "args.txt";
  FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    return 1;
  }
  std::fprintf(file, "%s\r\n", GetCommandLineA());
  std::fclose(file);
  return 0;
}
