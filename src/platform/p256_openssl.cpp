// P-256 signatures through OpenSSL's libcrypto, for the programs built for
// this system: velmoractl, and the tests' stand-in for Windows, which checks
// signatures for real.
#include <memory>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include "platform/p256.hpp"

namespace velmora::p256 {

namespace {

constexpr int kCoordinateSize = 32;

template <typename T, void (*Free)(T*)> struct Deleter {
  void operator()(T* object) const { Free(object); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using ContextPtr = std::unique_ptr<EVP_PKEY_CTX, Deleter<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using DigestPtr = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
using BigPtr = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;
using SignaturePtr = std::unique_ptr<ECDSA_SIG, Deleter<ECDSA_SIG, ECDSA_SIG_free>>;
using BuilderPtr = std::unique_ptr<OSSL_PARAM_BLD, Deleter<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>>;
using ParamsPtr = std::unique_ptr<OSSL_PARAM, Deleter<OSSL_PARAM, OSSL_PARAM_free>>;

const unsigned char* Bytes(std::string_view bytes) {
  return reinterpret_cast<const unsigned char*>(bytes.data());
}

BigPtr Big(std::string_view bytes) {
  return BigPtr(BN_bin2bn(Bytes(bytes), static_cast<int>(bytes.size()), nullptr));
}

// The key of the curve with this point and, when given, this secret; none
// when they make no key of the curve.
KeyPtr MakeKey(std::string_view point, std::string_view secret) {
  const BuilderPtr builder(OSSL_PARAM_BLD_new());
  const BigPtr d = secret.empty() ? nullptr : Big(secret);
  if (!builder ||
      !OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1",
                                       0) ||
      !OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(),
                                        point.size()) ||
      (d && !OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_PRIV_KEY, d.get()))) {
    return nullptr;
  }
  const ParamsPtr params(OSSL_PARAM_BLD_to_param(builder.get()));
  const ContextPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &key, d ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY,
                        params.get()) != 1) {
    return nullptr;
  }
  // Importing does not test the point; the check does.
  KeyPtr made(key);
  const ContextPtr check(EVP_PKEY_CTX_new_from_pkey(nullptr, made.get(), nullptr));
  if (!check || EVP_PKEY_public_check(check.get()) != 1) {
    return nullptr;
  }
  return made;
}

std::string Padded(const BIGNUM* number) {
  std::string bytes(kCoordinateSize, '\0');
  BN_bn2binpad(number, reinterpret_cast<unsigned char*>(bytes.data()), kCoordinateSize);
  return bytes;
}

} // namespace

Verdict Verify(std::string_view publicKey, std::string_view data, std::string_view signature) {
  if (publicKey.size() != kPublicKeySize || publicKey[0] != '\x04' ||
      signature.size() != kSignatureSize) {
    return Verdict::Invalid;
  }
  const KeyPtr key = MakeKey(publicKey, {});
  // libcrypto takes the signature in its DER form.
  const SignaturePtr pair(ECDSA_SIG_new());
  BigPtr r = Big(signature.substr(0, kCoordinateSize));
  BigPtr s = Big(signature.substr(kCoordinateSize));
  if (!key || !pair || !r || !s || ECDSA_SIG_set0(pair.get(), r.get(), s.get()) != 1) {
    return Verdict::Invalid;
  }
  r.release();
  s.release();
  unsigned char* der = nullptr;
  const int derSize = i2d_ECDSA_SIG(pair.get(), &der);
  const DigestPtr digest(EVP_MD_CTX_new());
  const bool valid =
      derSize > 0 && digest &&
      EVP_DigestVerifyInit(digest.get(), nullptr, EVP_sha256(), nullptr, key.get()) == 1 &&
      EVP_DigestVerify(digest.get(), der, static_cast<std::size_t>(derSize), Bytes(data),
                       data.size()) == 1;
  OPENSSL_free(der);
  return valid ? Verdict::Valid : Verdict::Invalid;
}

std::optional<KeyPair> Generate() {
  const KeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  std::string point(kPublicKeySize, '\0');
  std::size_t pointSize = 0;
  BIGNUM* d = nullptr;
  if (!key ||
      EVP_PKEY_get_octet_string_param(key.get(), OSSL_PKEY_PARAM_PUB_KEY,
                                      reinterpret_cast<unsigned char*>(point.data()), point.size(),
                                      &pointSize) != 1 ||
      pointSize != kPublicKeySize || point[0] != '\x04' ||
      EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_PRIV_KEY, &d) != 1) {
    return std::nullopt;
  }
  const BigPtr secret(d);
  return KeyPair{Padded(secret.get()), point};
}

std::optional<std::string> Sign(const KeyPair& pair, std::string_view data) {
  if (pair.publicKey.size() != kPublicKeySize || pair.privateKey.size() != kPrivateKeySize) {
    return std::nullopt;
  }
  const KeyPtr key = MakeKey(pair.publicKey, pair.privateKey);
  const DigestPtr digest(EVP_MD_CTX_new());
  std::size_t derSize = 0;
  if (!key || !digest ||
      EVP_DigestSignInit(digest.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
      EVP_DigestSign(digest.get(), nullptr, &derSize, Bytes(data), data.size()) != 1) {
    return std::nullopt;
  }
  std::string der(derSize, '\0');
  if (EVP_DigestSign(digest.get(), reinterpret_cast<unsigned char*>(der.data()), &derSize,
                     Bytes(data), data.size()) != 1) {
    return std::nullopt;
  }
  const unsigned char* read = Bytes(der);
  const SignaturePtr pairOfNumbers(d2i_ECDSA_SIG(nullptr, &read, static_cast<long>(derSize)));
  if (!pairOfNumbers) {
    return std::nullopt;
  }
  return Padded(ECDSA_SIG_get0_r(pairOfNumbers.get())) +
         Padded(ECDSA_SIG_get0_s(pairOfNumbers.get()));
}

} // namespace velmora::p256
