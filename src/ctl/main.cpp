// velmoractl: checks Velmora scripts, and hands scripts and questions to a
// running Velmora from other programs. The command line is read here.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ctl/ask.hpp"
#include "ctl/check_command.hpp"
#include "ctl/console.hpp"
#include "ctl/encoding.hpp"
#include "ctl/keys.hpp"
#include "ctl/send.hpp"
#include "version.hpp"

namespace {

using namespace velmora::ctl;

constexpr int kBadUsage = 4;

constexpr const char* kUsage =
    "usage: velmoractl check [--quiet] [--format=text|json] FILE...\n"
    "       velmoractl send [--folder DIR] [--wait SECONDS] [--force] FILE.scp...\n"
    "       velmoractl ask [--folder DIR] [--icon info|question|warning|error]\n"
    "                      [--buttons OK|OKCancel|YesNo|YesNoCancel] [--title TEXT]\n"
    "                      [--timeout SECONDS] MESSAGE\n"
    "       velmoractl keygen [--key FILE]\n"
    "       velmoractl sign [--key FILE] FILE...\n"
    "       velmoractl verify [--folder DIR | --key LINE] FILE\n"
    "\n"
    "check  reads each script as Velmora loads it and reports its errors and the\n"
    "       traps that make it do something else than it says, as\n"
    "       FILE:LINE: error|warning: message [code]. --quiet prints errors only;\n"
    "       --format=json prints one JSON array of {file, line, severity, code,\n"
    "       message}. Exit status 0 without errors, 1 with errors, 2 when a file\n"
    "       cannot be read.\n"
    "send   drops each script into Velmora's folder under a new .scp name, never\n"
    "       half written. A script without an openScript block is refused unless\n"
    "       --force is given. --wait waits until Velmora has taken every script;\n"
    "       exit status 3 when it has not within that time.\n"
    "ask    shows MESSAGE in a box on the tray user's screen and prints the button\n"
    "       pressed: OK, Cancel, Yes or No (the answer also lands in output.txt,\n"
    "       as every answer does). Defaults: --icon question --buttons YesNo, no\n"
    "       time-out. Exit status 0 for OK or Yes, 1 for No, 2 for Cancel, 3 on\n"
    "       time-out.\n"
    "keygen makes the key pair of signed updates: writes the private key to FILE\n"
    "       (default %APPDATA%\\Velmora\\update-key.pem), never over an existing\n"
    "       one, and prints the PublicKey= line for velmora.ini's [Updates] section.\n"
    "sign   writes FILE.sig, the signature of each FILE made with the private key.\n"
    "verify checks FILE.sig with the key of velmora.ini in the folder, or the\n"
    "       PublicKey= LINE given. Exit status 0 good, 1 bad, 2 when the file, its\n"
    "       signature or the key cannot be read.\n"
    "\n"
    "The folder defaults to velmoractl's own, which is Velmora's in the package.\n"
    "Bad usage and I/O errors give exit status 4.\n";

// The arguments after the subcommand, taken one at a time.
class Arguments {
public:
  explicit Arguments(const std::vector<std::string>& all)
      : args_(all.begin() + std::min<std::ptrdiff_t>(all.size(), 2), all.end()) {}

  bool Done() const { return next_ >= args_.size(); }
  // The next argument is the option name (as "--name VALUE" or "--name=VALUE").
  bool Option(const std::string& name) {
    const std::string& arg = args_[next_];
    if (arg == name) {
      ++next_;
      value_ = next_ < args_.size() ? std::optional(args_[next_++]) : std::nullopt;
      return true;
    }
    if (arg.rfind(name + "=", 0) == 0) {
      ++next_;
      value_ = arg.substr(name.size() + 1);
      return true;
    }
    return false;
  }
  bool Flag(const std::string& name) {
    if (args_[next_] != name) {
      return false;
    }
    ++next_;
    return true;
  }
  const std::optional<std::string>& Value() const { return value_; }
  // The rest of the arguments; false when an unknown option is among them.
  bool Rest(std::vector<std::string>& rest) {
    bool optionsEnd = false;
    for (; next_ < args_.size(); ++next_) {
      const std::string& arg = args_[next_];
      if (!optionsEnd && arg == "--") {
        optionsEnd = true;
      } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
        return false;
      } else {
        rest.push_back(arg);
      }
    }
    return true;
  }
  bool AtOption() const { return args_[next_].size() > 1 && args_[next_][0] == '-'; }

private:
  std::vector<std::string> args_;
  std::size_t next_ = 0;
  std::optional<std::string> value_;
};

std::optional<double> Seconds(const std::optional<std::string>& text) {
  if (!text || text->empty()) {
    return std::nullopt;
  }
  char* end = nullptr;
  const double value = std::strtod(text->c_str(), &end);
  if (*end != '\0' || !(value >= 0)) {
    return std::nullopt;
  }
  return value;
}

