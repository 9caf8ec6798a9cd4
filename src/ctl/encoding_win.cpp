// Arguments, console output and the program's folder on Windows. Arguments
// are read from the wide command line, so that a message or a path in any
// script arrives whole whatever the ANSI code page.
//
// Console output: on a console, text goes out through WriteConsoleW, which
// shows any character the console's font has, whatever its code page. Output
// redirected to a pipe or a file is UTF-8: the only encoding that carries
// every text, and what PowerShell 7 reads by default; PowerShell 5 reads it
// once [Console]::OutputEncoding is UTF-8, a batch file's "for /f" after
// "chcp 65001". The words that ask prints and the exit statuses are plain
// ASCII, the same in every code page.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <iostream>
#include <streambuf>
#include <utility>

#include "base/encoding.hpp"
#include "ctl/encoding.hpp"
#include "platform/ansi.hpp"

namespace velmora::ctl {

namespace {

// UTF-8 both ways, by the same rules as a script's text.
std::string ToUtf8(std::wstring_view text) {
  return EncodeText(text, TextEncoding::Utf8);
}

std::wstring FromUtf8(std::string_view text) {
  return DecodeText(text, TextEncoding::Utf8);
}

// How many of the bytes form whole UTF-8 sequences: the first bytes of a
// character whose last bytes have not come yet are left out.
std::size_t WholeSequences(std::string_view bytes) {
  for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if (byte >> 6 == 2) {
      continue; // a continuation byte: its lead is further back
    }
    const std::size_t length = byte >> 5 == 6 ? 2 : byte >> 4 == 14 ? 3 : byte >> 3 == 30 ? 4 : 1;
    return length > back ? bytes.size() - back : bytes.size();
  }
  return bytes.size();
}

// Standard output or error on a console: UTF-8 in, UTF-16 to the console.
// Unbuffered, so the two streams keep their order; only the first bytes of a
// character split between two writes wait for the rest.
class ConsoleBuffer final : public std::streambuf {
public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
      return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    return Write(std::string_view(&byte, 1)) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    return Write(std::string_view(text, static_cast<std::size_t>(count))) ? count : 0;
  }

private:
  // Older consoles take a limited amount at once; a surrogate pair is never
  // split between two calls.
  static constexpr std::size_t kChunkUnits = 8192;

  bool Write(std::string_view bytes) {
    pending_ += bytes;
    const std::size_t whole = WholeSequences(pending_);
    const std::wstring text = FromUtf8(std::string_view(pending_).substr(0, whole));
    pending_.erase(0, whole);
    for (std::size_t done = 0; done < text.size();) {
      std::size_t chunk = std::min(kChunkUnits, text.size() - done);
      if (done + chunk < text.size() && IS_HIGH_SURROGATE(text[done + chunk - 1])) {
        --chunk;
      }
      DWORD written = 0;
      if (!WriteConsoleW(console_, text.data() + done, static_cast<DWORD>(chunk), &written,
                         nullptr) ||
          written == 0) {
        return false;
      }
      done += written;
    }
    return true;
  }

  HANDLE console_;
  std::string pending_;
};

} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    // Only when memory runs out: the C runtime's arguments, in the ANSI code page.
    for (int i = 0; i < argc; ++i) {
      arguments.push_back(ToUtf8(FromAnsi(argv[i])));
    }
    return arguments;
  }
  for (int i = 0; i < count; ++i) {
    arguments.push_back(ToUtf8(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

void PrepareConsoleOutput() {
  for (const auto& [stream, id] :
       {std::pair{&std::cout, STD_OUTPUT_HANDLE}, std::pair{&std::cerr, STD_ERROR_HANDLE}}) {
    const HANDLE handle = GetStdHandle(id);
    DWORD mode = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
      // Never freed: the streams flush through their buffers after main
      // returns, until the process ends.
      stream->rdbuf(new ConsoleBuffer(handle));
    }
  }
}

std::wstring DecodeArgument(std::string_view argument) {
  return FromUtf8(argument);
}

std::string EncodeConsole(std::wstring_view text) {
  return ToUtf8(text);
}

std::filesystem::path PathFromArgument(const std::string& argument) {
  return std::filesystem::path(DecodeArgument(argument));
}

std::string DisplayPath(const std::filesystem::path& path) {
  return ToUtf8(path.wstring());
}

std::filesystem::path ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return std::filesystem::path(path).parent_path();
}

} // namespace velmora::ctl
