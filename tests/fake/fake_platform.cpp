// The in-memory Windows behind the core's tests: files, INI settings, timers,
// dialogs and the logged side effects of every other platform call.
#include "fake/fake_platform.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/ansi.hpp"

namespace velmora::fake {

namespace {

// Width of the name field of a directory search entry.
constexpr std::size_t kNameFieldChars = 260;

template <typename Char> Char FoldChar(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char> Char UpperChar(Char c) {
  return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

// The comparison key of a path or name: Windows ignores ASCII case.
std::wstring Fold(std::wstring_view text) {
  std::wstring folded(text);
  std::transform(folded.begin(), folded.end(), folded.begin(), FoldChar<wchar_t>);
  return folded;
}

bool SameFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldChar(x) == FoldChar(y);
         });
}

std::wstring ParentOf(std::wstring_view path) {
  const auto cut = path.rfind(L'\\');
  return cut == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, cut));
}

std::wstring NameOf(std::wstring_view path) {
  const auto cut = path.rfind(L'\\');
  return std::wstring(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
}

std::wstring WithoutTrailingBackslashes(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') {
    path.pop_back();
  }
  return path;
}

// The key of a folder: folded, without trailing backslashes, so that a drive
// root "C:\" becomes "c:".
std::wstring FolderKey(std::wstring_view folder) {
  return WithoutTrailingBackslashes(Fold(folder));
}

bool IsDriveRoot(std::wstring_view folderKey) {
  return folderKey.size() == 2 && folderKey[1] == L':';
}

// Windows wildcards: "*" any run of characters, "?" exactly one character,
// everything else compared without regard to ASCII case.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::wstring_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      starP = p++;
      starN = n;
      continue;
    }
    if (p < pattern.size() && (pattern[p] == L'?' || FoldChar(pattern[p]) == FoldChar(name[n]))) {
      ++p;
      ++n;
      continue;
    }
    if (starP == std::wstring_view::npos) {
      return false;
    }
    p = starP + 1;
    n = ++starN;
  }
  while (p < pattern.size() && pattern[p] == L'*') {
    ++p;
  }
  return p == pattern.size();
}

std::wstring ShortComponent(const std::wstring& name);

// A search pattern cut into the key of its folder and the wildcard pattern of
// its last component. As Windows does, it selects a name whose short (8.3)
// form matches too: "*.scp" takes "job.scpx", whose short name is JOB~1.SCP.
struct SearchPattern {
  std::wstring folderKey;
  std::wstring name;

  bool Selects(std::wstring_view path) const {
    const std::wstring longName = NameOf(path);
    return FolderKey(ParentOf(path)) == folderKey &&
           (WildcardMatch(name, longName) || WildcardMatch(name, ShortComponent(longName)));
  }
};

std::optional<SearchPattern> ParsePattern(std::wstring_view pattern) {
  const auto cut = pattern.rfind(L'\\');
  if (cut == std::wstring_view::npos) {
    return std::nullopt;
  }
  std::wstring name(pattern.substr(cut + 1));
  // Windows reads "*.*" as "every name", also names without a dot.
  if (name == L"*.*") {
    name = L"*";
  }
  return SearchPattern{FolderKey(pattern.substr(0, cut)), std::move(name)};
}

template <typename Files> auto FindByPath(Files& files, std::wstring_view path) {
  const std::wstring key = Fold(path);
  const auto found = std::find_if(files.begin(), files.end(),
                                  [&](const FakeFile& file) { return Fold(file.path) == key; });
  return found == files.end() ? nullptr : &*found;
}

// The 8.3 form of one path component: names that fit 8.3 stay as they are,
// others become six letters or digits, "~1" and at most three of extension.
std::wstring ShortComponent(const std::wstring& name) {
  const auto dot = name.rfind(L'.');
  const std::wstring base = dot == std::wstring::npos ? name : name.substr(0, dot);
  const std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot + 1);
  const bool fits = !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
                    base.find(L'.') == std::wstring::npos && name.find(L' ') == std::wstring::npos;
  if (fits) {
    return name;
  }
  std::wstring shortName;
  for (const wchar_t c : base) {
    const bool letterOrDigit =
        (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
    if (letterOrDigit && shortName.size() < 6) {
      shortName.push_back(UpperChar(c));
    }
  }
  shortName += L"~1";
  if (!extension.empty()) {
    shortName.push_back(L'.');
    for (const wchar_t c : extension.substr(0, 3)) {
      shortName.push_back(UpperChar(c));
    }
  }
  return shortName;
}

