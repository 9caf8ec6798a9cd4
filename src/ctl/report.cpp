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
    } else if (code > 0xFFFF) {
      // Outside the basic plane: a surrogate pair.
      AppendEscape(out, 0xD800 + ((code - 0x10000) >> 10));
      AppendEscape(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
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
      out += file.file + L":" + std::to_wstring(diagnostic.line) + L": " +
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
      out += ", \"line\": " + std::to_string(diagnostic.line) + ", \"severity\": \"" +
             SeverityWord(diagnostic.severity) + "\", \"code\": \"" + diagnostic.code +
             "\", \"message\": ";
      AppendJsonString(out, diagnostic.message);
      out += "}";
    }
  }
  out += first ? "]\n" : "\n]\n";
  return out;
}

} // namespace velmora::ctl
