// velmoractl check: each file read as the program reads it, checked, and
// reported in the form asked for.
#include "ctl/check_command.hpp"

#include <algorithm>

#include "ctl/check.hpp"
#include "ctl/check_encoding.hpp"
#include "ctl/check_updates.hpp"
#include "ctl/encoding.hpp"
#include "ctl/key_file.hpp"
#include "ctl/report.hpp"
#include "ctl/script_file.hpp"

namespace velmora::ctl {

namespace {

// Whether the velmora.ini beside a script sets an update key: the folder
// where Velmora would run it.
bool KeySetBeside(const SystemPath& script) {
  const std::optional<std::string> settings =
      ReadFileBytes(JoinPath(FolderOf(script), "velmora.ini"));
  return settings && PublicKeyInSettings(*settings).value_or(L"") != L"";
}

} // namespace

int RunCheck(const CheckOptions& options, Output& out, Output& err) {
  std::vector<FileDiagnostics> checked;
  bool unreadable = false;
  bool errors = false;
  for (const std::string& file : options.files) {
    const SystemPath path = PathFromArgument(file);
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes) {
      err << "velmoractl: cannot read " << file << "\n";
      unreadable = true;
      continue;
    }
    FileDiagnostics result{DecodeArgument(file), CheckEncoding(*bytes)};
    const std::wstring text = ScriptText(*bytes);
    for (Diagnostic& diagnostic : CheckScript(text)) {
      result.diagnostics.push_back(std::move(diagnostic));
    }
    for (Diagnostic& diagnostic : CheckUpdateSources(text, KeySetBeside(path))) {
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
