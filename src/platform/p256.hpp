// ECDSA signatures on the NIST P-256 curve over SHA-256 digests, from the
// system's own cryptography: CNG (bcrypt.dll, loaded when first used) on
// Windows, libcrypto elsewhere. Keys and signatures cross as fixed-size
// byte strings; their exchange formats are the core's business.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::p256 {

constexpr std::size_t kPublicKeySize = 65;  // 04, then X and Y: the uncompressed point
constexpr std::size_t kPrivateKeySize = 32; // the secret scalar d
constexpr std::size_t kSignatureSize = 64;  // r, then s, each 32 bytes big-endian

enum class Verdict {
  Valid,
  Invalid,     // the signature, the key or the data do not belong together
  Unavailable, // the system cannot check signatures of this kind
};

struct KeyPair {
  std::string privateKey; // kPrivateKeySize bytes
  std::string publicKey;  // kPublicKeySize bytes
};

// Whether the signature over the data's SHA-256 digest was made with the
// private half of the public key. Sizes that are not the ones above are
// Invalid.
Verdict Verify(std::string_view publicKey, std::string_view data, std::string_view signature);

// A new key pair from the system's random source; none when it cannot be made.
std::optional<KeyPair> Generate();

// The signature of the data's SHA-256 digest; none when the key is no key of
// the curve or the system cannot sign.
std::optional<std::string> Sign(const KeyPair& key, std::string_view data);

} // namespace velmora::p256