// INI files, on the bytes of the file. Windows keeps a file that begins
// with a UTF-16 LE mark in UTF-16 LE, any other in the ANSI code page.

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

bool IsUtf16Le(std::string_view contents) {
  return contents.substr(0, kUtf16LeMark.size()) == kUtf16LeMark;
}

// A UTF-16 file goes through the routines below with ASCII units as their
// byte and every other unit as three bytes of 0x80 or more, so that none
// looks like a bracket, an equals sign, a blank or a line end.
void PackUnit(std::string& packed, std::uint32_t unit) {
  if (unit < 0x80) {
    packed += static_cast<char>(unit);
    return;
  }
  for (const int shift : {12, 6, 0}) {
    packed += static_cast<char>(0x80 | ((unit >> shift) & 0x3F));
  }
}

std::string Packed(std::wstring_view text) {
  std::string packed;
  for (const wchar_t unit : text) {
    PackUnit(packed, static_cast<std::uint32_t>(unit));
  }
  return packed;
}

std::string PackedUtf16Le(std::string_view bytes) {
  std::string packed;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    PackUnit(packed, static_cast<unsigned char>(bytes[at]) |
                         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1]))
                             << 8);
  }
  return packed;
}

std::vector<std::uint32_t> UnpackedUnits(std::string_view packed) {
  std::vector<std::uint32_t> units;
  for (std::size_t at = 0; at < packed.size();) {
    const auto byte = [&packed](std::size_t i) {
      return i < packed.size() ? static_cast<std::uint32_t>(packed[i] & 0x3F) : 0;
    };
    if (static_cast<unsigned char>(packed[at]) < 0x80) {
      units.push_back(static_cast<unsigned char>(packed[at++]));
      continue;
    }
    units.push_back(byte(at) << 12 | byte(at + 1) << 6 | byte(at + 2));
    at += 3;
  }
  return units;
}

std::wstring UnpackedText(std::string_view packed) {
  std::wstring text;
  for (const std::uint32_t unit : UnpackedUnits(packed)) {
    text += static_cast<wchar_t>(unit);
  }
  return text;
}

