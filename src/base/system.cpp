// System services over the platform: the Shlwapi version, cursor, shell, About window.
#include "base/system.hpp"

#include <cmath>

namespace velmora {

namespace {
constexpr std::uint32_t kIdcAppStarting = 32650;
} // namespace

bool IsShlwapi5OrLater(App& app) {
  return app.platform.ShlwapiMajorVersion() >= 5;
}

void SetCursorStyle(App& app, const std::wstring& style) {
  // Only the exact word selects the busy arrow. Any other style puts back the
  // user's own cursor scheme rather than a plain arrow over it.
  if (style == L"Hourglass") {
    app.platform.SetSystemArrowCursor(kIdcAppStarting);
    return;
  }
  app.platform.RestoreSystemCursors();
}

void ShellOpen(App& app, const std::wstring& target,
               const std::optional<std::wstring>& parameters) {
  app.platform.ShellExecuteOpen(target, parameters);
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

void CenterForm(App& app) {
  if (const auto position = CenteredPosition(app.platform.AboutWindowGeometry())) {
    app.platform.MoveAboutWindow(position->left, position->top);
  }
}

void ShowAboutWindow(App& app) {
  app.platform.DefaultBeep();
  app.platform.CreateAboutWindow();
  CenterForm(app);
  app.platform.ShowAboutWindowModeless();
}

} // namespace velmora
