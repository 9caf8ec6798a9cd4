// Script texts: cutting them into handler blocks and filling the handler table.
#pragma once

#include <string>
#include <string_view>

#include "app_state.hpp"
#include "interpreter/results.hpp"

namespace velmora {

// What ExtractHandler gives for a block that is there but malformed.
inline const std::wstring kIncomplete = L"incomplete";

std::wstring CompactSpaces(std::wstring_view text);
std::wstring ExtractHandler(App& app, std::wstring_view name, std::wstring_view text, Mode mode);
std::wstring RemoveHandlerBlock(std::wstring_view name, std::wstring_view text);
void ParseScript(App& app, std::wstring_view text);

} // namespace velmora
