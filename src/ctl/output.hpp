// Where a command's texts go: UTF-8 bytes, each written as it comes, to
// standard output or error (ctl/console.hpp) or to a text a test reads.
#pragma once

#include <string_view>

namespace velmora::ctl {

class Output {
public:
  virtual ~Output() = default;

  Output& operator<<(std::string_view bytes) {
    Write(bytes);
    return *this;
  }
  // A number as a C++ stream writes one: at most six significant digits,
  // an exponent for the very large and the very small ("1e+06").
  Output& operator<<(double number);
  // A character would otherwise be written as its number.
  Output& operator<<(char) = delete;

protected:
  virtual void Write(std::string_view bytes) = 0;
};

} // namespace velmora::ctl
