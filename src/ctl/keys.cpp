// The key pair, the signatures and their check.
#include "ctl/keys.hpp"

#include "base/files.hpp"
#include "base/signatures.hpp"
#include "ctl/encoding.hpp"
#include "ctl/key_file.hpp"
#include "platform/p256.hpp"

namespace velmora::ctl {

namespace {

constexpr std::string_view kKeyFileName = "update-key.pem";
constexpr std::string_view kKeyLinePrefix = "PublicKey=";

SystemPath SignaturePath(const SystemPath& script) {
  return script + SystemPath{'.', 's', 'i', 'g'};
}

std::optional<p256::KeyPair> ReadPrivateKey(const SystemPath& path, Output& err) {
  const std::optional<std::string> pem = ReadFileBytes(path);
  const std::optional<p256::KeyPair> key = pem ? PrivateKeyFromPem(*pem) : std::nullopt;
  if (!pem) {
    err << "velmoractl: cannot read the private key " << DisplayPath(path) << "\n";
  } else if (!key) {
    err << "velmoractl: " << DisplayPath(path) << " holds no P-256 private key\n";
  }
  return key;
}

// The public key to check with: the line given, or the one of velmora.ini.
std::optional<std::string> PublicKey(const VerifyOptions& options, Output& err) {
  std::wstring text;
  if (options.key) {
    text = DecodeArgument(*options.key);
  } else {
    const SystemPath settings = JoinPath(options.folder, "velmora.ini");
    const std::optional<std::string> bytes = ReadFileBytes(settings);
    const std::optional<std::wstring> line = bytes ? PublicKeyInSettings(*bytes) : std::nullopt;
    if (!line) {
      err << "velmoractl: " << DisplayPath(settings)
          << " sets no update key (PublicKey= in its [Updates] section)\n";
      return std::nullopt;
    }
    text = *line;
  }
  // The line may be given whole, as velmora.ini holds it.
  const std::wstring prefix(kKeyLinePrefix.begin(), kKeyLinePrefix.end());
  if (text.rfind(prefix, 0) == 0) {
    text.erase(0, prefix.size());
  }
  const std::optional<std::string> key = PublicKeyFromText(text);
  if (!key) {
    err << "velmoractl: the update key cannot be read: it is no P-256 public key line\n";
  }
  return key;
}

} // namespace

std::optional<SystemPath> DefaultKeyFile() {
  const std::optional<SystemPath> folder = UserSettingsFolder();
  return folder ? std::optional(JoinPath(*folder, kKeyFileName)) : std::nullopt;
}

int RunKeygen(const KeyOptions& options, Output& out, Output& err) {
  const std::optional<SystemPath> path = options.keyFile ? options.keyFile : DefaultKeyFile();
  if (!path) {
    err << "velmoractl: the system names no folder for your settings; give the key's file "
           "with --key FILE\n";
    return kKeysFailed;
  }
  std::string reason;
  if (!options.keyFile && !MakeFolder(*UserSettingsFolder(), reason)) {
    err << "velmoractl: cannot make the folder " << DisplayPath(*UserSettingsFolder()) << ": "
        << reason << "\n";
    return kKeysFailed;
  }
  // A key is never replaced: signed updates made with it would stop working.
  if (Exists(*path)) {
    err << "velmoractl: " << DisplayPath(*path)
        << " already exists; keygen never overwrites a key\n";
    return kKeysFailed;
  }
  const std::optional<p256::KeyPair> key = p256::Generate();
  if (!key) {
    err << "velmoractl: this system cannot make a P-256 key\n";
    return kKeysFailed;
  }
  if (!CreateNewFile(*path, PrivateKeyPem(*key), reason)) {
    err << "velmoractl: cannot write " << DisplayPath(*path) << ": " << reason << "\n";
    return kKeysFailed;
  }
  out << kKeyLinePrefix << PublicKeyText(key->publicKey) << "\n";
  err << "velmoractl: the private key is in " << DisplayPath(*path)
      << "; keep it secret and backed up. Put the line above in the [Updates] section of "
         "velmora.ini on every machine.\n";
  return 0;
}

int RunSign(const KeyOptions& options, Output& err) {
  const std::optional<SystemPath> path = options.keyFile ? options.keyFile : DefaultKeyFile();
  if (!path) {
    err << "velmoractl: give the private key with --key FILE\n";
    return kKeysFailed;
  }
  const std::optional<p256::KeyPair> key = ReadPrivateKey(*path, err);
  if (!key) {
    return kKeysFailed;
  }
  int status = 0;
  for (const std::string& file : options.files) {
    const SystemPath script = PathFromArgument(file);
    const std::optional<std::string> bytes = ReadFileBytes(script);
    const std::optional<std::string> signature = bytes ? p256::Sign(*key, *bytes) : std::nullopt;
    if (!bytes) {
      err << "velmoractl: cannot read " << DisplayPath(script) << "\n";
    } else if (!signature ||
               p256::Verify(key->publicKey, *bytes, *signature) != p256::Verdict::Valid) {
      err << "velmoractl: " << DisplayPath(script) << " could not be signed with this key\n";
    } else if (!WriteFileBytes(SignaturePath(script), SignatureToDer(*signature))) {
      err << "velmoractl: cannot write " << DisplayPath(SignaturePath(script)) << "\n";
    } else {
      continue;
    }
    status = kKeysFailed;
  }
  return status;
}

int RunVerify(const VerifyOptions& options, Output& out, Output& err) {
  const std::optional<std::string> key = PublicKey(options, err);
  if (!key) {
    return kVerifyUnreadable;
  }
  const SystemPath script = PathFromArgument(options.file);
  const std::optional<std::string> bytes = ReadFileBytes(script);
  const std::optional<std::string> der = ReadFileBytes(SignaturePath(script));
  if (!bytes || !der) {
    err << "velmoractl: cannot read " << DisplayPath(bytes ? SignaturePath(script) : script)
        << "\n";
    return kVerifyUnreadable;
  }
  const std::optional<std::string> signature = SignatureFromDer(*der);
  if (!signature) {
    out << DisplayPath(script) << ": the signature is malformed\n";
    return kVerifyBad;
  }
  switch (p256::Verify(*key, *bytes, *signature)) {
  case p256::Verdict::Valid:
    out << DisplayPath(script) << ": good signature\n";
    return kVerifyGood;
  case p256::Verdict::Unavailable:
    err << "velmoractl: this system cannot check signatures\n";
    return kVerifyUnreadable;
  case p256::Verdict::Invalid:
    break;
  }
  out << DisplayPath(script) << ": the signature does not match\n";
  return kVerifyBad;
}

} // namespace velmora::ctl
