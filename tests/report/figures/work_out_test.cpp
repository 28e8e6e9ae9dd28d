// The figures worked out once for every renderer, on made-up results whose figures are known.
#include "report/figures/work_out.h"

#include <gtest/gtest.h>

#include "tests/report/sample_results.h"

namespace {

// Binary is slower up to 6 bits and faster from 7 on, unsigned; faster at every size, signed.
TEST(Crossover, IsTheSizeFromWhichOnBinaryStaysFaster) {
  Results results = sample_results();
  EXPECT_EQ(results.worked_out.unsigned_crossover.from_bits, 7U);
  EXPECT_FALSE(results.worked_out.unsigned_crossover.every_size);
  EXPECT_TRUE(results.worked_out.signed_crossover.every_size);
  // A size where binary is slower again moves the crossover past it.
  for (SweepFigures& point : results.study.sweep) {
    if (point.kernel == "gcd_binary_s" && point.bits == 20) {
      point.ns_per_call = {100, 100, 100};
    }
  }
  const Crossover later = worked(results).worked_out.signed_crossover;
  EXPECT_EQ(later.from_bits, 21U);
  EXPECT_FALSE(later.every_size);
  // Slower at every size: measured, at none.
  for (SweepFigures& point : results.study.sweep) {
    if (point.kernel == "gcd_binary_s") {
      point.ns_per_call = {1000};
    }
  }
  const Crossover never = worked(results).worked_out.signed_crossover;
  EXPECT_TRUE(never.measured);
  EXPECT_EQ(never.from_bits, 0U);
}

}  // namespace
