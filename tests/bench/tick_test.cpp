// Elapsed milliseconds across a wrap of the 32-bit tick counter, and the counter itself.
#include "platform/tick.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {

TEST(ElapsedMilliseconds, AreTrueAcrossAWrapOfTheCounter) {
  struct Row {
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t elapsed;
  };
  constexpr std::array<Row, 5> rows{{
      {1000, 1700, 700},
      {0, 0, 0},
      {0xFFFFFFFFU, 0, 1},
      {0xFFFFFF00U, 0x000001BCU, 700},
      {0x80000000U, 0x7FFFFFFFU, 0xFFFFFFFFU},  // prints as -1: a wrapped counter, not a crash
  }};
  for (const Row& row : rows) {
    EXPECT_EQ(elapsed_ms(row.start, row.end), row.elapsed) << row.start << " -> " << row.end;
  }
  static_assert(elapsed_ms(0xFFFFFFF6U, 10) == 20);
}

// The counter's own step: 1 ms from the monotonic clock; GetTickCount moves with the system
// timer, every 10 to 16 ms on Windows.
#ifdef _WIN32
constexpr std::uint32_t STEP_MS = 16;
#else
constexpr std::uint32_t STEP_MS = 1;
#endif

// Read against the standard library's steady clock around a sleep: a counter in the wrong
// unit, or one that wraps early (seconds dropped, say), is off by far more than its step.
// Both readings are cut to whole milliseconds, which may add one more.
TEST(TickCounter, CountsMilliseconds) {
  using std::chrono::steady_clock;
  const steady_clock::time_point outer_start = steady_clock::now();
  const std::uint32_t start = tick_count_ms();
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  const std::uint32_t end = tick_count_ms();
  const auto outer_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now() - outer_start);
  EXPECT_GE(elapsed_ms(start, end), 1200U - STEP_MS);
  EXPECT_LE(elapsed_ms(start, end), static_cast<std::uint32_t>(outer_ms.count()) + STEP_MS + 1U);
}

}  // namespace
