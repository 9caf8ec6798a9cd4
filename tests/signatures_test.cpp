// Update keys and signatures in their exchange formats, checked against a
// key and signature that the openssl command made.
#include <gtest/gtest.h>

#include "base/signatures.hpp"
#include "platform/p256.hpp"

namespace velmora::testing {
namespace {

// `openssl pkey -pubout -outform DER | base64` of a key, and the signature
// `openssl dgst -sha256 -sign` made with it of kSigned.
const std::wstring kOpensslKey = L"MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEeWOgpMyryuX4b+cZDjq7VPTiNUqL"
                                 L"iXeZtmg9XnKIPpBjtSECbpUkkUJLXyd++lfdVv2vo6q9qctYuPK+cqr88g==";
const std::string kSigned = "on openScript\r\n  set scriptID \"2\"\r\nend openScript\r\n";

std::string FromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t at = 0; at + 1 < hex.size(); at += 2) {
    bytes += static_cast<char>(std::stoi(std::string(hex.substr(at, 2)), nullptr, 16));
  }
  return bytes;
}

const std::string kOpensslSignature =
    FromHex("304502206dae8dfea0b582c9bd886e3cd1c49169e377304ace0e02b7df56bcde5883bfe7022100b7b7b4"
            "788b2c88332ae42b8bf3cf25ae3325fb9751299c240bbc1b809c000ae4");

TEST(Base64, RoundTripsAndRefusesWhatIsNoBase64) {
  for (const std::string& bytes :
       {std::string(), std::string("a"), std::string("ab"), std::string("abc"), std::string("abcd"),
        std::string("\0\xff\x10", 3)}) {
    EXPECT_EQ(FromBase64(ToBase64(bytes)), bytes) << ToBase64(bytes);
  }
  EXPECT_EQ(ToBase64("ab"), "YWI=");
  EXPECT_EQ(FromBase64(" YW\r\nI=\t"), "ab");
  for (const char* text : {"YWI", "YW=I", "Y===", "YWI=YWI=", "YW!=", "YWI==", "\xC3\xA4"}) {
    EXPECT_EQ(FromBase64(text), std::nullopt) << text;
  }
}

TEST(PublicKeyLine, TakesTheOpensslFormAndGivesItBack) {
  const std::optional<std::string> point = PublicKeyFromText(kOpensslKey);
  ASSERT_TRUE(point);
  EXPECT_EQ(point->size(), p256::kPublicKeySize);
  EXPECT_EQ(PublicKeyText(*point), std::string(kOpensslKey.begin(), kOpensslKey.end()));
  // Cut short, another curve's prefix, a compressed point, text beyond ASCII.
  std::wstring otherCurve = kOpensslKey;
  otherCurve[20] = L'B';
  for (const std::wstring& text : {kOpensslKey.substr(0, 100), otherCurve, std::wstring(L""),
                                   kOpensslKey + L"\u00e4", kOpensslKey.substr(4)}) {
    EXPECT_EQ(PublicKeyFromText(text), std::nullopt) << std::string(text.begin(), text.end());
  }
}

TEST(SignatureFile, TakesOnlyOneStrictDerValue) {
  const std::optional<std::string> raw = SignatureFromDer(kOpensslSignature);
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->size(), p256::kSignatureSize);
  EXPECT_EQ(SignatureToDer(*raw), kOpensslSignature);
  // Small numbers are padded, and their DER form is the shortest.
  const std::string small = std::string(31, '\0') + "\x01" + std::string(31, '\0') + "\x80";
  EXPECT_EQ(SignatureToDer(small), std::string("\x30\x07\x02\x01\x01\x02\x02\x00\x80", 9));
  EXPECT_EQ(SignatureFromDer(SignatureToDer(small)), small);
  const std::pair<const char*, std::string> refused[] = {
      {"empty", ""},
      {"cut short", kOpensslSignature.substr(0, 70)},
      {"a byte more", kOpensslSignature + "x"},
      {"not a sequence", "\x31" + kOpensslSignature.substr(1)},
      {"negative", std::string("\x30\x06\x02\x01\x81\x02\x01\x01", 8)},
      {"padded needlessly", std::string("\x30\x07\x02\x02\x00\x01\x02\x01\x01", 9)},
      {"zero", std::string("\x30\x06\x02\x01\x00\x02\x01\x01", 8)},
      {"too long", "\x30\x26\x02\x21\x01" + std::string(32, 'x') + "\x02\x01\x01"},
      {"one number", std::string("\x30\x03\x02\x01\x01", 5)}};
  for (const auto& [why, der] : refused) {
    EXPECT_EQ(SignatureFromDer(der), std::nullopt) << why;
  }
}

TEST(P256, VerifiesWhatOpensslSignedAndNothingElse) {
  const std::string key = *PublicKeyFromText(kOpensslKey);
  const std::string signature = *SignatureFromDer(kOpensslSignature);
  EXPECT_EQ(p256::Verify(key, kSigned, signature), p256::Verdict::Valid);
  std::string tampered = kSigned;
  tampered[20] ^= 1;
  EXPECT_EQ(p256::Verify(key, tampered, signature), p256::Verdict::Invalid);
  const std::optional<p256::KeyPair> pair = p256::Generate();
  ASSERT_TRUE(pair);
  EXPECT_EQ(p256::Verify(pair->publicKey, kSigned, signature), p256::Verdict::Invalid);
  const std::optional<std::string> own = p256::Sign(*pair, kSigned);
  ASSERT_TRUE(own);
  EXPECT_EQ(p256::Verify(pair->publicKey, kSigned, *own), p256::Verdict::Valid);
  // A point off the curve is no key.
  std::string offCurve = key;
  offCurve[64] ^= 1;
  EXPECT_EQ(p256::Verify(offCurve, kSigned, signature), p256::Verdict::Invalid);
}

} // namespace
} // namespace velmora::testing
