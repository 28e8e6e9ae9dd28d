// The machine's ticks from /proc/stat's first line, and the system's own figures where it
// gives them.
#include "platform/load.h"

#include <gtest/gtest.h>

namespace {

TEST(TicksFromProcStat, SumsTheTimesAndTakesTheStolenOnes) {
  const std::optional<MachineTicks> ticks =
      ticks_from_proc_stat("cpu  100 2 30 4000 5 6 7 80 9 10\ncpu0 1 2 3\n");
  ASSERT_TRUE(ticks);
  EXPECT_EQ(ticks->total, 100U + 2 + 30 + 4000 + 5 + 6 + 7 + 80);  // guest time is in user's
  EXPECT_EQ(ticks->stolen, 80U);
  for (const char* bad : {"", "cpu0 1 2 3 4 5 6 7 8", "cpu 1 2 3", "cpu 1 2 3 4 5 6 7 x",
                          "cpu 18446744073709551615 1 0 0 0 0 0 0"}) {
    EXPECT_FALSE(ticks_from_proc_stat(bad)) << bad;
  }
}

TEST(Load, CountsThisThreadsTimeWhereTheSystemTellsIt) {
  const std::optional<double> before = thread_cpu_seconds();
  if (!before) {
    GTEST_SKIP() << "this system tells no thread's CPU time";
  }
  volatile double sink = 0;
  for (int i = 0; i < 1'000'000; ++i) {
    sink = sink + i;
  }
  EXPECT_GE(*thread_cpu_seconds(), *before);
}

}  // namespace