int Usage(const std::string& problem) {
  StandardError() << "velmoractl: " << problem << "\n" << kUsage;
  return kBadUsage;
}

int Check(Arguments& args) {
  CheckOptions options;
  while (!args.Done() && args.AtOption()) {
    if (args.Flag("--quiet")) {
      options.errorsOnly = true;
    } else if (args.Option("--format")) {
      if (args.Value() != "text" && args.Value() != "json") {
        return Usage("--format takes text or json");
      }
      options.json = args.Value() == "json";
    } else {
      break;
    }
  }
  if (!args.Rest(options.files) || options.files.empty()) {
    return Usage("check takes its options and one or more script files");
  }
  return RunCheck(options, StandardOutput(), StandardError());
}

int Send(Arguments& args) {
  SendOptions options;
  options.folder = ProgramFolder();
  while (!args.Done() && args.AtOption()) {
    if (args.Option("--folder")) {
      if (!args.Value()) {
        return Usage("--folder takes a folder");
      }
      options.folder = PathFromArgument(*args.Value());
    } else if (args.Option("--wait")) {
      options.waitSeconds = Seconds(args.Value());
      if (!options.waitSeconds) {
        return Usage("--wait takes a number of seconds");
      }
    } else if (args.Flag("--force")) {
      options.force = true;
    } else {
      break;
    }
  }
  if (!args.Rest(options.files) || options.files.empty()) {
    return Usage("send takes its options and one or more script files");
  }
  return RunSend(options, StandardError());
}

int Ask(Arguments& args) {
  AskOptions options;
  options.folder = ProgramFolder();
  while (!args.Done() && args.AtOption()) {
    std::wstring* text = nullptr;
    if (args.Option("--folder")) {
      if (!args.Value()) {
        return Usage("--folder takes a folder");
      }
      options.folder = PathFromArgument(*args.Value());
      continue;
    }
    if (args.Option("--timeout")) {
      options.timeoutSeconds = Seconds(args.Value());
      if (!options.timeoutSeconds) {
        return Usage("--timeout takes a number of seconds");
      }
      continue;
    }
    if (args.Option("--icon")) {
      text = &options.icon;
    } else if (args.Option("--buttons")) {
      text = &options.buttons;
    } else if (args.Option("--title")) {
      text = &options.title;
    } else {
      break;
    }
    if (!args.Value()) {
      return Usage("an option lacks its value");
    }
    *text = DecodeArgument(*args.Value());
  }
  std::vector<std::string> rest;
  if (!args.Rest(rest) || rest.size() != 1) {
    return Usage("ask takes its options and one message");
  }
  options.message = DecodeArgument(rest.front());
  return RunAsk(options, StandardOutput(), StandardError());
}

int Keygen(Arguments& args, bool sign) {
  KeyOptions options;
  while (!args.Done() && args.AtOption() && args.Option("--key")) {
    if (!args.Value()) {
      return Usage("--key takes the private key's file");
    }
    options.keyFile = PathFromArgument(*args.Value());
  }
  if (!args.Rest(options.files) || options.files.empty() != !sign) {
    return Usage(sign ? "sign takes its options and one or more files"
                      : "keygen takes --key FILE and nothing else");
  }
  return sign ? RunSign(options, StandardError())
              : RunKeygen(options, StandardOutput(), StandardError());
}

int Verify(Arguments& args) {
  VerifyOptions options;
  options.folder = ProgramFolder();
  while (!args.Done() && args.AtOption()) {
    if (args.Option("--folder")) {
      if (!args.Value()) {
        return Usage("--folder takes a folder");
      }
      options.folder = PathFromArgument(*args.Value());
    } else if (args.Option("--key")) {
      if (!args.Value()) {
        return Usage("--key takes the public key line");
      }
      options.key = *args.Value();
    } else {
      break;
    }
  }
  std::vector<std::string> rest;
  if (!args.Rest(rest) || rest.size() != 1) {
    return Usage("verify takes its options and one file");
  }
  options.file = rest.front();
  return RunVerify(options, StandardOutput(), StandardError());
}

} // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all = ProgramArguments(argc, argv);
  const std::string command = all.size() > 1 ? all[1] : "";
  if (command == "--help" || command == "-h" || command == "help") {
    StandardOutput() << kUsage;
    return 0;
  }
  if (command == "--version") {
    StandardOutput() << "velmoractl " << VELMORA_VERSION_STRING << "\n";
    return 0;
  }
  Arguments args(all);
  if (command == "check") {
    return Check(args);
  }
  if (command == "send") {
    return Send(args);
  }
  if (command == "ask") {
    return Ask(args);
  }
  if (command == "keygen" || command == "sign") {
    return Keygen(args, command == "sign");
  }
  if (command == "verify") {
    return Verify(args);
  }
  return Usage(command.empty() ? "no command given" : "unknown command '" + command + "'");
}
