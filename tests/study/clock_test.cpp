// The clock measured two ways: a chain of dependent multiplications (3 cycles each on every
// x86 core) runs at a third of the rate of a chain of additions (1 cycle each).
#include "study/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(Clock, AdditionsRunThreeTimesAsFastAsMultiplications) {
#if defined(__x86_64__) || defined(__i386__)
  const std::optional<double> additions = chain_links_per_ns(Chain::add);
  const std::optional<double> multiplications = chain_links_per_ns(Chain::multiply);
  ASSERT_TRUE(additions && multiplications);
  EXPECT_NEAR(*additions / *multiplications, 3.0, 0.3)
      << *additions << " additions and " << *multiplications << " multiplications per ns";
  EXPECT_EQ(measure_clock_ghz().has_value(), true);
#else
  GTEST_SKIP() << "multiplication latency differs between the cores of this architecture";
#endif
}

}  // namespace