std::string Utf16LeOfPacked(std::string_view packed) {
  std::string bytes(kUtf16LeMark);
  for (const std::uint32_t unit : UnpackedUnits(packed)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

struct IniLine {
  std::string text; // without its line end
  std::string end;  // "\r\n", "\n", or "" for a last line without one
};

std::vector<IniLine> SplitLines(const std::string& contents) {
  std::vector<IniLine> lines;
  std::size_t start = 0;
  while (start < contents.size()) {
    const auto newline = contents.find('\n', start);
    if (newline == std::string::npos) {
      lines.push_back({contents.substr(start), ""});
      break;
    }
    const bool crlf = newline > start && contents[newline - 1] == '\r';
    const auto textEnd = crlf ? newline - 1 : newline;
    lines.push_back({contents.substr(start, textEnd - start), crlf ? "\r\n" : "\n"});
    start = newline + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<IniLine>& lines) {
  std::string contents;
  for (const auto& line : lines) {
    contents += line.text + line.end;
  }
  return contents;
}

std::string TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return "";
  }
  const auto last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

std::optional<std::string> SectionName(const std::string& line) {
  const std::string trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() != '[') {
    return std::nullopt;
  }
  const auto close = trimmed.find(']');
  if (close == std::string::npos) {
    return std::nullopt;
  }
  return TrimBlanks(std::string_view(trimmed).substr(1, close - 1));
}

struct IniEntry {
  std::string key;
  std::string value;
};

std::optional<IniEntry> EntryOf(const std::string& line) {
  const auto equals = line.find('=');
  if (equals == std::string::npos) {
    return std::nullopt;
  }
  return IniEntry{TrimBlanks(std::string_view(line).substr(0, equals)),
                  TrimBlanks(std::string_view(line).substr(equals + 1))};
}

std::optional<std::string> LookUpIni(const std::string& contents, const std::string& section,
                                     const std::string& key) {
  bool inSection = false;
  for (const auto& line : SplitLines(contents)) {
    if (const auto name = SectionName(line.text)) {
      inSection = SameFolded(*name, section);
      continue;
    }
    if (!inSection) {
      continue;
    }
    const auto entry = EntryOf(line.text);
    if (entry && SameFolded(entry->key, key)) {
      return entry->value;
    }
  }
  return std::nullopt;
}

// The file after setting key=value in the section: an existing key is
// rewritten in place, a new key goes after the section's last non-blank line,
// a new section at the end of the file.
std::string SetIniValue(const std::string& contents, const std::string& section,
                        const std::string& key, const std::string& value) {
  std::vector<IniLine> lines = SplitLines(contents);
  std::size_t line = 0;
  while (line < lines.size()) {
    const auto name = SectionName(lines[line].text);
    if (name && SameFolded(*name, section)) {
      break;
    }
    ++line;
  }
  if (line == lines.size()) {
    std::string appended = contents;
    if (!appended.empty() && appended.back() != '\n') {
      appended += "\r\n";
    }
    return appended + "[" + section + "]\r\n" + key + "=" + value + "\r\n";
  }
  std::size_t lastFilled = line;
  for (++line; line < lines.size() && !SectionName(lines[line].text); ++line) {
    const auto entry = EntryOf(lines[line].text);
    if (entry && SameFolded(entry->key, key)) {
      lines[line].text = entry->key + "=" + value;
      return JoinLines(lines);
    }
    if (!TrimBlanks(lines[line].text).empty()) {
      lastFilled = line;
    }
  }
  if (lines[lastFilled].end.empty()) {
    lines[lastFilled].end = "\r\n";
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastFilled) + 1,
               IniLine{key + "=" + value, "\r\n"});
  return JoinLines(lines);
}

} // namespace

FakePlatform::FakePlatform(std::wstring programFolder)
    : programFolder_(WithoutTrailingBackslashes(std::move(programFolder))) {
  if (IsDriveRoot(programFolder_)) {
    programFolder_ += L'\\';
  }
  AddFolder(programFolder_);
}

// --- Test controls -----------------------------------------------------

void FakePlatform::AddFile(const std::wstring& path, const std::string& contents) {
  if (FakeFile* existing = File(path)) {
    existing->contents = contents;
    existing->lastWrite = writeCounter_++;
    return;
  }
  AddFolder(ParentOf(path));
  FakeFile file;
  file.path = path;
  file.contents = contents;
  file.lastWrite = writeCounter_++;
  files_.push_back(std::move(file));
  created_[Fold(path)] = nextCreated_++;
}

void FakePlatform::AddFolder(const std::wstring& path) {
  const std::wstring folder = WithoutTrailingBackslashes(path);
  if (folder.empty() || IsDriveRoot(folder) || FolderExists(folder)) {
    return;
  }
  AddFolder(ParentOf(folder));
  folders_.push_back(folder);
  created_[Fold(folder)] = nextCreated_++;
}

FakeFile* FakePlatform::File(const std::wstring& path) {
  return FindByPath(files_, path);
}

bool FakePlatform::Exists(const std::wstring& path) const {
  return FindByPath(files_, path) != nullptr || FolderExists(path);
}

std::string FakePlatform::Contents(const std::wstring& path) const {
  const FakeFile* file = FindByPath(files_, path);
  return file == nullptr ? std::string() : file->contents;
}

void FakePlatform::RemoveFile(const std::wstring& path) {
  const std::wstring key = Fold(path);
  files_.remove_if([&](const FakeFile& file) { return Fold(file.path) == key; });
  created_.erase(key);
}

std::vector<std::wstring> FakePlatform::FileNames() const {
  std::vector<std::wstring> names;
  for (const auto& file : files_) {
    names.push_back(file.path);
  }
  return names;
}

void FakePlatform::SetFolderReadOnly(const std::wstring& folder, bool readOnly) {
  const std::wstring key = FolderKey(folder);
  readOnlyFolders_.erase(std::remove(readOnlyFolders_.begin(), readOnlyFolders_.end(), key),
                         readOnlyFolders_.end());
  if (readOnly) {
    readOnlyFolders_.push_back(key);
  }
}

