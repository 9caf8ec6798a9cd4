// End-to-end: the command drop under many writers dropping at once.
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

#include "velmora_process.hpp"

namespace velmora::e2e {
namespace {

std::string WritesOnOpen(const std::string& line) {
  return ScriptText({"on openScript", "write \"" + line + "\"", "end openScript"});
}

int SoakDrops() {
  const char* value = std::getenv("VELMORA_SOAK_DROPS");
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : 200;
}

TEST(CommandDrop, SoakOfFourWritersDroppingAtOnce) {
  constexpr int kWriters = 4;
  const int drops = SoakDrops();
  VelmoraProcess velmora(ScriptText({"on openScript", "do nothing", "end openScript"}));
  ASSERT_TRUE(velmora.Start());

  std::vector<std::string> expected;
  for (int i = 0; i < drops; ++i) {
    expected.push_back("soak line " + std::to_string(i));
  }
  std::vector<std::thread> writers;
  std::vector<int> failures(kWriters, 0);
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int i = w; i < drops; i += kWriters) {
        const std::string name = "soak" + std::to_string(i) + ".scp";
        failures[w] += velmora.Drop(name, WritesOnOpen(expected[i])) ? 0 : 1;
      }
    });
  }
  for (std::thread& writer : writers) {
    writer.join();
  }
  ASSERT_EQ(failures, std::vector<int>(kWriters, 0));

  // Fails at once if a box appears: the drop would stall behind it.
  const Duration deadline = kDeadline + Duration{30} * drops;
  EXPECT_TRUE(WaitUntil(
      [&] {
        return !velmora.OpenBoxes().empty() ||
               (velmora.ScriptFiles().size() == 1 &&
                velmora.AppFileLines("output.txt").size() >= expected.size());
      },
      deadline));
  EXPECT_TRUE(velmora.OpenBoxes().empty());
  EXPECT_EQ(velmora.ScriptFiles(), std::vector<std::string>{"boot.scp"});
  std::vector<std::string> lines = velmora.AppFileLines("output.txt");
  std::sort(lines.begin(), lines.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected) << "every line exactly once";
  EXPECT_TRUE(velmora.IsRunning());
}

} // namespace
} // namespace velmora::e2e
