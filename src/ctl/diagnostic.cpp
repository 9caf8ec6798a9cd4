// Gathering diagnostics: line order, each said once.
#include "ctl/diagnostic.hpp"

#include <algorithm>
#include <set>
#include <tuple>

namespace velmora::ctl {

void Diagnostics::Error(int line, const char* code, std::wstring message) {
  found_.push_back({line, 0, Severity::Error, code, std::move(message)});
}

void Diagnostics::Warning(int line, const char* code, std::wstring message) {
  Warning(line, 0, code, std::move(message));
}

void Diagnostics::Warning(int line, int column, const char* code, std::wstring message) {
  found_.push_back({line, column, Severity::Warning, code, std::move(message)});
}

std::vector<Diagnostic> Diagnostics::Take() {
  std::stable_sort(found_.begin(), found_.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  std::set<std::tuple<int, std::string, std::wstring>> seen;
  std::vector<Diagnostic> unique;
  for (Diagnostic& diagnostic : found_) {
    if (seen.emplace(diagnostic.line, diagnostic.code, diagnostic.message).second) {
      unique.push_back(std::move(diagnostic));
    }
  }
  found_.clear();
  return unique;
}

} // namespace velmora::ctl
