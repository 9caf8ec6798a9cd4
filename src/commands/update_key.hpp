// Signed updates: the public key that only the machine's owner sets, in the
// settings file, the signatures checked with it, and the guard that keeps
// scripts from changing the file that holds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app_state.hpp"

namespace velmora {

// Reads the key from the settings file ([Updates] PublicKey): once, at start,
// so that nothing a script does while the program runs can change it.
void LoadUpdateKey(App& app);

// With a key set, the address of the signature of what an address serves.
std::wstring SignatureAddress(const std::wstring& address);

// Why fetched script bytes may not be taken: none when no key is set or the
// signature (none when it could not be fetched) is the key's over exactly
// these bytes; else the reason, a sentence for the command's message.
std::optional<std::wstring> SignatureFault(App& app, std::string_view script,
                                           const std::optional<std::string>& signature);
// Why no update can be taken at all: a key is set that cannot be read.
std::optional<std::wstring> KeyFault(App& app);

// Whether a path names the settings file while it holds a key: no script may
// write, replace or delete that file then.
bool HoldsUpdateKey(App& app, std::wstring_view path);
// The message of a command that tried.
std::wstring UpdateKeyGuardMessage();

} // namespace velmora
