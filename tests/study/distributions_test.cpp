// How the passes spread: the counts through the kernels' loops against an independent count
// here, and the laws they are held against.
#include "study/distributions.h"

#include <gtest/gtest.h>

#include <cmath>

#include "study/pairs.h"

namespace {

// The binary algorithm written out here, apart from the kernels: its passes, the zeros of
// each difference after the first, and its exit (0: u is 1, 1: v is 1, 2: u equals v).
struct Counted {
  std::uint32_t passes = 0;
  std::vector<std::uint32_t> zeros;
  int exit = -1;
};
Counted textbook_binary(std::uint32_t u, std::uint32_t v) {
  Counted counted;
  if (u == 0 || v == 0) {
    return counted;
  }
  while (u % 2 == 0) {
    u /= 2;
  }
  while (v % 2 == 0) {
    v /= 2;
  }
  for (++counted.passes;; ++counted.passes) {
    if (u == 1 || v == 1 || u == v) {
      counted.exit = u == 1 ? 0 : v == 1 ? 1 : 2;
      return counted;
    }
    std::uint32_t difference = u > v ? u - v : v - u;
    v = u < v ? u : v;
    std::uint32_t zeros = 0;
    for (; difference % 2 == 0; difference /= 2) {
      ++zeros;
    }
    counted.zeros.push_back(zeros);
    u = difference;
  }
}

TEST(PassDistributions, CountWhatAnIndependentCountGives) {
  const std::vector<Pair> pairs = uniform_pairs(20, false, 3000, 11);
  const std::vector<PassDistribution> all = pass_distributions(pairs);
  ASSERT_EQ(all.size(), 4U);
  const PassDistribution& euclid = all[0];
  const PassDistribution& binary = all[2];
  EXPECT_EQ(euclid.kernel, "gcd_euclid_u");
  EXPECT_EQ(binary.kernel, "gcd_binary_u");
  std::vector<std::uint64_t> euclid_passes(euclid.passes.size());
  std::vector<std::uint64_t> quotients(COUNTED_QUOTIENTS);
  std::vector<std::uint64_t> binary_passes(binary.passes.size());
  std::vector<std::uint64_t> zeros(COUNTED_ZEROS);
  std::array<std::uint64_t, 3> exits{};
  std::uint64_t no_pass = 0;
  for (const Pair& pair : pairs) {
    std::uint32_t a = pair.first;
    std::uint32_t b = pair.second;
    std::size_t passes = 0;
    for (; b != 0; ++passes) {
      ++quotients[std::min(a / b, COUNTED_QUOTIENTS - 1)];
      const std::uint32_t r = a % b;
      a = b;
      b = r;
    }
    ASSERT_LT(passes, euclid_passes.size());
    ++euclid_passes[passes];
    const Counted counted = textbook_binary(pair.first, pair.second);
    ASSERT_LT(counted.passes, binary_passes.size());
    ++binary_passes[counted.passes];
    for (const std::uint32_t z : counted.zeros) {
      ++zeros[std::min(z, COUNTED_ZEROS) - 1];
    }
    if (counted.exit >= 0) {
      ++exits[static_cast<std::size_t>(counted.exit)];
    } else {
      ++no_pass;
    }
  }
  EXPECT_EQ(euclid.calls, pairs.size());
  EXPECT_EQ(euclid.passes, euclid_passes);
  EXPECT_EQ(euclid.quotients, quotients);
  EXPECT_EQ(binary.passes, binary_passes);
  EXPECT_EQ(binary.difference_zeros, zeros);
  EXPECT_EQ(binary.exits, exits);
  EXPECT_EQ(binary.no_pass, no_pass);
  EXPECT_TRUE(euclid.difference_zeros.empty());
  EXPECT_TRUE(binary.quotients.empty());
}

// Calls of 2, 2 and 5 passes: a mean of 3 and, with n - 1, a variance of (1 + 1 + 4) / 2 = 3.
TEST(PassDistribution, GivesTheMeanAndTheSampleStandardDeviation) {
  PassDistribution d;
  d.calls = 3;
  d.passes = {0, 0, 2, 0, 0, 1};
  EXPECT_DOUBLE_EQ(d.mean(), 3.0);
  EXPECT_DOUBLE_EQ(d.standard_deviation(), std::sqrt(3.0));
}

TEST(Laws, AreTheLeadingTermsAndTheGeometricShares) {
  const double ln_n = 32 * std::log(2.0);
  EXPECT_NEAR(euclid_mean_leading_term(32), 12 * std::log(2.0) / (M_PI * M_PI) * ln_n, 1e-12);
  EXPECT_NEAR(euclid_mean_leading_term(32), 18.6931, 1e-4);
  EXPECT_NEAR(euclid_variance_leading_term(32), 0.5160524 * ln_n, 1e-12);
  EXPECT_EQ(geometric_share(1, false), 0.5);
  EXPECT_EQ(geometric_share(3, false), 0.125);
  EXPECT_EQ(geometric_share(6, true), 1.0 / 32);  // 6 or more: as much as 5 alone
}

// Four standard errors of the sample: sqrt(0.5 * 0.5 / 10000) = 0.005, so 0.02 is allowed.
TEST(BeyondTheSample, IsMoreThanFourStandardErrors) {
  EXPECT_FALSE(beyond_the_sample(0.519, 0.5, 10000));
  EXPECT_TRUE(beyond_the_sample(0.521, 0.5, 10000));
  EXPECT_TRUE(beyond_the_sample(0.479, 0.5, 10000));
  EXPECT_FALSE(beyond_the_sample(0.9, 0.5, 0));
}

}  // namespace
