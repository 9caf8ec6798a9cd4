// The in-memory Windows behind the core's tests.
#include "fake/fake_platform.hpp"

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "platform/ansi.hpp"

namespace velmora::fake {

namespace {

constexpr auto npos = std::wstring_view::npos;

// Windows compares paths, names, sections and keys without regard to case.
bool Same(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

template <typename Files> auto FindIn(Files& files, std::wstring_view path) {
  return std::find_if(files.begin(), files.end(),
                      [&](const FakeFile& file) { return Same(file.path, path); });
}

std::wstring_view FolderOf(std::wstring_view path) {
  return path.substr(0, path.rfind(L'\\') == npos ? 0 : path.rfind(L'\\'));
}

std::wstring_view NameOf(std::wstring_view path) {
  return path.substr(path.rfind(L'\\') + 1);
}

// A folder without trailing backslashes: the drive root C:\ becomes C:.
std::wstring_view Trimmed(std::wstring_view folder) {
  return folder.substr(0, folder.find_last_not_of(L'\\') + 1);
}

bool FolderExists(const std::list<FakeFile>& files, std::wstring_view folder) {
  folder = Trimmed(folder);
  const auto found = FindIn(files, folder);
  return (folder.size() == 2 && folder[1] == L':') || (found != files.end() && found->directory);
}

// Windows wildcards: "*" any run of characters, "?" exactly one; never slow.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view name) {
  std::size_t p = 0, n = 0, starP = npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == L'?' || Same(pattern.substr(p, 1), name.substr(n, 1)))) {
      ++p;
      ++n;
    } else if (starP != npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  return pattern.find_first_not_of(L'*', p) == npos;
}

// The 8.3 form of a name: one that fits 8.3 stays as it is; another becomes its first six letters
// or digits, "~1" and at most three of its extension.
std::wstring ShortName(std::wstring_view name) {
  const auto dot = name.rfind(L'.');
  const std::wstring_view base = name.substr(0, dot);
  const std::wstring_view extension = dot == npos ? std::wstring_view() : name.substr(dot + 1);
  if (name.empty() || (!base.empty() && base.size() <= 8 && extension.size() <= 3 &&
                       base.find(L'.') == npos && name.find(L' ') == npos)) {
    return std::wstring(name);
  }
  std::wstring shortName;
  std::copy_if(base.begin(), base.end(), std::back_inserter(shortName),
               [](wchar_t c) { return std::iswalnum(c) != 0; });
  shortName.resize(std::min<std::size_t>(shortName.size(), 6));
  shortName += extension.empty() ? L"~1" : L"~1." + std::wstring(extension.substr(0, 3));
  std::transform(shortName.begin(), shortName.end(), shortName.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
  return shortName;
}

// Each name of a path in its 8.3 form; a drive such as C: fits 8.3 as it is.
std::wstring ShortPath(std::wstring_view path) {
  const auto cut = path.rfind(L'\\');
  return cut == npos ? ShortName(path)
                     : ShortPath(path.substr(0, cut)) + L"\\" + ShortName(path.substr(cut + 1));
}

// As on Windows, "*.*" is every name, also one without a dot, and a name is selected by its short
// form too: "*.scp" takes "job.scpx" (JOB~1.SCP).
bool Selects(std::wstring_view pattern, std::wstring_view path) {
  const std::wstring_view name = NameOf(pattern) == L"*.*" ? L"*" : NameOf(pattern);
  return pattern.find(L'\\') != npos && Same(Trimmed(FolderOf(pattern)), Trimmed(FolderOf(path))) &&
         (WildcardMatch(name, NameOf(path)) || WildcardMatch(name, ShortName(NameOf(path))));
}

// A settings file as Windows keeps it: in UTF-16 LE when it begins with that mark, else in the ANSI
// code page, where a character it lacks is written "?".
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

bool IsUtf16Le(std::string_view bytes) {
  return bytes.substr(0, kUtf16LeMark.size()) == kUtf16LeMark;
}

std::wstring SettingsText(std::string_view bytes) {
  if (!IsUtf16Le(bytes)) {
    return FromAnsi(bytes);
  }
  std::wstring text;
  for (std::size_t at = kUtf16LeMark.size(); at + 1 < bytes.size(); at += 2) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
  }
  return text;
}

std::string SettingsBytes(std::wstring_view text, bool utf16) {
  if (!utf16) {
    return ToAnsi(text);
  }
  std::string bytes(kUtf16LeMark);
  for (const wchar_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>((unit >> 8) & 0xFF);
  }
  return bytes;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
  const auto first = text.find_first_not_of(L" \t\r\n");
  return first == npos ? std::wstring_view()
                       : text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// A key in the first section of its name in an INI text: its line, else where
// a new key goes, after the section's last non-blank line (npos: no section).
using IniSpot = std::pair<std::optional<std::wstring_view>, std::size_t>;

IniSpot FindIniKey(std::wstring_view text, std::wstring_view section, std::wstring_view key) {
  std::size_t insertAt = npos; // npos until the section is found
  for (std::size_t begin = 0, next = 0; begin < text.size(); begin = next) {
    next = std::min(text.find(L'\n', begin), text.size() - 1) + 1;
    const std::wstring_view line = TrimBlanks(text.substr(begin, next - begin));
    const auto equals = line.find(L'=');
    if (!line.empty() && line[0] == L'[' && line.find(L']') != npos) {
      if (insertAt != npos) {
        break;
      }
      insertAt = Same(TrimBlanks(line.substr(1, line.find(L']') - 1)), section) ? next : npos;
    } else if (insertAt != npos && equals != npos &&
               Same(TrimBlanks(line.substr(0, equals)), key)) {
      return {line, npos};
    } else if (insertAt != npos && !line.empty()) {
      insertAt = next;
    }
  }
  return {std::nullopt, insertAt};
}

} // namespace

FakePlatform::FakePlatform(std::wstring programFolder) : programFolder_(std::move(programFolder)) {
  AddFolder(programFolder_);
}

void FakePlatform::AddFile(const std::wstring& path, const std::string& contents) {
  FakeFile* file = File(path);
  if (file == nullptr) {
    AddFolder(std::wstring(FolderOf(path)));
    file = &files_.emplace_back();
    file->path = path;
  }
  file->contents = contents;
  file->lastWrite = writeCounter_++;
}

void FakePlatform::AddFolder(const std::wstring& path) {
  const std::wstring folder(Trimmed(path));
  if (!folder.empty() && !FolderExists(files_, folder)) {
    AddFile(folder, "");
    File(folder)->directory = true;
  }
}

FakeFile* FakePlatform::File(const std::wstring& path) {
  const auto found = FindIn(files_, path);
  return found == files_.end() || found->directory ? nullptr : &*found;
}

bool FakePlatform::Exists(const std::wstring& path) const {
  return FindIn(files_, path) != files_.end() || FolderExists(files_, path);
}

std::string FakePlatform::Contents(const std::wstring& path) const {
  const auto found = FindIn(files_, path);
  return found == files_.end() ? "" : found->contents;
}

void FakePlatform::RemoveFile(const std::wstring& path) {
  files_.remove_if([&](const FakeFile& file) { return !file.directory && Same(file.path, path); });
}

std::vector<std::wstring> FakePlatform::FileNames() const {
  std::vector<std::wstring> names;
  for (const FakeFile& file : files_) {
    if (!file.directory) {
      names.push_back(file.path);
    }
  }
  return names;
}

void FakePlatform::SetFolderReadOnly(const std::wstring& folder, bool readOnly) {
  const auto found = FindIn(files_, Trimmed(folder));
  if (found == files_.end() || !found->directory) {
    throw std::invalid_argument("SetFolderReadOnly: not a folder of the fake");
  }
  found->readOnly = readOnly;
}

void FakePlatform::AdvanceClock(std::uint64_t milliseconds) {
  const std::uint64_t target = clock_ + milliseconds;
  const auto due = [](const auto& timer) {
    const TimerState& state = timer.second;
    return state.enabled && state.interval != 0 ? state.lastStart + state.interval : UINT64_MAX;
  };
  // The earliest tick due; a tie goes to the first timer in TimerId order.
  const auto earliest = [&] {
    return std::min_element(timers_.begin(), timers_.end(),
                            [&](const auto& a, const auto& b) { return due(a) < due(b); });
  };
  for (auto next = earliest(); next != timers_.end() && due(*next) <= target; next = earliest()) {
    clock_ = next->second.lastStart = due(*next);
    // A copy, so that a handler may replace onTick while it runs.
    if (const auto handler = onTick) {
      handler(next->first);
    }
  }
  // A nested AdvanceClock (from a box opened by a tick) may have gone further.
  clock_ = std::max(clock_, target);
}

int FakePlatform::ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                 std::uint32_t style) {
  boxes.push_back({text, caption, style});
  // Copies: the hook may open another box, which grows the log.
  const auto hook = onMessageBox;
  if (const auto answer = hook ? hook(MessageBoxCall{text, caption, style}) : std::nullopt) {
    return *answer;
  }
  const int answer = answers.empty() ? kButtonOk : answers.front();
  answers.erase(answers.begin(), answers.begin() + (answers.empty() ? 0 : 1));
  return answer;
}

