// Text files in the encoding their bytes show, and texts written so that a
// file never mixes encodings and never gets a question mark for a character.
#include "base/text_files.hpp"

#include "platform/ansi.hpp"

namespace velmora {

namespace {

// The encoding a text is added to a file in, by the file's mark alone: a
// file without one takes ANSI bytes, as it always has.
TextEncoding MarkedEncoding(std::string_view bytes) {
  for (const TextEncoding encoding :
       {TextEncoding::Utf8Marked, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
    if (bytes.substr(0, MarkOf(encoding).size()) == MarkOf(encoding)) {
      return encoding;
    }
  }
  return TextEncoding::Ansi;
}

bool Exists(Platform& platform, const std::wstring& path) {
  return !platform.FindFiles(path).empty();
}

// Puts the bytes in place of the file in one move, through a file beside it
// (never named .scp, so the command drop cannot take it); the file stays as
// it was when that fails.
bool ReplaceFile(Platform& platform, const std::wstring& path, std::string_view bytes) {
  const std::wstring temporary = path + L".converting";
  if (platform.CreateFileBytes(temporary, bytes) && platform.MoveFileReplacing(temporary, path)) {
    return true;
  }
  platform.DeleteFiles(temporary);
  return false;
}

// The file's text, decoded as it is read, with the appended text after it,
// as the whole of the file in a Unicode encoding.
bool ReplaceWithUnicode(Platform& platform, const std::wstring& path, std::string_view existing,
                        TextEncoding unicode, std::wstring_view appended) {
  return ReplaceFile(platform, path,
                     std::string(MarkOf(unicode)) +
                         EncodeText(DecodeText(existing) + std::wstring(appended), unicode));
}

} // namespace

ReadStatus ReadTextFile(Platform& platform, const std::wstring& path, std::wstring& text) {
  std::string bytes;
  const ReadStatus status = platform.ReadFileBytes(path, bytes);
  text = status == ReadStatus::Ok ? DecodeText(bytes) : std::wstring();
  return status;
}

bool AppendTextFile(Platform& platform, const std::wstring& path, const std::wstring& text) {
  std::string existing;
  const bool read = platform.ReadFileBytes(path, existing) == ReadStatus::Ok;
  const TextEncoding encoding = read ? MarkedEncoding(existing) : TextEncoding::Ansi;
  if (encoding != TextEncoding::Ansi) {
    return platform.AppendFileBytes(path, EncodeText(text, encoding));
  }
  if (const std::optional<std::string> ansi = ToAnsiExact(text)) {
    return platform.AppendFileBytes(path, *ansi);
  }
  // A file that is there but cannot be read has an encoding nobody can tell.
  if (!read && Exists(platform, path)) {
    return false;
  }
  if (existing.empty()) {
    return platform.AppendFileBytes(path, std::string(kUtf8Mark) +
                                              EncodeText(text, TextEncoding::Utf8Marked));
  }
  return ReplaceWithUnicode(platform, path, existing, TextEncoding::Utf8Marked, text);
}

bool CreateTextFile(Platform& platform, const std::wstring& path, const std::wstring& text,
                    TextEncoding unicode) {
  if (const std::optional<std::string> ansi = ToAnsiExact(text)) {
    return platform.CreateFileBytes(path, *ansi);
  }
  return platform.CreateFileBytes(path, std::string(MarkOf(unicode)) + EncodeText(text, unicode));
}

bool MakeUnicodeFile(Platform& platform, const std::wstring& path, TextEncoding unicode) {
  std::string existing;
  if (platform.ReadFileBytes(path, existing) != ReadStatus::Ok) {
    return !Exists(platform, path) && platform.CreateFileBytes(path, MarkOf(unicode));
  }
  if (DetectEncoding(existing) == unicode) {
    return true;
  }
  return ReplaceWithUnicode(platform, path, existing, unicode, L"");
}

} // namespace velmora
