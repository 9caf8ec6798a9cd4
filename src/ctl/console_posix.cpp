// Standard output and error elsewhere than Windows: the C library's streams.
#include <cstdio>

#include "ctl/console.hpp"

namespace velmora::ctl {

namespace {

class StreamOutput final : public Output {
public:
  explicit StreamOutput(std::FILE* stream) : stream_(stream) {}

protected:
  void Write(std::string_view bytes) override {
    std::fwrite(bytes.data(), 1, bytes.size(), stream_);
  }

private:
  std::FILE* stream_;
};

} // namespace

Output& StandardOutput() {
  static StreamOutput out(stdout);
  return out;
}

Output& StandardError() {
  static StreamOutput err(stderr);
  return err;
}

} // namespace velmora::ctl