IconHandle FakePlatform::LoadFormIconFromFile(const std::wstring& path) {
  const FakeFile* file = File(path);
  const bool picture = file != nullptr && !file->unreadable &&
                       std::none_of(unloadablePictures.begin(), unloadablePictures.end(),
                                    [&](const std::wstring& other) { return Same(other, path); });
  return picture ? (formIcon = nextIcon_++) : 0;
}

void FakePlatform::SetTimerEnabled(TimerId timer, bool enabled) {
  TimerState& state = timers_[timer];
  state = {state.interval, enabled, state.enabled == enabled ? state.lastStart : clock_};
}

ReadStatus FakePlatform::ReadFileBytes(const std::wstring& path, std::string& bytes) {
  const FakeFile* file = File(path);
  bytes = file != nullptr && !file->unreadable && !file->inUse ? file->contents : "";
  return file == nullptr || file->unreadable ? ReadStatus::Failed
         : file->inUse                       ? ReadStatus::InUse
                                             : ReadStatus::Ok;
}

bool FakePlatform::AppendFileBytes(const std::wstring& path, std::string_view bytes) {
  return WriteBytes(path, std::string(bytes), true);
}

bool FakePlatform::CreateFileBytes(const std::wstring& path, std::string_view bytes) {
  return WriteBytes(path, std::string(bytes), false);
}

