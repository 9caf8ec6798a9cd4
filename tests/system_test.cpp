// The cursor, centring and the About window that show about opens.
#include <gtest/gtest.h>
#include <tuple>

#include "base/system.hpp"
#include "harness.hpp"

namespace velmora::testing {
namespace {

TEST(SetCursorStyle, OnlyTheExactWordGivesTheBusyArrow) {
  for (const wchar_t* style : {L"Hourglass", L"Normal", L"hourglass", L"HOURGLASS", L""}) {
    Harness h;
    SetCursorStyle(h.app.platform, style);
    const bool busy = style == std::wstring(L"Hourglass");
    EXPECT_EQ(h.fake.cursorsSet, std::vector<std::uint32_t>(busy ? 1 : 0, 32650)) << style;
    EXPECT_EQ(h.fake.cursorRestores, busy ? 0 : 1) << style;
  }
}

// The top is cut, the left rounded half to even (361.5, 360.5, -0.5 and -1.5 here); a minimised or
// maximised window stays where it is.
TEST(CenteredPosition, TopIsCutLeftIsRoundedHalfToEven) {
  const std::tuple<int, int, int, int> cases[] = {
      {300, 200, 362, 284}, {301, 201, 362, 283}, {303, 203, 360, 282},
      {1025, 768, 0, 0},    {1027, 768, -2, 0},
  };
  for (const auto& [width, height, left, top] : cases) {
    const std::optional<Position> position =
        CenteredPosition({false, false, 5, 5, width, height, 1024, 768});
    ASSERT_TRUE(position) << width;
    EXPECT_EQ(std::make_pair(position->left, position->top), std::make_pair(left, top)) << width;
  }
  EXPECT_FALSE(CenteredPosition({true, false, 5, 5, 300, 200, 1024, 768}));
  EXPECT_FALSE(CenteredPosition({false, true, 0, 0, 1024, 768, 1024, 768}));
}

TEST(ShowAboutWindow, BeepsCreatesCentresAndShowsAMaximisedOneWithoutMoving) {
  for (const bool maximized : {false, true}) {
    Harness h;
    h.fake.aboutGeometry.maximized = maximized;
    EXPECT_EQ(ExecuteCommand(h.app, L"show about"), CommandResult::Ok);
    EXPECT_EQ(h.fake.beeps, 1);
    EXPECT_TRUE(h.fake.aboutCreated);
    EXPECT_EQ(h.fake.aboutMoves, (std::vector<std::pair<int, int>>(maximized ? 0 : 1, {362, 284})));
    EXPECT_EQ(h.fake.aboutShows, 1);
  }
}

} // namespace
} // namespace velmora::testing
