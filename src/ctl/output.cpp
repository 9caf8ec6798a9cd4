// Numbers written to an output.
#include "ctl/output.hpp"

#include <cstdio>

namespace velmora::ctl {

Output& Output::operator<<(double number) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%g", number);
  Write(std::string_view(text, length > 0 ? static_cast<std::size_t>(length) : 0));
  return *this;
}

} // namespace velmora::ctl