bool FakePlatform::DeleteFiles(const std::wstring& pattern) {
  bool any = false, all = true;
  files_.remove_if([&](const FakeFile& file) {
    const bool selected = !file.directory && Selects(pattern, file.path);
    const bool held = file.undeletable || file.readOnly || file.inUse;
    any = any || selected;
    all = all && !(selected && held);
    return selected && !held;
  });
  return any && all;
}

bool FakePlatform::MoveFileReplacing(const std::wstring& source, const std::wstring& target) {
  moves.emplace_back(source, target);
  const auto from = FindIn(files_, source);
  const auto to = FindIn(files_, target);
  const bool replaces = to != files_.end() && to != from;
  if (from == files_.end() || from->directory || from->inUse ||
      !FolderExists(files_, FolderOf(target)) ||
      (replaces && (to->directory || to->readOnly || to->inUse || to->undeletable))) {
    return false;
  }
  if (replaces) {
    files_.erase(to);
  }
  // The file keeps its contents and attributes, and is listed last, as a new name is.
  from->path = target;
  files_.splice(files_.end(), files_, from);
  return true;
}

std::vector<FoundFile> FakePlatform::FindFiles(const std::wstring& pattern) {
  std::vector<FoundFile> found;
  for (const FakeFile& entry : files_) {
    if (Selects(pattern, entry.path)) {
      // The name field is NUL padded to its width, as Windows leaves it.
      std::wstring field(NameOf(entry.path));
      field.resize(std::max<std::size_t>(field.size(), 260), L'\0');
      found.push_back({field, entry.directory, entry.hidden, entry.system, entry.contents.size(),
                       entry.lastWrite});
    }
  }
  return found;
}

