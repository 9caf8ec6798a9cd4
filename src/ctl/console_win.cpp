// Standard output and error on Windows. On a console, text goes out through
// WriteConsoleW, which shows any character the console's font has, whatever
// its code page. Output redirected to a pipe or a file is UTF-8: the only
// encoding that carries every text, and what PowerShell 7 reads by default;
// PowerShell 5 reads it once [Console]::OutputEncoding is UTF-8, a batch
// file's "for /f" after "chcp 65001". The words that ask prints and the exit
// statuses are plain ASCII, the same in every code page.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/encoding.hpp"
#include "ctl/console.hpp"

namespace velmora::ctl {

namespace {

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

// Standard output or error: UTF-16 to a console, else the bytes to the C
// runtime's stream (which ends lines with CR LF, as the stream is in text
// mode). Nothing waits in a buffer on a console, so the two streams keep
// their order there; only the first bytes of a character split between two
// writes wait for the rest.
class StandardStream final : public Output {
public:
  StandardStream(DWORD id, std::FILE* stream) : handle_(GetStdHandle(id)), stream_(stream) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
               GetConsoleMode(handle_, &mode) != 0;
  }

protected:
  void Write(std::string_view bytes) override {
    if (!console_) {
      std::fwrite(bytes.data(), 1, bytes.size(), stream_);
      return;
    }
    pending_ += bytes;
    const std::size_t whole = WholeSequences(pending_);
    const std::wstring text =
        DecodeText(std::string_view(pending_).substr(0, whole), TextEncoding::Utf8);
    pending_.erase(0, whole);
    ShowOnConsole(text);
  }

private:
  // Older consoles take a limited amount at once; a surrogate pair is never
  // split between two calls.
  static constexpr std::size_t kChunkUnits = 8192;

  void ShowOnConsole(const std::wstring& text) {
    for (std::size_t done = 0; done < text.size();) {
      std::size_t chunk = std::min(kChunkUnits, text.size() - done);
      if (done + chunk < text.size() && IS_HIGH_SURROGATE(text[done + chunk - 1])) {
        --chunk;
      }
      DWORD written = 0;
      if (!WriteConsoleW(handle_, text.data() + done, static_cast<DWORD>(chunk), &written,
                         nullptr) ||
          written == 0) {
        return;
      }
      done += written;
    }
  }

  HANDLE handle_;
  std::FILE* stream_;
  bool console_ = false;
  std::string pending_;
};

} // namespace

Output& StandardOutput() {
  static StandardStream out(STD_OUTPUT_HANDLE, stdout);
  return out;
}

Output& StandardError() {
  static StandardStream err(STD_ERROR_HANDLE, stderr);
  return err;
}

} // namespace velmora::ctl
