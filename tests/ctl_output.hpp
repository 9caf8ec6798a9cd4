// velmoractl tests: a command's output kept as a text to compare.
#pragma once

#include <string>
#include <string_view>

#include "ctl/output.hpp"

namespace velmora::ctl {

class TextOutput final : public Output {
public:
  const std::string& str() const { return text_; }
  void clear() { text_.clear(); }

protected:
  void Write(std::string_view bytes) override { text_ += bytes; }

private:
  std::string text_;
};

} // namespace velmora::ctl