void FakePlatform::AdvanceClock(std::uint64_t milliseconds) {
  const std::uint64_t target = clock_ + milliseconds;
  for (;;) {
    // The earliest due tick; the map's order breaks ties in TimerId order.
    std::optional<TimerId> next;
    std::uint64_t nextDue = 0;
    for (const auto& [id, state] : timers_) {
      if (!state.enabled || state.interval == 0) {
        continue;
      }
      const std::uint64_t due = state.lastStart + state.interval;
      if (due <= target && (!next || due < nextDue)) {
        next = id;
        nextDue = due;
      }
    }
    if (!next) {
      break;
    }
    clock_ = nextDue;
    timers_[*next].lastStart = nextDue;
    if (onTick) {
      // A copy, so that a handler may replace onTick while it runs.
      const auto handler = onTick;
      handler(*next);
    }
  }
  // A nested AdvanceClock (from a box opened by a tick) may have gone further.
  clock_ = std::max(clock_, target);
}

TimerState& FakePlatform::Timer(TimerId timer) {
  return timers_[timer];
}

// --- Platform ----------------------------------------------------------

int FakePlatform::ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                 std::uint32_t style) {
  const MessageBoxCall call{text, caption, style};
  boxes.push_back(call);
  if (onMessageBox) {
    const auto hook = onMessageBox;
    if (const auto answer = hook(call)) {
      return *answer;
    }
  }
  if (answers.empty()) {
    return kButtonOk;
  }
  const int answer = answers.front();
  answers.erase(answers.begin());
  return answer;
}

void FakePlatform::DefaultBeep() {
  ++beeps;
}

bool FakePlatform::ShellNotifyIcon(std::uint32_t message, const TrayIconRecord& record) {
  trayCalls.push_back({message, record});
  return message == 0 ? trayAddSucceeds : true;
}

void FakePlatform::HideHostWindow() {
  hostHidden = true;
}

void FakePlatform::PostToHost(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  posted.push_back({message, wParam, lParam});
}

void FakePlatform::PostCloseToHost() {
  ++closePosts;
}

void FakePlatform::SetForegroundHostWindow() {
  ++foregroundCalls;
}

IconHandle FakePlatform::FormIcon() {
  return formIcon;
}

IconHandle FakePlatform::LoadFormIconFromFile(const std::wstring& path) {
  const FakeFile* file = File(path);
  if (file == nullptr || file->unreadable) {
    return 0;
  }
  const std::wstring key = Fold(path);
  const bool notAPicture =
      std::any_of(unloadablePictures.begin(), unloadablePictures.end(),
                  [&](const std::wstring& picture) { return Fold(picture) == key; });
  if (notAPicture) {
    return 0;
  }
  formIcon = nextIcon_++;
  return formIcon;
}

IconHandle FakePlatform::SetBlankFormIcon() {
  formIcon = nextIcon_++;
  return formIcon;
}

void FakePlatform::SetTimerInterval(TimerId timer, std::uint32_t milliseconds) {
  TimerState& state = timers_[timer];
  state.interval = milliseconds;
  state.lastStart = clock_;
}

std::uint32_t FakePlatform::TimerInterval(TimerId timer) {
  return timers_[timer].interval;
}

void FakePlatform::SetTimerEnabled(TimerId timer, bool enabled) {
  TimerState& state = timers_[timer];
  if (state.enabled == enabled) {
    return;
  }
  state.enabled = enabled;
  state.lastStart = clock_;
}

void FakePlatform::SetMenuItems(const std::vector<MenuItem>& items) {
  menuItems = items;
}

void FakePlatform::PopupMenu() {
  ++popups;
}

std::wstring FakePlatform::ProgramFolder() {
  return programFolder_;
}

ReadStatus FakePlatform::ReadFileBytes(const std::wstring& path, std::string& bytes) {
  bytes.clear();
  const FakeFile* file = File(path);
  if (file == nullptr || file->unreadable) {
    return ReadStatus::Failed;
  }
  if (file->inUse) {
    return ReadStatus::InUse;
  }
  bytes = file->contents;
  return ReadStatus::Ok;
}

