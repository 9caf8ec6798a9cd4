// A program for the launch tests: appends its own command line, as Windows
// gave it, to "args.txt" in its own folder.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  char self[MAX_PATH];
  std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  path = path.substr(0, path.find_last_of('\\') + 1) + "args.txt";
  FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    return 1;
  }
  std::fprintf(file, "%s\r\n", GetCommandLineA());
  return std::fclose(file) == 0 ? 0 : 1;
}
