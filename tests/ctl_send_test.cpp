// velmoractl send and ask at the folder: what lies in it after each failure,
// the messages that name the failure, and scripts that arrive whole.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>

#include "ctl/ask.hpp"
#include "ctl/drop.hpp"
#include "ctl/file_system.hpp"
#include "ctl/send.hpp"
#include "ctl_output.hpp"

namespace velmora::ctl {
namespace {

namespace fs = std::filesystem;

const std::string kScript = "on openScript\r\nbeep\r\nend openScript\r\n";

// An application folder and a folder of scripts to send, the test's own.
class SendFolders : public ::testing::Test {
protected:
  SendFolders() {
    fs::create_directories(app_);
    fs::create_directories(sources_);
  }
  ~SendFolders() override { fs::remove_all(root_); }

  std::string Source(const std::string& name, const std::string& bytes) {
    std::ofstream(sources_ / name, std::ios::binary) << bytes;
    return (sources_ / name).string();
  }
  // The files in the application folder, by name, with their bytes.
  std::map<std::string, std::string> AppFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(app_)) {
      files[entry.path().filename().string()] =
          entry.is_regular_file() ? ReadFileBytes(entry.path()).value_or("?") : "<folder>";
    }
    return files;
  }

  const fs::path root_ = fs::temp_directory_path() / UniqueName("velmoractl-send-test");
  const fs::path app_ = root_ / "app";
  const fs::path sources_ = root_ / "sources";
  TextOutput err_;
};

TEST_F(SendFolders, NothingIsDroppedUnlessEveryScriptCanBeSent) {
  const std::string good = Source("good.scp", kScript);
  const std::string noOpen = Source("click.scp", "on click\r\nbeep\r\nend click\r\n");
  const std::string missing = (sources_ / "missing.scp").string();
  const struct {
    std::vector<std::string> files;
    std::string message;
  } rows[] = {
      {{good, noOpen},
       noOpen + " has no complete openScript block, so Velmora would run its last openScript "
                "handler once more instead; use --force to send it anyway"},
      {{good, missing}, "cannot read " + missing},
      {{good, sources_.string()}, "cannot read " + sources_.string()},
  };
  for (const auto& row : rows) {
    err_.clear();
    EXPECT_EQ(RunSend({app_.string(), std::nullopt, false, row.files}, err_), kSendFailed);
    EXPECT_EQ(err_.str(), "velmoractl: " + row.message + "\n");
    EXPECT_TRUE(AppFiles().empty()) << row.message;
  }
  err_.clear();
  EXPECT_EQ(RunSend({(root_ / "nowhere").string(), std::nullopt, false, {good}}, err_),
            kSendFailed);
  EXPECT_EQ(err_.str(), "velmoractl: " + (root_ / "nowhere").string() + " is not a folder\n");
}

TEST_F(SendFolders, EachScriptArrivesWholeUnderANameOfItsOwn) {
  const std::string noOpen = "on click\r\nbeep\r\nend click\r\n";
  const std::vector<std::string> files = {Source("a.scp", kScript), Source("b.scp", noOpen)};
  EXPECT_EQ(RunSend({app_.string(), std::nullopt, true, files}, err_), kSendDone);
  EXPECT_EQ(err_.str(), "");
  const std::map<std::string, std::string> dropped = AppFiles();
  ASSERT_EQ(dropped.size(), 2u);
  std::multiset<std::string> contents;
  const std::regex name("velmoractl-send(-[0-9a-f]+){4}\\.scp");
  for (const auto& [file, bytes] : dropped) {
    EXPECT_TRUE(std::regex_match(file, name)) << file;
    contents.insert(bytes);
  }
  EXPECT_EQ(contents, (std::multiset<std::string>{kScript, noOpen}));
}

// Nothing takes the scripts here: the wait runs out, names what it left, and
// leaves it whole for Velmora to take later.
TEST_F(SendFolders, AWaitThatRunsOutNamesTheScriptsLeft) {
  EXPECT_EQ(RunSend({app_.string(), 0.0, false, {Source("a.scp", kScript)}}, err_), kSendTimedOut);
  const std::map<std::string, std::string> left = AppFiles();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left.begin()->second, kScript);
  EXPECT_EQ(err_.str(), "velmoractl: Velmora did not take every script within 0 seconds (is it "
                        "running, with polling on?); left in the folder: " +
                            left.begin()->first + "\n");
}

TEST_F(SendFolders, ADropThatCannotBeWrittenLeavesNothing) {
  std::string problem;
  EXPECT_FALSE(DropScript((root_ / "nowhere").string(), kScript, "velmoractl-send", problem));
  EXPECT_TRUE(std::regex_match(problem, std::regex("cannot write " + (root_ / "nowhere").string() +
                                                   "/velmoractl-send(-[0-9a-f]+){4}\\.tmp")))
      << problem;
  EXPECT_FALSE(fs::exists(root_ / "nowhere"));
}

TEST_F(SendFolders, ARenameOntoAFolderKeepsTheFile) {
  std::ofstream(app_ / "a.tmp", std::ios::binary) << kScript;
  fs::create_directory(app_ / "a.scp");
  std::string reason;
  EXPECT_FALSE(RenameFile((app_ / "a.tmp").string(), (app_ / "a.scp").string(), reason));
  EXPECT_EQ(reason, "Is a directory");
  EXPECT_EQ(AppFiles(),
            (std::map<std::string, std::string>{{"a.scp", "<folder>"}, {"a.tmp", kScript}}));
  EXPECT_TRUE(RemoveFile((app_ / "a.tmp").string()));
  EXPECT_TRUE(RemoveFile((app_ / "a.tmp").string())) << "a file that is gone is removed";
}

TEST_F(SendFolders, AskStopsBeforeDroppingWhenItsAnswerCannotBeWritten) {
  std::ofstream(app_ / "answers") << "";
  TextOutput out;
  AskOptions options;
  options.folder = app_.string();
  options.timeoutSeconds = 0;
  options.message = L"Go?";
  EXPECT_EQ(RunAsk(options, out, err_), kAskFailed);
  EXPECT_EQ(err_.str(),
            "velmoractl: cannot create " + (app_ / "answers").string() + ": Not a directory\n");
  EXPECT_EQ(AppFiles(), (std::map<std::string, std::string>{{"answers", ""}}));
  EXPECT_EQ(out.str(), "");
}

// With no Velmora to answer, the question stays in the folder for it.
TEST_F(SendFolders, AskThatIsNotAnsweredInTimeSaysSo) {
  TextOutput out;
  AskOptions options;
  options.folder = app_.string();
  options.timeoutSeconds = 1e-7;
  options.message = L"Go?";
  EXPECT_EQ(RunAsk(options, out, err_), kAskTimedOut);
  EXPECT_EQ(err_.str(),
            "velmoractl: no answer within 1e-07 seconds (is Velmora running, with polling on?)\n");
  EXPECT_EQ(out.str(), "");
  const std::map<std::string, std::string> files = AppFiles();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files.at("answers"), "<folder>");
  EXPECT_NE(files.rbegin()->second.find("answer question \"Go?\" with \"YesNo\""),
            std::string::npos);
}

TEST(UniqueName, NoTwoCallsGiveTheSameName) {
  std::set<std::string> names;
  for (int i = 0; i < 100; ++i) {
    const std::string name = UniqueName("p");
    EXPECT_TRUE(std::regex_match(name, std::regex("p(-[0-9a-f]+){4}"))) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 100u);
}

} // namespace
} // namespace velmora::ctl
