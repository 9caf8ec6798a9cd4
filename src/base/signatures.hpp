// Update keys and signatures in the forms people exchange them, so that
// standard tools can make them too: a public key as one line of Base64 (the
// DER SubjectPublicKeyInfo that `openssl pkey -pubout -outform DER` writes),
// a signature as the DER ECDSA value that `openssl dgst -sha256 -sign`
// writes. Both are for ECDSA on the P-256 curve.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

std::string ToBase64(std::string_view bytes);
// The bytes of Base64 text; spaces, tabs and line breaks anywhere are
// ignored. None for any other character, a wrong length or stray padding.
std::optional<std::string> FromBase64(std::string_view text);

// The point (04, X, Y) of a public key line; none when the text is not the
// Base64 of a P-256 key.
std::optional<std::string> PublicKeyFromText(std::wstring_view text);
// The public key line of a point.
std::string PublicKeyText(std::string_view point);

// r and s, 32 bytes each, of a DER signature; none when the bytes are not
// exactly one DER ECDSA value whose numbers fit the curve.
std::optional<std::string> SignatureFromDer(std::string_view der);
// The DER form of r and s.
std::string SignatureToDer(std::string_view raw);

} // namespace velmora
