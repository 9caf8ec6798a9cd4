// End-to-end: https addresses, against the loopback https server that
// scripts/e2e.sh starts with a certificate of its own. Windows checks the
// certificate: an untrusted one fails the download and changes nothing; once
// trusted, a signed update arrives over https.
#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>
#include <vector>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

// The server's certificate among the user's trusted roots while it lives.
// The store is closed after each change, which is when Wine writes it.
class TrustedCertificate {
public:
  explicit TrustedCertificate(const std::string& pem) {
    DWORD size = 0;
    if (CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                             nullptr)) {
      der_.resize(size);
      CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der_.data(), &size, nullptr,
                           nullptr);
    }
    const HCERTSTORE store = Open();
    added_ = store != nullptr &&
             CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der_.data(), size,
                                              CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(store, 0);
  }
  ~TrustedCertificate() {
    const HCERTSTORE store = Open();
    const PCCERT_CONTEXT mine = CertCreateCertificateContext(X509_ASN_ENCODING, der_.data(),
                                                             static_cast<DWORD>(der_.size()));
    const PCCERT_CONTEXT found = store != nullptr && mine != nullptr
                                     ? CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                                  CERT_FIND_EXISTING, mine, nullptr)
                                     : nullptr;
    if (found != nullptr) {
      CertDeleteCertificateFromStore(found); // frees the found context too
    }
    if (mine != nullptr) {
      CertFreeCertificateContext(mine);
    }
    CertCloseStore(store, 0);
  }
  TrustedCertificate(const TrustedCertificate&) = delete;
  TrustedCertificate& operator=(const TrustedCertificate&) = delete;
  bool Added() const { return added_; }

private:
  static HCERTSTORE Open() {
    return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  }

  std::vector<BYTE> der_;
  bool added_ = false;
};

TEST(Https, AnUntrustedServerFailsATrustedOneServesASignedUpdate) {
  const std::string address = Environment("VELMORA_E2E_HTTPS");
  if (address.empty()) {
    GTEST_SKIP() << "needs the https server of scripts/e2e.sh";
  }
  const fs::path served = Environment("VELMORA_E2E_HTTPS_FOLDER");
  const std::string script = FileText(BesideTestProgram("signed\\latest.scp"));
  std::ofstream(served / "latest.scp", std::ios::binary) << script;
  std::ofstream(served / "latest.scp.sig", std::ios::binary)
      << FileText(BesideTestProgram("signed\\latest.scp.sig"));
  const std::string boot = ScriptText(
      {"on openScript", "set scriptID \"1\"", "set silentErrors true", "end openScript"});
  VelmoraProcess velmora(boot);
  const std::string settings =
      "[Updates]\r\nPublicKey=" + FileText(BesideTestProgram("signed\\update-key.txt")) + "\r\n";
  velmora.WriteAppFile("velmora.ini", settings);
  ASSERT_TRUE(velmora.Start());
  const std::string update =
      ScriptText({"on openScript", "check \"" + address + "/latest.scp\"", "switch result",
                  "case \"different\"", "keep update", "end switch", "end openScript"});

  ASSERT_TRUE(velmora.Drop("update.scp", update));
  const Lines refused = {"Check URL: Download failed. (Check parameters.)"};
  EXPECT_EQ(velmora.WaitForLines("errors.log", refused), refused);
  EXPECT_EQ(FileText(velmora.AppPath("velmora.ini")), settings);
  EXPECT_EQ(FileText(velmora.AppPath("boot.scp")), boot);

  // Trust is given as an administrator gives it, before the program starts.
  const TrustedCertificate trusted(FileText(Environment("VELMORA_E2E_HTTPS_CA")));
  ASSERT_TRUE(trusted.Added());
  ASSERT_TRUE(velmora.Drop("quit.scp", ScriptText({"on openScript", "quit", "end openScript"})));
  ASSERT_EQ(velmora.WaitForExit(), 0u);
  ASSERT_TRUE(velmora.Start());
  ASSERT_TRUE(velmora.Drop("update.scp", update));
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"running signed script 2"}),
            Lines{"running signed script 2"});
  EXPECT_TRUE(WaitUntil([&] { return FileText(velmora.AppPath("boot.scp")) == script; }));
  EXPECT_EQ(velmora.AppFileLines("errors.log"), refused);
}

} // namespace
} // namespace velmora::e2e
