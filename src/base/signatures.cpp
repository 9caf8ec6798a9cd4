// Base64, the DER key prefix of P-256 and the DER signature value.
#include "base/signatures.hpp"

#include <algorithm>
#include <cstdint>

namespace velmora {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// SEQUENCE { SEQUENCE { id-ecPublicKey, prime256v1 }, BIT STRING (65 bytes) }:
// everything of a P-256 key's DER form before its point.
constexpr std::string_view kKeyPrefix{"\x30\x59\x30\x13\x06\x07\x2a\x86\x48\xce\x3d\x02\x01"
                                      "\x06\x08\x2a\x86\x48\xce\x3d\x03\x01\x07\x03\x42\x00",
                                      26};
constexpr std::size_t kPointSize = 65;
constexpr std::size_t kNumberSize = 32;

int Sextet(char c) {
  const std::size_t at = kAlphabet.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// One DER INTEGER at `at`, as a positive number of at most 32 bytes in its
// shortest form; moves `at` past it.
std::optional<std::string> Number(std::string_view der, std::size_t& at) {
  if (at + 2 > der.size() || der[at] != '\x02') {
    return std::nullopt;
  }
  const std::size_t length = static_cast<unsigned char>(der[at + 1]);
  const std::string_view value = der.substr(at + 2, length);
  if (length == 0 || length > kNumberSize + 1 || value.size() != length) {
    return std::nullopt;
  }
  const auto byte = [&value](std::size_t k) { return static_cast<unsigned char>(value[k]); };
  // Negative, or a zero byte that is not needed to keep it positive.
  if (byte(0) >= 0x80 || (length > 1 && byte(0) == 0 && byte(1) < 0x80)) {
    return std::nullopt;
  }
  const std::string_view digits = byte(0) == 0 && length > 1 ? value.substr(1) : value;
  if (digits.size() > kNumberSize || digits.find_first_not_of('\0') == std::string_view::npos) {
    return std::nullopt;
  }
  at += 2 + length;
  return std::string(kNumberSize - digits.size(), '\0') + std::string(digits);
}

// A number's DER INTEGER: leading zeros gone, one put back when the top bit is set.
std::string NumberToDer(std::string_view number) {
  std::size_t first = number.find_first_not_of('\0');
  if (first == std::string_view::npos) {
    first = number.size() - 1;
  }
  std::string value(number.substr(first));
  if (static_cast<unsigned char>(value[0]) >= 0x80) {
    value.insert(0, 1, '\0');
  }
  return std::string{'\x02', static_cast<char>(value.size())} + value;
}

} // namespace

std::string ToBase64(std::string_view bytes) {
  std::string text;
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < count ? static_cast<unsigned char>(bytes[at + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      text += k <= count ? kAlphabet[group >> (18 - 6 * k) & 63] : '=';
    }
  }
  return text;
}

std::optional<std::string> FromBase64(std::string_view text) {
  std::string bytes;
  std::uint32_t group = 0;
  int sextets = 0;
  int padding = 0;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      continue;
    }
    if (c == '=' && sextets % 4 >= 2) {
      ++padding;
      ++sextets;
      group <<= 6;
    } else {
      const int value = Sextet(c);
      if (value < 0 || padding > 0) {
        return std::nullopt;
      }
      group = group << 6 | static_cast<std::uint32_t>(value);
      ++sextets;
    }
    if (sextets % 4 == 0) {
      for (int k = 0; k < 3 - padding; ++k) {
        bytes += static_cast<char>(group >> (16 - 8 * k) & 0xFF);
      }
      group = 0;
    }
  }
  if (sextets % 4 != 0 || padding > 2) {
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::string> PublicKeyFromText(std::wstring_view text) {
  std::string narrow;
  for (const wchar_t c : text) {
    if (c > 0x7F) {
      return std::nullopt;
    }
    narrow += static_cast<char>(c);
  }
  const std::optional<std::string> der = FromBase64(narrow);
  if (!der || der->size() != kKeyPrefix.size() + kPointSize ||
      der->compare(0, kKeyPrefix.size(), kKeyPrefix) != 0 || (*der)[kKeyPrefix.size()] != '\x04') {
    return std::nullopt;
  }
  return der->substr(kKeyPrefix.size());
}

std::string PublicKeyText(std::string_view point) {
  return ToBase64(std::string(kKeyPrefix) + std::string(point));
}

std::optional<std::string> SignatureFromDer(std::string_view der) {
  if (der.size() < 2 || der[0] != '\x30' || static_cast<unsigned char>(der[1]) != der.size() - 2) {
    return std::nullopt;
  }
  std::size_t at = 2;
  const std::optional<std::string> r = Number(der, at);
  const std::optional<std::string> s = r ? Number(der, at) : std::nullopt;
  if (!s || at != der.size()) {
    return std::nullopt;
  }
  return *r + *s;
}

std::string SignatureToDer(std::string_view raw) {
  const std::string body =
      NumberToDer(raw.substr(0, kNumberSize)) + NumberToDer(raw.substr(kNumberSize));
  return std::string{'\x30', static_cast<char>(body.size())} + body;
}

} // namespace velmora
