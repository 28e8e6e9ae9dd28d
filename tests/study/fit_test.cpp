// The least-squares line, on points whose line is known.
#include "study/fit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(LeastSquares, FindsTheLineThroughExactPoints) {
  const std::vector<double> bits{16, 17, 18, 19, 20, 24, 32};
  std::vector<double> passes;
  for (const double x : bits) {
    passes.push_back(0.7 * x - 1.5);
  }
  const std::optional<Line> line = least_squares(bits, passes);
  ASSERT_TRUE(line);
  EXPECT_NEAR(line->slope, 0.7, 1e-12);
  EXPECT_NEAR(line->intercept, -1.5, 1e-10);
}

TEST(LeastSquares, AveragesOutSymmetricNoise) {
  // +e and -e at every x: the noise cancels, the slope stays.
  std::vector<double> bits;
  std::vector<double> passes;
  for (double x = 16; x <= 32; ++x) {
    bits.insert(bits.end(), {x, x});
    passes.insert(passes.end(), {0.5842 * x + 2 + 0.3, 0.5842 * x + 2 - 0.3});
  }
  const std::optional<Line> line = least_squares(bits, passes);
  ASSERT_TRUE(line);
  EXPECT_NEAR(line->slope, 0.5842, 1e-12);
}

TEST(LeastSquares, NeedsTwoDistinctSizes) {
  EXPECT_FALSE(least_squares(std::vector<double>{}, std::vector<double>{}));
  EXPECT_FALSE(least_squares(std::vector<double>{16}, std::vector<double>{9}));
  EXPECT_FALSE(least_squares(std::vector<double>{16, 16}, std::vector<double>{9, 10}));
}

TEST(Constants, AreTheLiteraturesOwn) {
  EXPECT_NEAR(EUCLID_PASSES_PER_BIT, 0.584161, 1e-6);  // 12 (ln 2)^2 / pi^2
  EXPECT_NEAR(BINARY_PASSES_PER_BIT, 0.705971, 1e-6);  // Brent's K
}

// A point of weight w counts as w points, and one of weight 0 as none.
TEST(WeightedLeastSquares, CountsEachPointByItsWeight) {
  const std::optional<Line> exact = weighted_least_squares(
      std::vector<double>{1, 2, 3}, std::vector<double>{5, 7, 9}, std::vector<double>{1, 50, 3});
  ASSERT_TRUE(exact);
  EXPECT_NEAR(exact->slope, 2, 1e-12);
  EXPECT_NEAR(exact->intercept, 3, 1e-12);
  // Off the line by +1 at x = 0 (weight 1) and -1 at x = 2 (weight 3): the line leans to the
  // heavier point. By hand: mean x = 1.5, mean y = 0.25 * 1 + 0.75 * 3 = 2.5; sxx = 0.25 * 2.25
  // + 0.75 * 0.25 = 0.75 (per unit weight), sxy = 0.25 * -1.5 * -1.5 + 0.75 * 0.5 * 0.5 = 0.75.
  const std::optional<Line> leaning = weighted_least_squares(
      std::vector<double>{0, 2}, std::vector<double>{1, 3}, std::vector<double>{1, 3});
  ASSERT_TRUE(leaning);
  EXPECT_NEAR(leaning->slope, 1.0, 1e-12);
  EXPECT_NEAR(leaning->intercept, 1.0, 1e-12);
  const std::optional<Line> unweighted = weighted_least_squares(
      std::vector<double>{0, 2, 4}, std::vector<double>{1, 3, 100}, std::vector<double>{1, 1, 0});
  ASSERT_TRUE(unweighted);
  EXPECT_NEAR(unweighted->slope, 1.0, 1e-12);
  EXPECT_FALSE(weighted_least_squares(std::vector<double>{1, 2}, std::vector<double>{1, 2},
                                      std::vector<double>{1, 0}));
  EXPECT_FALSE(weighted_least_squares(std::vector<double>{2, 2}, std::vector<double>{1, 3},
                                      std::vector<double>{1, 1}));
}

}  // namespace
