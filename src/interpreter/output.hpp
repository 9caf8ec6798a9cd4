// The output file, through which results reach the programs that wait for
// them, and the last result that a switch compares.
#pragma once

#include <string>

#include "app_state.hpp"

namespace velmora {

// Appends a result to the output file and makes it the last result.
void WriteOutput(App& app, const std::wstring& text);

} // namespace velmora
