// Plain http:// update addresses without an update key.
#include "ctl/check_updates.hpp"

#include "base/text.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/escapes.hpp"

namespace velmora::ctl {

namespace {

bool IsPlainHttp(const std::wstring& address) {
  return LowerCase(address.substr(0, 7)) == L"http://";
}

bool NamesScript(const std::wstring& file) {
  return file.size() >= 4 && LowerCase(file.substr(file.size() - 4)) == L".scp";
}

// Whether the line takes a script from a plain http:// address.
bool TakesPlainScript(const std::wstring& line) {
  const std::wstring command = LineWord(line, 1);
  const std::wstring address = GetQuotedText(line);
  if (address == kNoQuote || !IsPlainHttp(address)) {
    return false;
  }
  if (command == L"check") {
    return true;
  }
  if (command != L"download") {
    return false;
  }
  const std::wstring file = GetQuotedText(GetTextAfterQuotes(line));
  return NamesScript(file == kNoQuote ? address : file);
}

} // namespace

std::vector<Diagnostic> CheckUpdateSources(std::wstring_view text, bool keySet) {
  Diagnostics found;
  if (keySet) {
    return found.Take();
  }
  int number = 0;
  for (const std::wstring& line : SplitLines(NormalizeLineEnds(text))) {
    ++number;
    if (TakesPlainScript(TrimBlanks(line))) {
      found.Warning(number, "unsigned-update",
                    L"this script is taken from a plain http:// address and velmora.ini sets no "
                    L"update key: anyone on the network path can hand Velmora a script. Use "
                    L"https:// and a key (see \"Signed updates\" in the manual)");
    }
  }
  return found.Take();
}

} // namespace velmora::ctl
