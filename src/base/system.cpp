// System services over the platform: the Shlwapi version, cursor, shell, About window.
#include "base/system.hpp"

#include <cmath>

namespace velmora {

namespace {
constexpr std::uint32_t kIdcAppStarting = 32650;
} // namespace

bool IsShlwapi5OrLater(Platform& platform) {
  return platform.ShlwapiMajorVersion() >= 5;
}

void SetCursorStyle(Platform& platform, const std::wstring& style) {
  // Only the exact word selects the busy arrow. Any other style puts back the
  // user's own cursor scheme rather than a plain arrow over it.
  if (style == L"Hourglass") {
    platform.SetSystemArrowCursor(kIdcAppStarting);
    return;
  }
  platform.RestoreSystemCursors();
}

void ShellOpen(Platform& platform, const std::wstring& target,
               const std::optional<std::wstring>& parameters) {
  platform.ShellExecuteOpen(target, parameters);
}

std::optional<Position> CenteredPosition(const FormGeometry& form) {
  if (form.minimized || form.maximized) {
    return std::nullopt;
  }
  // The top is cut towards zero; the left is rounded half to even.
  const int top = (form.screenHeight - form.height) / 2;
  const int left = static_cast<int>(std::nearbyint((form.screenWidth - form.width) / 2.0));
  return Position{left, top};
}

void CenterForm(Platform& platform) {
  if (const auto position = CenteredPosition(platform.AboutWindowGeometry())) {
    platform.MoveAboutWindow(position->left, position->top);
  }
}

void ShowAboutWindow(Platform& platform) {
  platform.DefaultBeep();
  platform.CreateAboutWindow();
  CenterForm(platform);
  platform.ShowAboutWindowModeless();
}

} // namespace velmora
