// Signed updates: with a public key in the settings file, a script is taken
// from the network only with a good signature of exactly its bytes; the
// script check just took can be kept as the start-up script; and no script
// can change the file that holds the key.
#include <algorithm>
#include <gtest/gtest.h>

#include "base/files.hpp"
#include "base/signatures.hpp"
#include "commands/update_key.hpp"
#include "harness.hpp"

namespace velmora::testing {
namespace {

const std::wstring kAddress = L"http://host/latest.scp";
const std::wstring kSignatureAddress = kAddress + L".sig";
const std::wstring kSettings = kAppFolder + kSettingsFileName;
const std::wstring kBoot = kAppFolder + L"boot.scp";

const p256::KeyPair& OwnerKey() {
  static const p256::KeyPair key = *p256::Generate();
  return key;
}

std::string SignatureOf(std::string_view bytes, const p256::KeyPair& key = OwnerKey()) {
  return SignatureToDer(*p256::Sign(key, bytes));
}

std::string KeyLine(const p256::KeyPair& key = OwnerKey()) {
  return PublicKeyText(key.publicKey);
}

// A program whose last script is "1", with the owner's key in its settings
// file, and a server offering script "2" with its signature.
struct Signed : Harness {
  std::string settings = "[Updates]\r\nLastID=1\r\nPublicKey=" + KeyLine() + "\r\n";
  std::string script = Bytes(Block(L"openScript", {L"set scriptID 2", L"set tooltip \"new\""}) +
                             L"\r\n" + Block(L"leftClick", {L"beep"}) + L"\r\n");

  explicit Signed(const std::string& keyLine = KeyLine()) {
    settings = "[Updates]\r\nLastID=1\r\nPublicKey=" + keyLine + "\r\n";
    fake.AddFile(kSettings, settings);
    fake.AddFile(kBoot, "old start-up script");
    fake.urls[kAddress] = {200, script};
    fake.urls[kSignatureAddress] = {200, SignatureOf(script)};
    app.download.LastID = L"1";
    app.LastResult = L"before";
    LoadUpdateKey(app);
  }

  Texts SortedFiles() const {
    Texts names = fake.FileNames();
    std::sort(names.begin(), names.end());
    return names;
  }
  CommandResult Run(const std::wstring& line) { return ExecuteCommand(app, line); }
  CommandResult Check() { return Run(L"check \"" + kAddress + L"\""); }

