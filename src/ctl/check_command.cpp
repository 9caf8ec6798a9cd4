// velmoractl check: each file read as the program reads it, checked, and
// reported in the form asked for.
#include "ctl/check_command.hpp"

#include <algorithm>

#include "ctl/check.hpp"
#include "ctl/check_encoding.hpp"
#include "ctl/encoding.hpp"
#include "ctl/report.hpp"
#include "ctl/script_file.hpp"

namespace velmora::ctl {

int RunCheck(const CheckOptions& options, Output& out, Output& err) {
  std::vector<FileDiagnostics> checked;
  bool unreadable = false;
  bool errors = false;
  for (const std::string& file : options.files) {
    const std::optional<std::string> bytes = ReadFileBytes(PathFromArgument(file));
    if (!bytes) {
      err << "velmoractl: cannot read " << file << "\n";
      unreadable = true;
      continue;
    }
    FileDiagnostics result{DecodeArgument(file), CheckEncoding(*bytes)};
    for (Diagnostic& diagnostic : CheckScript(ScriptText(*bytes))) {
      result.diagnostics.push_back(std::move(diagnostic));
    }
    std::stable_sort(result.diagnostics.begin(), result.diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    errors =
        errors || std::any_of(result.diagnostics.begin(), result.diagnostics.end(),
                              [](const Diagnostic& d) { return d.severity == Severity::Error; });
    checked.push_back(std::move(result));
  }
  if (options.json) {
    out << FormatJson(checked, options.errorsOnly);
  } else {
    out << EncodeConsole(FormatText(checked, options.errorsOnly));
  }
  if (unreadable) {
    return kCheckUnreadable;
  }
  return errors ? kCheckErrors : kCheckClean;
}

} // namespace velmora::ctl