std::wstring FakePlatform::ShortPathName(const std::wstring& path) {
  const auto onDrive = [&](const std::wstring& drive) { return Same(drive, path.substr(0, 2)); };
  const bool longOnly =
      std::any_of(drivesWithoutShortNames.begin(), drivesWithoutShortNames.end(), onDrive);
  return !Exists(path) || shortPathNameFails ? L"" : longOnly ? path : ShortPath(path);
}

std::wstring FakePlatform::ReadProfileString(const std::wstring& section, const std::wstring& key,
                                             const std::wstring& defaultValue, std::uint32_t size,
                                             const std::wstring& file) {
  const FakeFile* settings = File(file);
  const bool readable = settings != nullptr && !settings->unreadable && !settings->inUse;
  const std::wstring text = readable ? SettingsText(settings->contents) : L"";
  const auto [line, insertAt] = FindIniKey(text, section, key);
  std::wstring value =
      line ? std::wstring(TrimBlanks(line->substr(line->find(L'=') + 1))) : defaultValue;
  // The buffer keeps one character for the terminator.
  value.resize(std::min<std::size_t>(value.size(), std::max<std::uint32_t>(size, 1) - 1));
  return value;
}

bool FakePlatform::WriteProfileValue(const std::wstring& section, const std::wstring& key,
                                     const std::wstring& value, const std::wstring& file) {
  const FakeFile* settings = File(file);
  const bool utf16 = settings != nullptr && IsUtf16Le(settings->contents);
  std::wstring text = settings == nullptr ? L"" : SettingsText(settings->contents);
  const auto [line, insertAt] = FindIniKey(text, section, key);
  if (line) {
    const std::wstring_view ownKey = TrimBlanks(line->substr(0, line->find(L'=')));
    text.replace(line->data() - text.data(), line->size(), std::wstring(ownKey) + L"=" + value);
  } else {
    // A new key follows the section's last line, a new section ends the file.
    const std::wstring added =
        (insertAt == npos ? L"[" + section + L"]\r\n" : L"") + key + L"=" + value + L"\r\n";
    const std::size_t at = std::min(insertAt, text.size());
    const bool openLine = at == text.size() && !text.empty() && text.back() != L'\n';
    text.insert(at, openLine ? L"\r\n" + added : added);
  }
  return (settings == nullptr || !settings->unreadable) &&
         WriteBytes(file, SettingsBytes(text, utf16), false);
}

bool FakePlatform::DownloadUrlToFile(const std::wstring& url, const std::wstring& path) {
  downloadPaths.push_back(path);
  const int closesBefore = closePosts;
  if (const auto hook = onDownload) {
    hook();
  }
  // A close request posted meanwhile abandons the download.
  const auto entry = urls.find(url);
  return closePosts == closesBefore && entry != urls.end() && entry->second.httpStatus < 400 &&
         WriteBytes(path, entry->second.body, false);
}

bool FakePlatform::WriteBytes(const std::wstring& path, const std::string& bytes, bool append) {
  const auto folder = FindIn(files_, Trimmed(FolderOf(path)));
  const auto file = FindIn(files_, path);
  if (!FolderExists(files_, FolderOf(path)) || (folder != files_.end() && folder->readOnly) ||
      (file != files_.end() && (file->directory || file->readOnly || file->inUse)) ||
      (diskFull && !bytes.empty())) {
    return false;
  }
  AddFile(path, append && file != files_.end() ? file->contents + bytes : bytes);
  return true;
}

} // namespace velmora::fake
