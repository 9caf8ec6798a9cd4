// End-to-end: the command drop under many writers dropping at once.
#include <gtest/gtest.h>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

TEST(CommandDrop, SoakOfFourWritersDroppingAtOnce) {
  constexpr int kWriters = 4;
  const char* setting = std::getenv("VELMORA_SOAK_DROPS");
  const int drops = setting != nullptr && std::atoi(setting) > 0 ? std::atoi(setting) : 200;
  VelmoraProcess velmora(ScriptText({"on openScript", "do nothing", "end openScript"}));
  ASSERT_TRUE(velmora.Start());

  Lines expected;
  std::vector<std::thread> writers;
  std::atomic<int> failures{0};
  for (int i = 0; i < drops; ++i) {
    expected.push_back("soak line " + std::to_string(i));
  }
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int i = w; i < drops; i += kWriters) {
        failures += !velmora.Drop(
            "soak" + std::to_string(i) + ".scp",
            ScriptText({"on openScript", "write \"" + expected[i] + "\"", "end openScript"}));
      }
    });
  }
  for (std::thread& writer : writers) {
    writer.join();
  }
  ASSERT_EQ(failures, 0);

  // Fails at once if a box appears: the drop would stall behind it.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return !velmora.OpenBoxes().empty() ||
               (velmora.AppFiles(".scp").size() == 1 &&
                velmora.AppFileLines("output.txt").size() >= expected.size());
      },
      kDeadline + Duration{30} * drops));
  EXPECT_TRUE(velmora.OpenBoxes().empty());
  EXPECT_EQ(velmora.AppFiles(".scp"), Lines{"boot.scp"});
  Lines lines = velmora.AppFileLines("output.txt");
  std::sort(lines.begin(), lines.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected) << "every line exactly once";
  EXPECT_FALSE(velmora.WaitForExit(Duration{0})) << "still running";
}

} // namespace
} // namespace velmora::e2e
