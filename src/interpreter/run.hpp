// Running a handler: its block found again in a slot text, line by line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app_state.hpp"
#include "interpreter/results.hpp"

namespace velmora {

RunResult RunHandler(App& app, std::wstring slotText, std::wstring_view name, Mode mode,
                     const std::optional<std::wstring>& switchValue = std::nullopt);
std::wstring HandlerBody(std::wstring_view text);

} // namespace velmora