bool FakePlatform::AppendFileBytes(const std::wstring& path, std::string_view bytes) {
  return WriteBytes(path, std::string(bytes), true);
}

bool FakePlatform::CreateFileBytes(const std::wstring& path, std::string_view bytes) {
  return WriteBytes(path, std::string(bytes), false);
}

bool FakePlatform::DeleteFiles(const std::wstring& pattern) {
  const auto search = ParsePattern(pattern);
  if (!search) {
    return false;
  }
  bool matched = false;
  bool allDeleted = true;
  for (auto file = files_.begin(); file != files_.end();) {
    if (!search->Selects(file->path)) {
      ++file;
      continue;
    }
    matched = true;
    if (file->undeletable || file->readOnly || file->inUse) {
      allDeleted = false;
      ++file;
      continue;
    }
    created_.erase(Fold(file->path));
    file = files_.erase(file);
  }
  return matched && allDeleted;
}

bool FakePlatform::MoveFileReplacing(const std::wstring& source, const std::wstring& target) {
  moves.emplace_back(source, target);
  FakeFile* from = File(source);
  const FakeFile* to = File(target);
  if (from == nullptr || from->inUse || FolderExists(target) || !FolderExists(ParentOf(target))) {
    return false;
  }
  if (to != nullptr && to != from && (to->readOnly || to->inUse || to->undeletable)) {
    return false;
  }
  if (to != from) {
    RemoveFile(target);
  }
  // The moved file keeps its own attributes and contents under the new name.
  created_.erase(Fold(from->path));
  from->path = target;
  created_[Fold(target)] = nextCreated_++;
  return true;
}

