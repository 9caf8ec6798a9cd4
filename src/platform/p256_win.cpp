// P-256 signatures through Windows' CNG. bcrypt.dll is part of Windows since
// Vista and is loaded the first time a signature is checked, so a script
// that never verifies one starts without it.
#include <windows.h>

#include <bcrypt.h>

#include <vector>

#include "platform/p256.hpp"
#include "platform/win32/late_library.hpp"

namespace velmora::p256 {

namespace {

constexpr ULONG kCoordinateSize = 32;

// The CNG functions used, looked up together: all or nothing.
struct Cng {
  decltype(BCryptOpenAlgorithmProvider)* open =
      Find<decltype(BCryptOpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider");
  decltype(BCryptCloseAlgorithmProvider)* close =
      Find<decltype(BCryptCloseAlgorithmProvider)>("BCryptCloseAlgorithmProvider");
  decltype(BCryptGetProperty)* property = Find<decltype(BCryptGetProperty)>("BCryptGetProperty");
  decltype(BCryptCreateHash)* createHash = Find<decltype(BCryptCreateHash)>("BCryptCreateHash");
  decltype(BCryptHashData)* hashData = Find<decltype(BCryptHashData)>("BCryptHashData");
  decltype(BCryptFinishHash)* finishHash = Find<decltype(BCryptFinishHash)>("BCryptFinishHash");
  decltype(BCryptDestroyHash)* destroyHash = Find<decltype(BCryptDestroyHash)>("BCryptDestroyHash");
  decltype(BCryptImportKeyPair)* importKey =
      Find<decltype(BCryptImportKeyPair)>("BCryptImportKeyPair");
  decltype(BCryptExportKey)* exportKey = Find<decltype(BCryptExportKey)>("BCryptExportKey");
  decltype(BCryptGenerateKeyPair)* generateKey =
      Find<decltype(BCryptGenerateKeyPair)>("BCryptGenerateKeyPair");
  decltype(BCryptFinalizeKeyPair)* finalizeKey =
      Find<decltype(BCryptFinalizeKeyPair)>("BCryptFinalizeKeyPair");
  decltype(BCryptDestroyKey)* destroyKey = Find<decltype(BCryptDestroyKey)>("BCryptDestroyKey");
  decltype(BCryptSignHash)* signHash = Find<decltype(BCryptSignHash)>("BCryptSignHash");
  decltype(BCryptVerifySignature)* verify =
      Find<decltype(BCryptVerifySignature)>("BCryptVerifySignature");

  bool complete() const {
    return open && close && property && createHash && hashData && finishHash && destroyHash &&
           importKey && exportKey && generateKey && finalizeKey && destroyKey && signHash && verify;
  }

  template <typename Function> static Function* Find(const char* name) {
    return win32::LateFunction<Function>(L"bcrypt.dll", name);
  }
};

const Cng* Functions() {
  static const Cng cng;
  return cng.complete() ? &cng : nullptr;
}

// An algorithm provider, closed when it goes.
class Provider {
public:
  Provider(const Cng& cng, LPCWSTR algorithm) : cng_(cng) {
    if (!BCRYPT_SUCCESS(cng_.open(&handle_, algorithm, nullptr, 0))) {
      handle_ = nullptr;
    }
  }
  ~Provider() {
    if (handle_ != nullptr) {
      cng_.close(handle_, 0);
    }
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
  const Cng& cng_;
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

// A key, destroyed when it goes.
class Key {
public:
  explicit Key(const Cng& cng) : cng_(cng) {}
  ~Key() {
    if (handle_ != nullptr) {
      cng_.destroyKey(handle_);
    }
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  BCRYPT_KEY_HANDLE* out() { return &handle_; }
  BCRYPT_KEY_HANDLE get() const { return handle_; }

private:
  const Cng& cng_;
  BCRYPT_KEY_HANDLE handle_ = nullptr;
};

PUCHAR Bytes(std::string_view bytes) {
  return reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
}

// The SHA-256 digest of the data; none when CNG cannot make one.
std::optional<std::string> Sha256(const Cng& cng, std::string_view data) {
  const Provider sha(cng, BCRYPT_SHA256_ALGORITHM);
  DWORD objectSize = 0;
  ULONG got = 0;
  if (sha.get() == nullptr || !BCRYPT_SUCCESS(cng.property(sha.get(), BCRYPT_OBJECT_LENGTH,
                                                           reinterpret_cast<PUCHAR>(&objectSize),
                                                           sizeof objectSize, &got, 0))) {
    return std::nullopt;
  }
  // Windows Vista wants the hash object's memory from its caller.
  std::vector<UCHAR> object(objectSize);
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!BCRYPT_SUCCESS(cng.createHash(sha.get(), &hash, object.data(), objectSize, nullptr, 0, 0))) {
    return std::nullopt;
  }
  std::string digest(32, '\0');
  // Hashed in pieces a ULONG can count.
  bool hashed = true;
  for (std::size_t at = 0; at < data.size() && hashed; at += 0x40000000) {
    const std::string_view piece = data.substr(at, 0x40000000);
    hashed = BCRYPT_SUCCESS(cng.hashData(hash, Bytes(piece), static_cast<ULONG>(piece.size()), 0));
  }
  hashed = hashed && BCRYPT_SUCCESS(cng.finishHash(hash, Bytes(digest), 32, 0));
  cng.destroyHash(hash);
  return hashed ? std::optional(digest) : std::nullopt;
}

// The key blob CNG takes and gives: its header, X, Y and, for a private key, d.
std::string KeyBlob(ULONG magic, std::string_view point, std::string_view secret) {
  BCRYPT_ECCKEY_BLOB header{magic, kCoordinateSize};
  std::string blob(reinterpret_cast<const char*>(&header), sizeof header);
  blob.append(point.substr(1));
  blob.append(secret);
  return blob;
}

bool ImportKey(const Cng& cng, const Provider& ecdsa, Key& key, LPCWSTR type,
               std::string_view blob) {
  return ecdsa.get() != nullptr &&
         BCRYPT_SUCCESS(cng.importKey(ecdsa.get(), nullptr, type, key.out(), Bytes(blob),
                                      static_cast<ULONG>(blob.size()), 0));
}

} // namespace

Verdict Verify(std::string_view publicKey, std::string_view data, std::string_view signature) {
  if (publicKey.size() != kPublicKeySize || publicKey[0] != '\x04' ||
      signature.size() != kSignatureSize) {
    return Verdict::Invalid;
  }
  const Cng* const cng = Functions();
  if (cng == nullptr) {
    return Verdict::Unavailable;
  }
  const std::optional<std::string> digest = Sha256(*cng, data);
  const Provider ecdsa(*cng, BCRYPT_ECDSA_P256_ALGORITHM);
  if (!digest || ecdsa.get() == nullptr) {
    return Verdict::Unavailable;
  }
  Key key(*cng);
  // A point that is not on the curve is refused here: no signature matches it.
  if (!ImportKey(*cng, ecdsa, key, BCRYPT_ECCPUBLIC_BLOB,
                 KeyBlob(BCRYPT_ECDSA_PUBLIC_P256_MAGIC, publicKey, {}))) {
    return Verdict::Invalid;
  }
  const NTSTATUS status = cng->verify(key.get(), nullptr, Bytes(*digest), 32, Bytes(signature),
                                      static_cast<ULONG>(signature.size()), 0);
  return BCRYPT_SUCCESS(status) ? Verdict::Valid : Verdict::Invalid;
}

std::optional<KeyPair> Generate() {
  const Cng* const cng = Functions();
  if (cng == nullptr) {
    return std::nullopt;
  }
  const Provider ecdsa(*cng, BCRYPT_ECDSA_P256_ALGORITHM);
  Key key(*cng);
  if (ecdsa.get() == nullptr || !BCRYPT_SUCCESS(cng->generateKey(ecdsa.get(), key.out(), 256, 0)) ||
      !BCRYPT_SUCCESS(cng->finalizeKey(key.get(), 0))) {
    return std::nullopt;
  }
  std::string blob(sizeof(BCRYPT_ECCKEY_BLOB) + 3 * kCoordinateSize, '\0');
  ULONG size = 0;
  if (!BCRYPT_SUCCESS(cng->exportKey(key.get(), nullptr, BCRYPT_ECCPRIVATE_BLOB, Bytes(blob),
                                     static_cast<ULONG>(blob.size()), &size, 0)) ||
      size != blob.size()) {
    return std::nullopt;
  }
  const std::string_view coordinates = std::string_view(blob).substr(sizeof(BCRYPT_ECCKEY_BLOB));
  return KeyPair{std::string(coordinates.substr(2 * kCoordinateSize)),
                 "\x04" + std::string(coordinates.substr(0, 2 * kCoordinateSize))};
}

std::optional<std::string> Sign(const KeyPair& pair, std::string_view data) {
  if (pair.publicKey.size() != kPublicKeySize || pair.publicKey[0] != '\x04' ||
      pair.privateKey.size() != kPrivateKeySize) {
    return std::nullopt;
  }
  const Cng* const cng = Functions();
  if (cng == nullptr) {
    return std::nullopt;
  }
  const std::optional<std::string> digest = Sha256(*cng, data);
  const Provider ecdsa(*cng, BCRYPT_ECDSA_P256_ALGORITHM);
  Key key(*cng);
  if (!digest ||
      !ImportKey(*cng, ecdsa, key, BCRYPT_ECCPRIVATE_BLOB,
                 KeyBlob(BCRYPT_ECDSA_PRIVATE_P256_MAGIC, pair.publicKey, pair.privateKey))) {
    return std::nullopt;
  }
  std::string signature(kSignatureSize, '\0');
  ULONG size = 0;
  if (!BCRYPT_SUCCESS(cng->signHash(key.get(), nullptr, Bytes(*digest), 32, Bytes(signature),
                                    static_cast<ULONG>(signature.size()), &size, 0)) ||
      size != kSignatureSize) {
    return std::nullopt;
  }
  return signature;
}

} // namespace velmora::p256
