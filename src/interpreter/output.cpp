// Writing a result: the answer of a box, a menu choice no handler takes.
#include "interpreter/output.hpp"

#include "base/files.hpp"
#include "base/text.hpp"
#include "base/text_files.hpp"
#include "commands/update_key.hpp"
#include "interpreter/errors.hpp"

namespace velmora {

void WriteOutput(App& app, const std::wstring& text) {
  app.LastResult = text;
  if (app.OutputFile.empty()) {
    app.OutputFile = AppFolder(app.platform) + L"output.txt";
  }
  // An answer that cannot be written is reported, never lost in silence; it
  // is still the last result, so the switch after it runs the right case.
  const std::wstring path = ResolvePath(app.platform, app.OutputFile);
  if (HoldsUpdateKey(app, path)) {
    ReportScriptError(app, UpdateKeyGuardMessage());
    return;
  }
  if (!AppendTextFile(app.platform, path, text + kCrLf)) {
    ReportScriptError(app, L"Can't write to file '" + path + L"'.");
  }
}

} // namespace velmora
