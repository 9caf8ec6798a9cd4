// A fresh program over a fresh fake Windows, for behaviour tests.
#pragma once

#include <string>

#include "app_state.hpp"
#include "fake/fake_platform.hpp"
#include "host/host.hpp"

namespace velmora::testing {

// The fake's application folder, with its trailing backslash.
inline const std::wstring kAppFolder = L"C:\\App\\";

// Script text from lines, joined with CR LF as a script file holds them.
inline std::wstring Script(std::initializer_list<const wchar_t*> lines) {
  std::wstring text;
  for (const wchar_t* line : lines) {
    if (!text.empty()) {
      text += L"\r\n";
    }
    text += line;
  }
  return text;
}

// The same as bytes of a file in the fake's ANSI code page.
inline std::string Bytes(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    bytes += static_cast<char>(c < 256 ? c : L'?');
  }
  return bytes;
}

struct Harness {
  fake::FakePlatform fake{L"C:\\App"};
  App app{fake};

  Harness() {
    fake.onTick = [this](TimerId timer) { DeliverTick(app, timer); };
  }

  // Messages shown in boxes, in order.
  std::vector<std::wstring> BoxTexts() const {
    std::vector<std::wstring> texts;
    for (const auto& box : fake.boxes) {
      texts.push_back(box.text);
    }
    return texts;
  }
};

} // namespace velmora::testing
