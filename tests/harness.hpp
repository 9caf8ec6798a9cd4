// A fresh program over a fresh fake Windows, for behaviour tests.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "app_state.hpp"
#include "fake/fake_platform.hpp"
#include "host/host.hpp"

namespace velmora::testing {

using Texts = std::vector<std::wstring>;

// The fake's application folder, with its trailing backslash.
inline const std::wstring kAppFolder = L"C:\\App\\";
// The output file while no script has chosen another.
inline const std::wstring kOutput = kAppFolder + L"output.txt";

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

// A handler block: the opening line, the body lines and the closing line.
inline std::wstring Block(const std::wstring& name, const Texts& body) {
  std::wstring text = L"on " + name;
  for (const std::wstring& line : body) {
    text += L"\r\n" + line;
  }
  return text + L"\r\nend " + name;
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
  Texts BoxTexts() const {
    Texts texts;
    for (const auto& box : fake.boxes) {
      texts.push_back(box.text);
    }
    return texts;
  }

  // Captions of the boxes shown, in order.
  Texts Captions() const {
    Texts captions;
    for (const auto& box : fake.boxes) {
      captions.push_back(box.caption);
    }
    return captions;
  }
};

} // namespace velmora::testing
