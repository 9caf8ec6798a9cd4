// The checker's two output formats.
#include "ctl/report.hpp"

#include <cstdint>

namespace velmora::ctl {

namespace {

const char* SeverityWord(Severity severity) {
  return severity == Severity::Error ? "error" : "warning";
}

bool Shown(const Diagnostic& diagnostic, bool errorsOnly) {
  return !errorsOnly || diagnostic.severity == Severity::Error;
}

// ":COLUMN" for a finding at one character.
std::wstring Column(const Diagnostic& diagnostic) {
  return diagnostic.column > 0 ? L":" + std::to_wstring(diagnostic.column) : L"";
}

std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

void AppendEscape(std::string& out, std::uint32_t code) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) {
    out += kHex[(code >> shift) & 0xF];
  }
}

void AppendJsonString(std::string& out, std::wstring_view text) {
  out += '"';
  for (const wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (code >= 0x20 && code < 0x7F) {
      out += static_cast<char>(c);
    } else {
      // A character beyond the basic plane is already its surrogate pair.
      AppendEscape(out, code);
    }
  }
  out += '"';
}

} // namespace

std::wstring FormatText(const std::vector<FileDiagnostics>& files, bool errorsOnly) {
  std::wstring out;
  for (const FileDiagnostics& file : files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (!Shown(diagnostic, errorsOnly)) {
        continue;
      }
      out += file.file + L":" + std::to_wstring(diagnostic.line) + Column(diagnostic) + L": " +
             Widen(SeverityWord(diagnostic.severity)) + L": " + diagnostic.message + L" [" +
             Widen(diagnostic.code) + L"]\n";
    }
  }
  return out;
}

std::string FormatJson(const std::vector<FileDiagnostics>& files, bool errorsOnly) {
  std::string out = "[";
  bool first = true;
  for (const FileDiagnostics& file : files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (!Shown(diagnostic, errorsOnly)) {
        continue;
      }
      out += first ? "\n  {\"file\": " : ",\n  {\"file\": ";
      first = false;
      AppendJsonString(out, file.file);
      out += ", \"line\": " + std::to_string(diagnostic.line);
      if (diagnostic.column > 0) {
        out += ", \"column\": " + std::to_string(diagnostic.column);
      }
      out += std::string(", \"severity\": \"") + SeverityWord(diagnostic.severity) +
             "\", \"code\": \"" + diagnostic.code + "\", \"message\": ";
      AppendJsonString(out, diagnostic.message);
      out += "}";
    }
  }
  out += first ? "]\n" : "\n]\n";
  return out;
}

} // namespace velmora::ctl