  // Nothing of a refused update is left anywhere.
  void ExpectNothingChanged() {
    EXPECT_EQ(app.download.LastID, L"1");
    EXPECT_EQ(app.LastResult, L"before");
    EXPECT_EQ(fake.Contents(kSettings), settings);
    EXPECT_EQ(fake.Contents(kBoot), "old start-up script");
    EXPECT_TRUE(app.handlers[Slot::LeftClick].empty());
    EXPECT_EQ(SortedFiles(), (Texts{kBoot, kSettings})) << "no temporary file stays";
    EXPECT_FALSE(app.download.TakenScript);
    EXPECT_FALSE(app.download.DownloadBusy);
  }
};

TEST(SignedUpdate, TakesAScriptWithAGoodSignatureAndKeepsItWhole) {
  Signed h;
  EXPECT_EQ(h.Check(), CommandResult::Ok);
  EXPECT_EQ(h.app.LastResult, L"different");
  EXPECT_EQ(h.app.download.LastID, L"2");
  EXPECT_EQ(Tips(h.fake), Texts{L"new"});
  EXPECT_EQ(h.fake.Contents(kBoot), "old start-up script") << "checking keeps nothing on disk";
  // The very bytes checked become the start-up script, with no second fetch.
  EXPECT_EQ(h.Run(L"keep update"), CommandResult::Ok);
  EXPECT_EQ(h.fake.Contents(kBoot), h.script);
  EXPECT_EQ(h.fake.downloadPaths.size(), 2u) << "the script and its signature, once each";
  EXPECT_EQ(h.SortedFiles(), (Texts{kBoot, kSettings}));
  EXPECT_TRUE(h.fake.boxes.empty());
}

// An installer writes the key alone: the first update adds its identifier
// beside it and keeps the key as it was.
TEST(SignedUpdate, TheFirstUpdateAddsItsIdentifierBesideAKeyAlone) {
  Signed h;
  const std::string keyOnly = "[Updates]\r\nPublicKey=" + KeyLine() + "\r\n";
  h.fake.AddFile(kSettings, keyOnly);
  LoadUpdateKey(h.app);
  EXPECT_EQ(h.Check(), CommandResult::Ok);
  EXPECT_EQ(h.fake.Contents(kSettings), keyOnly + "LastID=2\r\n");
  EXPECT_EQ(h.app.download.KeyState, UpdateKeyState::Set);
}

// Each failure has its message and changes nothing: not the identifier, not
// the settings file, not the handlers, not the start-up script.
TEST(SignedUpdate, RefusesEverySignatureThatIsNotTheKeysOverTheseBytes) {
  const p256::KeyPair otherKey = *p256::Generate();
  const std::wstring mismatch = L"Check URL: The script's signature does not match.";
  const std::tuple<const char*, void (*)(Signed&, const p256::KeyPair&), std::wstring> cases[] = {
      {"wrong key",
       [](Signed& h, const p256::KeyPair& other) {
         h.fake.urls[kSignatureAddress].body = SignatureOf(h.script, other);
       },
       mismatch},
      {"tampered script",
       [](Signed& h, const p256::KeyPair&) { h.fake.urls[kAddress].body[30] ^= 1; }, mismatch},
      {"another script's signature",
       [](Signed& h, const p256::KeyPair&) {
         h.fake.urls[kSignatureAddress].body = SignatureOf(h.script + "\r\n");
       },
       mismatch},
      {"truncated signature",
       [](Signed& h, const p256::KeyPair&) { h.fake.urls[kSignatureAddress].body.pop_back(); },
       L"Check URL: The script's signature is malformed."},
      {"missing signature",
       [](Signed& h, const p256::KeyPair&) { h.fake.urls[kSignatureAddress].httpStatus = 404; },
       L"Check URL: The script's signature could not be downloaded."}};
  for (const auto& [fault, arrange, message] : cases) {
    SCOPED_TRACE(fault);
    Signed h;
    arrange(h, otherKey);
    EXPECT_EQ(h.Check(), CommandResult::Error);
    EXPECT_EQ(h.BoxTexts(), Texts{message});
    h.ExpectNothingChanged();
    EXPECT_EQ(h.Run(L"keep update"), CommandResult::Error);
    EXPECT_EQ(h.fake.Contents(kBoot), "old start-up script");
  }
}

// A key that is set but cannot be read takes no update at all: a mistyped
// key must not turn the checks off.
TEST(SignedUpdate, AnUnreadableKeyTakesNothingAndFetchesNothing) {
  for (const std::string& line : {KeyLine().substr(0, 60), std::string("not a key")}) {
    Signed h(line);
    EXPECT_EQ(h.app.download.KeyState, UpdateKeyState::Unreadable);
    EXPECT_EQ(h.Check(), CommandResult::Error);
    EXPECT_EQ(h.Run(L"download \"" + kAddress + L"\" \"boot.scp\""), CommandResult::Error);
    EXPECT_EQ(h.BoxTexts(), (Texts{L"Check URL: The update key in 'velmora.ini' cannot be read.",
                                   L"Download failed. The update key in 'velmora.ini' cannot be "
                                   L"read."}));
    EXPECT_TRUE(h.fake.downloadPaths.empty());
    h.ExpectNothingChanged();
  }
}

// A download whose target is a script is checked like an update: only a good
// signature lets it replace anything. Other files are fetched as ever.
TEST(SignedUpdate, ADownloadedScriptNeedsItsSignatureOtherFilesDoNot) {
  Signed h;
  h.fake.urls[kAddress].body[30] ^= 1;
  EXPECT_EQ(h.Run(L"download \"" + kAddress + L"\" \"boot.scp\""), CommandResult::Error);
  EXPECT_EQ(h.BoxTexts(), Texts{L"Download failed. The script's signature does not match."});
  h.ExpectNothingChanged();
  h.fake.urls[kAddress].body[30] ^= 1;
  EXPECT_EQ(h.Run(L"download \"" + kAddress + L"\" \"BOOT.SCP\""), CommandResult::Ok);
  EXPECT_EQ(h.fake.Contents(kBoot), h.script);
  h.fake.urls[L"http://host/notes.txt"] = {200, "notes"};
  EXPECT_EQ(h.Run(L"download \"http://host/notes.txt\""), CommandResult::Ok);
  EXPECT_EQ(h.fake.Contents(kAppFolder + L"notes.txt"), "notes");
  EXPECT_EQ(h.fake.downloadPaths.size(), 5u) << "no signature asked for notes.txt";
}

// No command of a script, dropped or downloaded, changes the file that holds
// the key, under any name for it; without a key it is a file like others.
TEST(SignedUpdate, NoScriptChangesTheFileThatHoldsTheKey) {
  const std::wstring guard = L"Can't change 'velmora.ini' from a script: it holds the update key.";
  const std::wstring lines[] = {L"write \"PublicKey=\" \"velmora.ini\"",
                                L"write \"x\" \"sub\\..\\VELMORA.INI. \"",
                                L"write \"x\" \"C:/App/velmora.ini::$DATA\"",
                                L"download \"http://host/evil.ini\" \"velmora.ini\"",
                                L"delete file \"*.ini\"",
                                L"delete file \"velmora.ini\""};
  for (const std::wstring& line : lines) {
    Signed h;
    h.fake.AddFolder(kAppFolder + L"sub");
    h.fake.urls[L"http://host/evil.ini"] = {200, "[Updates]\r\nPublicKey=\r\n"};
    EXPECT_EQ(h.Run(line), CommandResult::Error) << line;
    EXPECT_EQ(h.BoxTexts(), Texts{guard}) << line;
    EXPECT_EQ(h.fake.Contents(kSettings), h.settings) << line;
  }
  // Answers go to the output file: that may not be it either.
  Signed h;
  h.Run(L"set outputFile \"velmora.ini\"");
  h.Run(L"answer \"Take it?\" with \"Yes\"");
  EXPECT_EQ(h.BoxTexts(), (Texts{L"Take it?", guard}));
  EXPECT_EQ(h.fake.Contents(kSettings), h.settings);
  // Without a key, scripts write the settings file as before.
  Harness plain;
  plain.fake.AddFile(kSettings, "[Updates]\r\n");
  EXPECT_EQ(ExecuteCommand(plain.app, L"write \"x\" \"velmora.ini\""), CommandResult::Ok);
  EXPECT_EQ(plain.fake.Contents(kSettings), "[Updates]\r\nx\r\n");
}

TEST(KeepUpdate, KeepsOnlyATakenScriptAndNeverHalfOfOne) {
  Harness h;
  h.fake.AddFile(kBoot, "old");
  EXPECT_EQ(ExecuteCommand(h.app, L"keep update"), CommandResult::Error);
  EXPECT_EQ(ExecuteCommand(h.app, L"keep boot"), CommandResult::Error);
  EXPECT_EQ(h.BoxTexts(), (Texts{L"Can't keep update: 'check' has taken no script.",
                                 L"Can't understand 'keep' command."}));
  h.app.download.TakenScript = "new";
  for (const auto& arrange : {+[](fake::FakePlatform& f) { f.diskFull = true; },
                              +[](fake::FakePlatform& f) { f.File(kBoot)->inUse = true; }}) {
    Harness failing;
    failing.fake.AddFile(kBoot, "old");
    failing.app.download.TakenScript = "new";
    arrange(failing.fake);
    EXPECT_EQ(ExecuteCommand(failing.app, L"keep update"), CommandResult::Error);
    EXPECT_EQ(failing.BoxTexts(), Texts{L"Can't write to file '" + kBoot + L"'."});
    EXPECT_EQ(failing.fake.Contents(kBoot), "old");
    EXPECT_EQ(failing.fake.FileNames(), Texts{kBoot});
  }
  EXPECT_EQ(ExecuteCommand(h.app, L"keep update"), CommandResult::Ok);
  EXPECT_EQ(h.fake.Contents(kBoot), "new");
}

// A check whose identifier cannot be kept for the next start takes nothing:
// it would be taken again at every start, reported as a success each time.
TEST(Check, AnIdentifierThatCannotBeKeptTakesNothing) {
  Signed h;
  h.fake.File(kSettings)->inUse = true;
  EXPECT_EQ(h.Check(), CommandResult::Error);
  EXPECT_EQ(h.BoxTexts(),
            Texts{L"Check URL: Can't keep the script's identifier in 'velmora.ini'."});
  h.fake.File(kSettings)->inUse = false;
  h.ExpectNothingChanged();
}

} // namespace
} // namespace velmora::testing
