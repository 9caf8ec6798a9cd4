// Scripts as the program holds them once it has read their files.
#include "ctl/script_file.hpp"

#include "base/encoding.hpp"
#include "base/text.hpp"

namespace velmora::ctl {

std::wstring ScriptText(std::string_view bytes) {
  return NormalizeLineEnds(DecodeText(bytes));
}

} // namespace velmora::ctl
