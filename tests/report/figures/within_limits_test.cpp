// The report's own chains and model held to what its file can hold: each one beyond the limits,
// or not its kernel's, left out with a note; the rest kept.
#include "report/figures/within_limits.h"

#include <gtest/gtest.h>

#include "tests/report/sample_results.h"

namespace {

TEST(KeepWithinLimits, LeavesOutAChainNoFileHoldsOrNoKernelMakes) {
  Results results = sample_results();
  results.bounds[0].divides = true;
  results.bounds[1].divides = true;
  results.bounds[2].branches = 1000;  // the most a file holds: kept
  keep_within_limits(results);
  EXPECT_EQ(results.bounds.size(), 3U);
  EXPECT_TRUE(results.chains_left_out.empty());

  results.bounds[0].divides = false;  // a Euclid loop without a division
  results.bounds[1].cycles_per_pass = 10001;
  results.bounds[2].branches = 1001;
  keep_within_limits(results);
  EXPECT_TRUE(results.bounds.empty());
  EXPECT_EQ(
      results.chains_left_out,
      (std::vector<std::string>{
          "gcd_euclid_u's chain is left out: its loop as read holds no division, which "
          "Euclid's loop must",
          "gcd_euclid_s's chain is left out: its chain comes to 10001 cycles a pass, beyond "
          "what a pass can take (above 0, at most 10000)",
          "gcd_binary_u's chain is left out: its loop as read runs 1001 branches a pass, more "
          "than a loop of the kit can (1000)"}));
  // A binary loop needs no division; a chain of no cycles is none.
  Results binary = sample_results();
  binary.bounds = {binary.bounds[2]};
  keep_within_limits(binary);
  EXPECT_EQ(binary.bounds.size(), 1U);
  binary.bounds[0].cycles_per_pass = 0;
  keep_within_limits(binary);
  EXPECT_TRUE(binary.bounds.empty());
}

TEST(KeepWithinLimits, LeavesOutAModelBeyondWhatAPassCanTake) {
  Results results = sample_results();
  keep_within_limits(results);
  ASSERT_TRUE(results.model);
  results.model->kernels[1].cycles_per_pass = 20000;
  keep_within_limits(results);
  EXPECT_FALSE(results.model);
  EXPECT_EQ(results.model_left_out,
            "llvm-mca on gcd_euclid_s: 20000 cycles a pass and 8 a block, beyond what a pass can "
            "take");
}

}  // namespace
