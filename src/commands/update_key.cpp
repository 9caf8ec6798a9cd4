// The update key and the signatures checked with it.
#include "commands/update_key.hpp"

#include "base/files.hpp"
#include "base/signatures.hpp"
#include "base/text.hpp"

namespace velmora {

namespace {

// A path as Windows resolves it, for comparing names: either separator, "."
// and ".." steps, trailing dots and spaces of a name (which Windows drops)
// and a stream suffix ("name::$DATA", the file itself) do not make another
// file.
std::wstring ComparablePath(std::wstring_view path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  const auto endPart = [&] {
    if (part == L"..") {
      if (parts.size() > 1) {
        parts.pop_back();
      }
    } else if (part != L"." && !(part.empty() && !parts.empty() && !parts.back().empty())) {
      if (!parts.empty() && part.find(L':') != std::wstring::npos) {
        part.erase(part.find(L':'));
      }
      while (part.size() > 1 && (part.back() == L'.' || part.back() == L' ')) {
        part.pop_back();
      }
      parts.push_back(part);
    }
    part.clear();
  };
  for (const wchar_t c : path) {
    if (c == L'\\' || c == L'/') {
      endPart();
    } else {
      part += c;
    }
  }
  endPart();
  std::wstring joined;
  for (const std::wstring& each : parts) {
    joined += (joined.empty() ? L"" : L"\\") + each;
  }
  return UpperCase(joined);
}

} // namespace

void LoadUpdateKey(App& app) {
  const std::wstring settings = AppFolder(app.platform) + kSettingsFileName;
  const std::wstring text =
      FileExists(app.platform, settings)
          ? TrimBlanks(ReadIniValue(app.platform, L"Updates", L"PublicKey", settings))
          : L"";
  const std::optional<std::string> key = PublicKeyFromText(text);
  app.download.KeyState = text.empty() ? UpdateKeyState::None
                          : key        ? UpdateKeyState::Set
                                       : UpdateKeyState::Unreadable;
  app.download.UpdateKey = key.value_or("");
}

std::wstring SignatureAddress(const std::wstring& address) {
  return address + L".sig";
}

std::optional<std::wstring> KeyFault(App& app) {
  if (app.download.KeyState == UpdateKeyState::Unreadable) {
    return L"The update key in '" + std::wstring(kSettingsFileName) + L"' cannot be read.";
  }
  return std::nullopt;
}

std::optional<std::wstring> SignatureFault(App& app, std::string_view script,
                                           const std::optional<std::string>& signature) {
  if (app.download.KeyState == UpdateKeyState::None) {
    return std::nullopt;
  }
  if (const std::optional<std::wstring> fault = KeyFault(app)) {
    return fault;
  }
  if (!signature) {
    return L"The script's signature could not be downloaded.";
  }
  const std::optional<std::string> numbers = SignatureFromDer(*signature);
  if (!numbers) {
    return L"The script's signature is malformed.";
  }
  switch (app.platform.VerifySignature(app.download.UpdateKey, script, *numbers)) {
  case p256::Verdict::Valid:
    return std::nullopt;
  case p256::Verdict::Unavailable:
    return L"This version of Windows cannot check signatures.";
  case p256::Verdict::Invalid:
    break;
  }
  return L"The script's signature does not match.";
}

bool HoldsUpdateKey(App& app, std::wstring_view path) {
  if (app.download.KeyState == UpdateKeyState::None) {
    return false;
  }
  const std::wstring settings = AppFolder(app.platform) + kSettingsFileName;
  const std::wstring target = ResolvePath(app.platform, path);
  if (ComparablePath(target) == ComparablePath(settings)) {
    return true;
  }
  // Another name of the same file: its short form.
  const std::wstring shortTarget = app.platform.ShortPathName(target);
  return !shortTarget.empty() &&
         ComparablePath(shortTarget) == ComparablePath(app.platform.ShortPathName(settings));
}

std::wstring UpdateKeyGuardMessage() {
  return L"Can't change '" + std::wstring(kSettingsFileName) +
         L"' from a script: it holds the update key.";
}

} // namespace velmora
