// Running a handler: its block found again in a slot text, line by line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app_state.hpp"
#include "interpreter/results.hpp"

namespace velmora {

RunResult RunHandler(App& app, std::wstring_view slotText, std::wstring_view name, Mode mode,
                     const std::optional<std::wstring>& switchValue = std::nullopt);
// The handler's command lines, joined with CR LF; keptLines, when given,
// receives the number of each line of the text that was kept.
std::wstring HandlerBody(std::wstring_view text, std::vector<int>* keptLines = nullptr);
// The first two words of a line, compacted and lower-cased: what tells an
// opening ("on x") or closing ("end x") line.
std::wstring LineHead(std::wstring_view line);

} // namespace velmora
