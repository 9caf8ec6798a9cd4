// The application folder, script paths, file tests and folder listings.
#include <algorithm>

#include "base/files.hpp"
#include "base/text.hpp"
#include "base/text_files.hpp"

namespace velmora {

std::wstring AppFolder(Platform& platform) {
  std::wstring folder = platform.ProgramFolder();
  if (folder.empty() || folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

std::wstring ResolvePath(Platform& platform, std::wstring_view written) {
  std::wstring path = ReplaceAll(written, L"/", L"\\");
  const bool driveQualified = path.size() >= 2 && path[1] == L':';
  if (driveQualified || path.rfind(L"\\\\", 0) == 0) {
    return path;
  }
  if (path.rfind(L"..\\", 0) != 0) {
    return AppFolder(platform) + path;
  }
  std::wstring base = AppFolder(platform);
  base.pop_back();
  std::wstring_view rest = path;
  while (rest.rfind(L"..\\", 0) == 0) {
    base = GetItemRange(base, 1, CountItems(base, L"\\") - 1, L'\\');
    rest.remove_prefix(3);
  }
  return base + L"\\" + std::wstring(rest);
}

namespace {

// Windows reads a search pattern with DOS rules: "*" before a dot stops at
// the name's last dot, "?" also matches nothing at a dot or the end, and a
// dot before a wildcard or at the end also matches the end of the name.
enum class Token { Char, Star, DosStar, DosQm, DosDot };

struct PatternToken {
  Token kind;
  wchar_t c;
};

std::vector<PatternToken> Tokenize(std::wstring_view pattern) {
  if (pattern == L"*.*") {
    return {{Token::Star, L'*'}};
  }
  std::vector<PatternToken> tokens;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const wchar_t c = pattern[i];
    const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
    if (c == L'?') {
      tokens.push_back({Token::DosQm, c});
    } else if (c == L'*') {
      tokens.push_back({next == L'.' ? Token::DosStar : Token::Star, c});
    } else if (c == L'.' && (next == L'?' || next == L'*' || next == L'\0')) {
      tokens.push_back({Token::DosDot, c});
    } else {
      tokens.push_back({Token::Char, c});
    }
  }
  return tokens;
}

wchar_t FoldCase(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

bool MatchesWildcards(std::wstring_view pattern, std::wstring_view name) {
  const std::vector<PatternToken> tokens = Tokenize(pattern);
  const std::size_t n = name.size();
  const std::size_t lastDot = name.rfind(L'.');
  // matches[j]: the tokens from t on match name[j..]; filled from the end.
  std::vector<char> matches(n + 1, 0);
  matches[n] = 1;
  for (std::size_t t = tokens.size(); t-- > 0;) {
    std::vector<char> current(n + 1, 0);
    for (std::size_t j = n + 1; j-- > 0;) {
      const bool atEnd = j == n;
      const bool atDot = !atEnd && name[j] == L'.';
      bool match = false;
      switch (tokens[t].kind) {
      case Token::Char:
        match = !atEnd && FoldCase(name[j]) == FoldCase(tokens[t].c) && matches[j + 1];
        break;
      case Token::Star:
        match = matches[j] || (!atEnd && current[j + 1]);
        break;
      case Token::DosStar:
        match = matches[j] || (!atEnd && j != lastDot && current[j + 1]);
        break;
      case Token::DosQm:
        match = (atEnd || atDot) ? matches[j] != 0 : matches[j + 1] != 0;
        break;
      case Token::DosDot:
        match = atEnd ? matches[j] != 0 : atDot && matches[j + 1];
        break;
      }
      current[j] = match ? 1 : 0;
    }
    matches.swap(current);
  }
  return matches[0] != 0;
}

std::wstring FolderOf(std::wstring_view path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, cut + 1));
}

std::vector<FoundFile> SearchFiles(Platform& platform, const std::wstring& pattern) {
  const std::wstring namePattern = pattern.substr(FolderOf(pattern).size());
  std::vector<FoundFile> found = platform.FindFiles(pattern);
  // A plain name is the file it names, by its long or its short name.
  if (namePattern.find_first_of(L"*?") == std::wstring::npos) {
    return found;
  }
  // Windows also matches wildcards against short (8.3) names, so "*.scp"
  // would take "job.scpx" (JOB~1.SCP): only the name the user sees counts.
  found.erase(std::remove_if(found.begin(), found.end(),
                             [&](const FoundFile& entry) {
                               return !MatchesWildcards(namePattern, StripAtNul(entry.nameField));
                             }),
              found.end());
  return found;
}

bool FileExists(Platform& platform, const std::wstring& path) {
  for (const FoundFile& entry : SearchFiles(platform, path)) {
    if (!entry.directory && !entry.hidden && !entry.system) {
      return true;
    }
  }
  return false;
}

std::wstring ListFilesByExtension(Platform& platform, std::wstring_view folder,
                                  std::wstring_view extension) {
  std::wstring pattern = ResolvePath(platform, folder);
  pattern += (!extension.empty() && extension.front() == L'.') ? L"*" : L"*.";
  pattern += extension;
  std::wstring list;
  for (const FoundFile& entry : SearchFiles(platform, pattern)) {
    if (!list.empty()) {
      list += kCrLf;
    }
    list += StripAtNul(entry.nameField);
  }
  return list;
}

std::wstring StripAtNul(std::wstring_view text) {
  return std::wstring(text.substr(0, text.find(L'\0')));
}

bool AppendTextLine(Platform& platform, const std::wstring& text, std::wstring_view fileName) {
  return AppendTextFile(platform, ResolvePath(platform, fileName), text + kCrLf);
}

} // namespace velmora
