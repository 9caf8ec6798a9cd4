// A fresh program over a fresh fake Windows, for behaviour tests, with the interpreter's entry
// points that run script lines and what the lines did.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

#include "app_state.hpp"
#include "base/encoding.hpp"
#include "fake/fake_platform.hpp"
#include "host/host.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/run.hpp"
#include "systray/tray.hpp"

namespace velmora::testing {

using Texts = std::vector<std::wstring>;
// A box as shown: text, caption and style.
using Box = std::tuple<std::wstring, std::wstring, std::uint32_t>;

// The fake's application folder, with its trailing backslash, and the output file while no script
// has chosen another.
inline const std::wstring kAppFolder = L"C:\\App\\";
inline const std::wstring kOutput = kAppFolder + L"output.txt";
inline constexpr TimerId kEveryTimer[] = {TimerId::Swap, TimerId::Poll, TimerId::TimerEvent};

// Script text written as one line with | where its lines break.
inline std::wstring Piped(std::wstring_view piped) {
  std::wstring text(piped);
  for (std::size_t at = text.find(L'|'); at != std::wstring::npos; at = text.find(L'|', at)) {
    text.replace(at, 1, L"\r\n");
  }
  return text;
}

// Texts joined with |, to compare lists in one line.
inline std::wstring Joined(const Texts& texts) {
  std::wstring joined;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    joined += (i == 0 ? L"" : L"|") + texts[i];
  }
  return joined;
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

// The same as the bytes of a UTF-16 LE file behind its mark.
inline std::string Utf16Le(const std::wstring& text) {
  return std::string(kUtf16LeMark) + EncodeText(text, TextEncoding::Utf16Le);
}

// The tooltip texts sent to the shell, in order; a balloon or an icon tick sends none. Lines
// `set tooltip "<mark>"` serve as markers of which lines ran.
inline Texts Tips(const fake::FakePlatform& fake) {
  Texts tips;
  for (const auto& call : fake.trayCalls) {
    if (call.message == kNimModify && call.record.uFlags == kNifMessageIconTip) {
      tips.emplace_back(call.record.szTip.c_str());
    }
  }
  return tips;
}

// Every handler slot's text, in slot order.
inline Texts Handlers(const App& app) {
  Texts texts;
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    texts.push_back(app.handlers[static_cast<Slot>(i)]);
  }
  return texts;
}

// Every timer running, so that the quit sequence has something to stop.
inline void StartAllTimers(fake::FakePlatform& fake) {
  for (const TimerId timer : kEveryTimer) {
    fake.Timer(timer).enabled = true;
  }
}

// The quit sequence: normal cursor back, every timer off, the icon removed and one close request
// posted.
inline void ExpectShutDownStarted(fake::FakePlatform& fake) {
  EXPECT_EQ(fake.cursorRestores, 1);
  for (const TimerId timer : kEveryTimer) {
    EXPECT_FALSE(fake.Timer(timer).enabled) << static_cast<int>(timer);
  }
  int deletes = 0;
  for (const auto& call : fake.trayCalls) {
    deletes += call.message == 2 ? 1 : 0;
  }
  EXPECT_EQ(deletes, 1);
  EXPECT_EQ(fake.closePosts, 1);
}

struct Harness {
  fake::FakePlatform fake{L"C:\\App"};
  App app{fake};

  Harness() {
    fake.onTick = [this](TimerId timer) { DeliverTick(app, timer); };
  }

  // Messages shown in boxes, in order.
  Texts BoxTexts() const { return Each(&fake::MessageBoxCall::text); }
  // Captions of the boxes shown, in order.
  Texts Captions() const { return Each(&fake::MessageBoxCall::caption); }

  std::vector<Box> Boxes() const {
    std::vector<Box> boxes;
    for (const auto& box : fake.boxes) {
      boxes.emplace_back(box.text, box.caption, box.style);
    }
    return boxes;
  }

private:
  Texts Each(std::wstring fake::MessageBoxCall::*field) const {
    Texts texts;
    for (const auto& box : fake.boxes) {
      texts.push_back(box.*field);
    }
    return texts;
  }
};

// What the user saw, in one line: each tooltip sent, each box as "caption: text" and each beep.
inline std::wstring Shown(const Harness& h) {
  std::wstring shown;
  for (const std::wstring& tip : Tips(h.fake)) {
    shown += L"tip " + tip + L"; ";
  }
  for (const auto& box : h.fake.boxes) {
    shown += box.caption + L": " + box.text + L"; ";
  }
  for (int i = 0; i < h.fake.beeps; ++i) {
    shown += L"beep; ";
  }
  return shown;
}

// One line run on its own in a fresh program: the tooltip it sets and the report it makes, if any;
// it touches no file and no handler.
inline void ExpectLine(const wchar_t* line, const wchar_t* tip, const wchar_t* report) {
  SCOPED_TRACE(line);
  Harness h;
  EXPECT_EQ(ExecuteCommand(h.app, line), *report ? CommandResult::Error : CommandResult::Ok);
  EXPECT_EQ(Joined(Tips(h.fake)), tip);
  EXPECT_EQ(h.fake.trayCalls.size(), *tip ? 1u : 0u);
  EXPECT_EQ(h.Boxes(), (*report ? std::vector<Box>{{report, L"Parsing Error", kBoxIconError}}
                                : std::vector<Box>{}));
  EXPECT_EQ(h.fake.FileNames(), Texts{});
  EXPECT_EQ(Handlers(h.app), Texts(kSlotCount));
}

} // namespace velmora::testing