std::vector<FoundFile> FakePlatform::FindFiles(const std::wstring& pattern) {
  const auto search = ParsePattern(pattern);
  if (!search || !FolderExists(pattern.substr(0, pattern.rfind(L'\\')))) {
    return {};
  }
  const auto entryFor = [](const std::wstring& path) {
    FoundFile entry;
    entry.nameField = NameOf(path);
    entry.nameField.resize(std::max(entry.nameField.size(), kNameFieldChars), L'\0');
    return entry;
  };
  std::vector<std::pair<std::uint64_t, FoundFile>> found;
  for (const auto& folder : folders_) {
    if (search->Selects(folder)) {
      FoundFile entry = entryFor(folder);
      entry.directory = true;
      found.emplace_back(created_.at(Fold(folder)), std::move(entry));
    }
  }
  for (const auto& file : files_) {
    if (search->Selects(file.path)) {
      FoundFile entry = entryFor(file.path);
      entry.hidden = file.hidden;
      entry.system = file.system;
      entry.size = file.contents.size();
      entry.lastWrite = file.lastWrite;
      found.emplace_back(created_.at(Fold(file.path)), std::move(entry));
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<FoundFile> entries;
  for (auto& [stamp, entry] : found) {
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::wstring FakePlatform::ShortPathName(const std::wstring& path) {
  if (!Exists(path) || shortPathNameFails) {
    return L"";
  }
  const std::wstring drive = Fold(path.substr(0, 2));
  for (const std::wstring& plain : drivesWithoutShortNames) {
    if (Fold(plain) == drive) {
      return path;
    }
  }
  std::wstring shortPath;
  std::size_t start = 0;
  for (;;) {
    const auto end = path.find(L'\\', start);
    const std::wstring component = path.substr(start, end - start);
    const bool isDrive = start == 0 && IsDriveRoot(component);
    shortPath += component.empty() || isDrive ? component : ShortComponent(component);
    if (end == std::wstring::npos) {
      return shortPath;
    }
    shortPath += L'\\';
    start = end + 1;
  }
}

std::wstring FakePlatform::ReadProfileString(const std::wstring& section, const std::wstring& key,
                                             const std::wstring& defaultValue, std::uint32_t size,
                                             const std::wstring& file) {
  std::wstring value = defaultValue;
  const FakeFile* settings = File(file);
  if (settings != nullptr && !settings->unreadable && !settings->inUse) {
    const std::string& contents = settings->contents;
    if (IsUtf16Le(contents)) {
      const std::string packed = PackedUtf16Le(contents.substr(kUtf16LeMark.size()));
      if (const auto found = LookUpIni(packed, Packed(section), Packed(key))) {
        value = UnpackedText(*found);
      }
    } else if (const auto found = LookUpIni(contents, ToAnsi(section), ToAnsi(key))) {
      value = FromAnsi(*found);
    }
  }
  // The buffer keeps one character for the terminator.
  value.resize(std::min<std::size_t>(value.size(), size == 0 ? 0 : size - 1));
  return value;
}

bool FakePlatform::WriteProfileValue(const std::wstring& section, const std::wstring& key,
                                     const std::wstring& value, const std::wstring& file) {
  const FakeFile* settings = File(file);
  if (settings != nullptr && settings->unreadable) {
    return false;
  }
  const std::string contents = settings == nullptr ? std::string() : settings->contents;
  if (IsUtf16Le(contents)) {
    const std::string packed = PackedUtf16Le(contents.substr(kUtf16LeMark.size()));
    return WriteBytes(
        file, Utf16LeOfPacked(SetIniValue(packed, Packed(section), Packed(key), Packed(value))),
        false);
  }
  // A character the code page lacks is written as its default character.
  return WriteBytes(file, SetIniValue(contents, ToAnsi(section), ToAnsi(key), ToAnsi(value)),
                    false);
}

bool FakePlatform::DownloadUrlToFile(const std::wstring& url, const std::wstring& path) {
  downloads.push_back(url);
  downloadPaths.push_back(path);
  const int closesBefore = closePosts;
  if (onDownload) {
    const auto hook = onDownload;
    hook();
  }
  if (closePosts != closesBefore) {
    return false;
  }
  const auto entry = urls.find(url);
  if (entry == urls.end() || entry->second.httpStatus >= 400) {
    return false;
  }
  return WriteBytes(path, entry->second.body, false);
}

bool FakePlatform::ForgetUrlCacheEntry(const std::wstring& url) {
  deletedCacheEntries.push_back(url);
  return true;
}

void FakePlatform::ShellExecuteOpen(const std::wstring& target,
                                    const std::optional<std::wstring>& parameters) {
  shellOpens.emplace_back(target, parameters);
}

bool FakePlatform::StartProcess(const std::wstring& commandLine) {
  processes.push_back(commandLine);
  return processStartSucceeds;
}

void FakePlatform::SetSystemArrowCursor(std::uint32_t cursorId) {
  cursorsSet.push_back(cursorId);
}

void FakePlatform::RestoreSystemCursors() {
  ++cursorRestores;
}

void FakePlatform::CreateAboutWindow() {
  aboutCreated = true;
}

void FakePlatform::MoveAboutWindow(int left, int top) {
  aboutMoves.emplace_back(left, top);
  aboutGeometry.left = left;
  aboutGeometry.top = top;
}

void FakePlatform::ShowAboutWindowModeless() {
  ++aboutShows;
}

// --- Private -----------------------------------------------------------

bool FakePlatform::FolderExists(const std::wstring& folder) const {
  const std::wstring key = FolderKey(folder);
  if (key.empty()) {
    return false;
  }
  if (IsDriveRoot(key)) {
    return true;
  }
  return std::any_of(folders_.begin(), folders_.end(),
                     [&](const std::wstring& known) { return Fold(known) == key; });
}

bool FakePlatform::CanWrite(const std::wstring& path) const {
  const std::wstring folder = ParentOf(path);
  const bool folderReadOnly = std::find(readOnlyFolders_.begin(), readOnlyFolders_.end(),
                                        FolderKey(folder)) != readOnlyFolders_.end();
  if (!FolderExists(folder) || folderReadOnly || FolderExists(path)) {
    return false;
  }
  const FakeFile* file = FindByPath(files_, path);
  return file == nullptr || (!file->readOnly && !file->inUse);
}

bool FakePlatform::WriteBytes(const std::wstring& path, const std::string& bytes, bool append) {
  if (!CanWrite(path) || (diskFull && !bytes.empty())) {
    return false;
  }
  if (FakeFile* file = File(path)) {
    file->contents = append ? file->contents + bytes : bytes;
    file->lastWrite = writeCounter_++;
    return true;
  }
  AddFile(path, bytes);
  return true;
}

} // namespace velmora::fake
