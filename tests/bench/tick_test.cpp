// Elapsed milliseconds across a wrap of the 32-bit tick counter, and the counter itself.
#include "platform/tick.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

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

TEST(TickCounter, DoesNotGoBackwards) {
  std::uint32_t previous = tick_count_ms();
  for (int i = 0; i < 100000; ++i) {
    const std::uint32_t now = tick_count_ms();
    ASSERT_LT(elapsed_ms(previous, now), 60'000U) << "the counter went back from " << previous;
    previous = now;
  }
}

}  // namespace
