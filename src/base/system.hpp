// System services: the Shlwapi version, the busy cursor, the shell's "open", and
// the centred About window.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.hpp"

namespace velmora {

bool IsShlwapi5OrLater(Platform& platform);
void SetCursorStyle(Platform& platform, const std::wstring& style);
void ShellOpen(Platform& platform, const std::wstring& target,
               const std::optional<std::wstring>& parameters = std::nullopt);
// Where a window of the given geometry is moved to be centred on the screen;
// none when it is minimised or maximised and stays where it is.
struct Position {
  int left = 0;
  int top = 0;
};
std::optional<Position> CenteredPosition(const FormGeometry& form);
void CenterForm(Platform& platform);
void ShowAboutWindow(Platform& platform);

} // namespace velmora
