// The Shlwapi test, the cursor, centring and the About window.
#include <gtest/gtest.h>

#include "base/system.hpp"
#include "harness.hpp"

namespace velmora::testing {
namespace {

TEST(SetCursorStyle, OnlyTheExactWordGivesTheBusyArrow) {
  Harness h;
  SetCursorStyle(h.app.platform, L"Hourglass");
  EXPECT_EQ(h.fake.cursorsSet, std::vector<std::uint32_t>{32650});
  EXPECT_EQ(h.fake.cursorRestores, 0);

  for (const wchar_t* style : {L"Normal", L"hourglass", L"HOURGLASS", L""}) {
    Harness other;
    SetCursorStyle(other.app.platform, style);
    EXPECT_TRUE(other.fake.cursorsSet.empty()) << style;
    EXPECT_EQ(other.fake.cursorRestores, 1) << style;
  }
}

TEST(CenteredPosition, TopIsCutLeftIsRoundedHalfToEven) {
  const struct {
    int width;
    int height;
    int left;
    int top;
  } cases[] = {
      {300, 200, 362, 284}, {301, 201, 362, 283}, // left 361.5 rounds up to the even 362
      {303, 203, 360, 282},                       // left 360.5 rounds down to the even 360
      {1025, 768, 0, 0},                          // left -0.5 rounds to 0
      {1027, 768, -2, 0},                         // left -1.5 rounds to -2
  };
  for (const auto& c : cases) {
    const FormGeometry form{false, false, 5, 5, c.width, c.height, 1024, 768};
    const std::optional<Position> position = CenteredPosition(form);
    ASSERT_TRUE(position) << c.width;
    EXPECT_EQ(position->left, c.left) << c.width;
    EXPECT_EQ(position->top, c.top) << c.height;
  }
  // A minimised or maximised window stays where it is.
  EXPECT_FALSE(CenteredPosition({true, false, 5, 5, 300, 200, 1024, 768}));
  EXPECT_FALSE(CenteredPosition({false, true, 0, 0, 1024, 768, 1024, 768}));
}

TEST(ShowAboutWindow, BeepsCreatesCentresAndShows) {
  Harness h;
  ShowAboutWindow(h.app.platform);
  EXPECT_EQ(h.fake.beeps, 1);
  EXPECT_TRUE(h.fake.aboutCreated);
  EXPECT_EQ(h.fake.aboutMoves, (std::vector<std::pair<int, int>>{{362, 284}}));
  EXPECT_EQ(h.fake.aboutShows, 1);

  // A maximised window is shown without moving.
  Harness maximised;
  maximised.fake.aboutGeometry.maximized = true;
  ShowAboutWindow(maximised.app.platform);
  EXPECT_TRUE(maximised.fake.aboutMoves.empty());
  EXPECT_EQ(maximised.fake.aboutShows, 1);
}

} // namespace
} // namespace velmora::testing
