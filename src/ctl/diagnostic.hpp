// What the checker says about one line of a script.
#pragma once

#include <string>
#include <vector>

namespace velmora::ctl {

enum class Severity { Error, Warning };

struct Diagnostic {
  int line = 0;   // in the file as written, from 1
  int column = 0; // in characters of the decoded line, from 1; 0 for the whole line
  Severity severity = Severity::Error;
  std::string code;
  std::wstring message;
};

// Gathers a script's diagnostics; gives them in line order, each once.
class Diagnostics {
public:
  void Error(int line, const char* code, std::wstring message);
  void Warning(int line, const char* code, std::wstring message);
  void Warning(int line, int column, const char* code, std::wstring message);
  std::vector<Diagnostic> Take();

private:
  std::vector<Diagnostic> found_;
};

} // namespace velmora::ctl
