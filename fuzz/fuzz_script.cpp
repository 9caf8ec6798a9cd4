// Loads arbitrary bytes as the start-up script and delivers every event the
// program can receive, over the fake: nothing may crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fake/fake_platform.hpp"
#include "host/host.hpp"
#include "interpreter/handlers.hpp"
#include "interpreter/run.hpp"
#include "systray/tray.hpp"

namespace {

using velmora::App;
using velmora::Mode;
using velmora::TimerId;

constexpr std::intptr_t kCallbackCodes[] = {513, 514, 515, 516, 517, 518, 1026, 1027, 1028, 1029};

void Drive(const std::string& script) {
  velmora::fake::FakePlatform fake(L"C:\\App");
  App app(fake);
  fake.onTick = [&app](TimerId timer) { velmora::DeliverTick(app, timer); };
  // Boxes are answered in turn with each button a box can give.
  int answer = 0;
  fake.onMessageBox = [&answer](const velmora::fake::MessageBoxCall&) -> std::optional<int> {
    static constexpr int kButtons[] = {velmora::kButtonOk, velmora::kButtonCancel,
                                       velmora::kButtonYes, velmora::kButtonNo};
    return kButtons[answer++ % 4];
  };
  fake.AddFile(L"C:\\App\\boot.scp", script);
  fake.AddFile(L"C:\\App\\icon.ico", "picture");
  fake.AddFile(L"C:\\App\\other.png", "picture");
  // Downloads and update checks fetch the same script, or fail.
  fake.urls[L"http://example.test/boot.scp"] = {200, script};
  fake.urls[L"http://example.test/missing"] = {404, "not found"};
  velmora::StartUp(app);
  for (const std::intptr_t code : kCallbackCodes) {
    velmora::TrayWindowProc(app, code);
  }
  // The same script dropped again runs through the command drop.
  fake.AddFile(L"C:\\App\\drop.scp", script);
  fake.AdvanceClock(1000);
  for (const velmora::HandlerName& handler : velmora::kHandlerNames) {
    const std::wstring text = app.handlers[handler.slot];
    velmora::RunHandler(app, text, handler.name, Mode::Optional);
    velmora::RunHandler(app, text, handler.name, Mode::Optional, std::wstring(L"Open"));
  }
  for (int item = 0; item <= static_cast<int>(app.menu.MenuItems.size()); ++item) {
    velmora::mFile_Click(app, item);
  }
  velmora::Form_Unload(app);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Drive(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
