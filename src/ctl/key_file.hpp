// The files of signed updates as velmoractl reads and writes them: a private
// key as PEM (PKCS #8, as `openssl genpkey` writes one; the SEC 1 form of
// `openssl ecparam -genkey` is read too), and the public key line of a
// velmora.ini.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/p256.hpp"

namespace velmora::ctl {

// The PEM text of a key pair.
std::string PrivateKeyPem(const p256::KeyPair& key);
// The key pair of a PEM file's text; none when it holds no P-256 private key
// with its public point.
std::optional<p256::KeyPair> PrivateKeyFromPem(std::string_view pem);

// The text after "PublicKey=" in the [Updates] section of a settings file's
// bytes (ANSI, UTF-8 or UTF-16, as Windows reads it); none when it has none.
std::optional<std::wstring> PublicKeyInSettings(std::string_view settings);

} // namespace velmora::ctl
