// End-to-end: signed updates with the key in velmora.ini, against a loopback
// server, with a script and signature the openssl command made at build time.
#include <windows.h>

#include <gtest/gtest.h>

#include "http_server.hpp"
#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

std::string Signed(const std::string& name) {
  return FileText(BesideTestProgram("signed\\" + name));
}

// A tampered update is refused and changes nothing; the genuine one is
// taken, kept as boot.scp from the very bytes checked, and runs again at
// the next start.
TEST(SignedUpdate, AGoodOneIsKeptAcrossARestartATamperedOneChangesNothing) {
  const std::string script = Signed("latest.scp");
  const std::string signature = Signed("latest.scp.sig");
  ASSERT_FALSE(script.empty());
  std::string tampered = script;
  tampered[tampered.find("signed script 2")] = 'S';
  HttpServer server({{"/tampered.scp", {200, tampered}},
                     {"/tampered.scp.sig", {200, signature}},
                     {"/latest.scp", {200, script}},
                     {"/latest.scp.sig", {200, signature}}});
  const std::string boot =
      ScriptText({"on openScript", "set scriptID \"1\"", "set silentErrors true",
                  "write \"running script 1\"", "end openScript"});
  VelmoraProcess velmora(boot);
  const std::string settings = "[Updates]\r\nPublicKey=" + Signed("update-key.txt") + "\r\n";
  velmora.WriteAppFile("velmora.ini", settings);
  ASSERT_TRUE(velmora.Start());
  const auto update = [&](const std::string& path) {
    return ScriptText({"on openScript", "check \"" + server.Url(path) + "\"", "switch result",
                       "case \"different\"", "keep update", "end switch", "end openScript"});
  };

  ASSERT_TRUE(velmora.Drop("update.scp", update("/tampered.scp")));
  EXPECT_EQ(
      velmora.WaitForLines("errors.log", {"Check URL: The script's signature does not match."}),
      Lines{"Check URL: The script's signature does not match."});
  EXPECT_EQ(FileText(velmora.AppPath("velmora.ini")), settings);
  EXPECT_EQ(FileText(velmora.AppPath("boot.scp")), boot);
  EXPECT_EQ(velmora.AppFileLines("output.txt"), Lines{"running script 1"});

  ASSERT_TRUE(velmora.Drop("update.scp", update("/latest.scp")));
  const Lines ran = {"running script 1", "running signed script 2"};
  EXPECT_EQ(velmora.WaitForLines("output.txt", ran), ran);
  ASSERT_TRUE(WaitUntil([&] { return FileText(velmora.AppPath("boot.scp")) == script; }));
  EXPECT_EQ(velmora.AppFileLines("velmora.ini"),
            (Lines{"[Updates]", "PublicKey=" + Signed("update-key.txt"), "LastID=2"}));
  EXPECT_EQ(server.Requests(),
            (Lines{"/tampered.scp", "/tampered.scp.sig", "/latest.scp", "/latest.scp.sig"}))
      << "keeping the update fetches nothing again";
  EXPECT_EQ(velmora.AppFiles(),
            (Lines{"boot.scp", "errors.log", "output.txt", "velmora.exe", "velmora.ini"}));

  ASSERT_TRUE(velmora.Drop("quit.scp", ScriptText({"on openScript", "quit", "end openScript"})));
  EXPECT_EQ(velmora.WaitForExit(), 0u);
  ASSERT_TRUE(velmora.Start());
  const Lines again = {"running script 1", "running signed script 2", "running signed script 2"};
  EXPECT_EQ(velmora.WaitForLines("output.txt", again), again);
}

// velmoractl makes keys and signatures with Windows' own cryptography that
// velmora.exe takes, and reads a signature the openssl command made.
TEST(SignedUpdate, VelmoractlSignsWhatVelmoraTakesAndReadsWhatOpensslSigned) {
  VelmoraProcess velmora(ScriptText(
      {"on openScript", "set scriptID \"1\"", "set silentErrors true", "end openScript"}));
  const fs::path key = velmora.Folder().parent_path() / "owner.pem";
  const fs::path script = velmora.Folder().parent_path() / "latest.scp";
  const auto ctl = [](const std::string& arguments) {
    Child child("\"" + ProgramPath("velmoractl.exe").u8string() + "\" " + arguments);
    return child.Finish() ? std::make_pair(child.exitCode, child.output)
                          : std::make_pair(DWORD{99}, std::string("did not finish"));
  };
  const std::string keyArgument = "--key \"" + key.u8string() + "\"";

  const auto [made, keygenOutput] = ctl("keygen " + keyArgument);
  ASSERT_EQ(made, 0u) << keygenOutput;
  const std::size_t at = keygenOutput.find("PublicKey=");
  ASSERT_NE(at, std::string::npos) << keygenOutput;
  const std::string keyLine = keygenOutput.substr(at, keygenOutput.find('\n', at) - at);
  const std::string pem = FileText(key);
  EXPECT_EQ(ctl("keygen " + keyArgument).first, 4u);
  EXPECT_EQ(FileText(key), pem) << "a key is never overwritten";

  std::ofstream(script, std::ios::binary)
      << ScriptText({"on openScript", "set scriptID \"3\"",
                     "write \"running a script velmoractl signed\"", "end openScript"});
  ASSERT_EQ(ctl("sign " + keyArgument + " \"" + script.u8string() + "\"").first, 0u);
  velmora.WriteAppFile("velmora.ini", "[Updates]\r\n" + keyLine + "\r\n");
  const std::string quoted = " \"" + script.u8string() + "\"";
  EXPECT_EQ(ctl("verify --folder \"" + velmora.Folder().u8string() + "\"" + quoted).first, 0u);
  const std::string fixture = " \"" + BesideTestProgram("signed\\latest.scp").u8string() + "\"";
  const std::string opensslKey = "--key " + Signed("update-key.txt");
  EXPECT_EQ(ctl("verify " + opensslKey + fixture).first, 0u);
  EXPECT_EQ(ctl("verify " + opensslKey + quoted).first, 1u);

  HttpServer server({{"/latest.scp", {200, FileText(script)}},
                     {"/latest.scp.sig", {200, FileText(script.u8string() + ".sig")}}});
  ASSERT_TRUE(velmora.Start());
  ASSERT_TRUE(velmora.Drop(
      "update.scp", ScriptText({"on openScript", "check \"" + server.Url("/latest.scp") + "\"",
                                "end openScript"})));
  EXPECT_EQ(velmora.WaitForLines("output.txt", {"running a script velmoractl signed"}),
            Lines{"running a script velmoractl signed"});
}

} // namespace
} // namespace velmora::e2e
