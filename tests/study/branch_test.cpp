// The arithmetic of the mispredicted branch's cost (the timing itself is the report's).
#include "study/branch.h"

#include <gtest/gtest.h>

namespace {

// 1.5 ns a branch on random bytes against 0.5 on alternating ones: half of the random ones
// mispredicted, so 1 ns over a half, 2 ns each.
TEST(MispredictedNs, IsTheDifferenceOverTheShareMispredicted) {
  ASSERT_TRUE(mispredicted_ns(1.5, 0.5));
  EXPECT_DOUBLE_EQ(*mispredicted_ns(1.5, 0.5), 2.0);
  EXPECT_FALSE(mispredicted_ns(0.5, 0.5));
  EXPECT_FALSE(mispredicted_ns(0.4, 0.5));  // noise, no cost
}

}  // namespace
