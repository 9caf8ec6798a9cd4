// How the checker's findings are printed: the line form compilers use, or
// one JSON array.
#pragma once

#include <string>
#include <vector>

#include "ctl/diagnostic.hpp"

namespace velmora::ctl {

struct FileDiagnostics {
  std::wstring file; // as named on the command line
  std::vector<Diagnostic> diagnostics;
};

// "FILE:LINE: error: message [code]", one line each; a finding at one
// character has "FILE:LINE:COLUMN:".
std::wstring FormatText(const std::vector<FileDiagnostics>& files, bool errorsOnly);
// [{"file": ..., "line": ..., "severity": ..., "code": ..., "message": ...}, ...],
// with "column" after "line" for a finding at one character, in plain ASCII: every other character
// is written as an escape.
std::string FormatJson(const std::vector<FileDiagnostics>& files, bool errorsOnly);

} // namespace velmora::ctl
