// The divider on Euclid's own operands: the divisions the loops make, their quotients, and the
// Gauss-Kuzmin law they are held against.
#include "study/divider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "kernels/passes.h"
#include "study/pairs.h"

namespace {

// Euclid's algorithm written out here, apart from the kernels: its divisions, in order.
std::vector<Division> textbook_divisions(std::uint32_t a, std::uint32_t b) {
  std::vector<Division> divisions;
  while (b != 0) {
    divisions.push_back({a, b});
    const std::uint32_t r = a % b;
    a = b;
    b = r;
  }
  return divisions;
}

// The observer sees each division of the loop: as many as an independent count of its passes,
// with the words a textbook Euclid divides.
TEST(EuclidDivisions, AreTheLoopsOwnDivisions) {
  const std::vector<Pair> pairs = drawn_pairs(2000);
  const std::vector<Division> seen = euclid_divisions(pairs, false);
  std::vector<Division> expected;
  for (const Pair& pair : pairs) {
    const std::vector<Division> one = textbook_divisions(pair.first, pair.second);
    expected.insert(expected.end(), one.begin(), one.end());
  }
  ASSERT_EQ(seen.size(), expected.size());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    ASSERT_EQ(seen[i].dividend, expected[i].dividend) << i;
    ASSERT_EQ(seen[i].divisor, expected[i].divisor) << i;
  }
  // The signed loop: as many as its own pass count, and none that overflows.
  std::size_t passes = 0;
  for (const Pair& pair : pairs) {
    passes += passes_euclid_s(pair.first, pair.second);
  }
  EXPECT_EQ(euclid_divisions(pairs, true).size(), passes);
  const Division first =
      euclid_divisions(std::vector<Pair>{{static_cast<std::uint32_t>(-12), 18}}, true).front();
  EXPECT_EQ(static_cast<std::int32_t>(first.dividend), -12);
  EXPECT_EQ(first.divisor, 18U);
}

TEST(QuotientOf, IsTheMagnitudeOfTheTruncatedQuotient) {
  EXPECT_EQ(quotient_of({100, 7}, false), 14U);
  EXPECT_EQ(quotient_of({7, 100}, false), 0U);
  EXPECT_EQ(quotient_of({static_cast<std::uint32_t>(-100), 7}, true), 14U);
  EXPECT_EQ(quotient_of({static_cast<std::uint32_t>(-100), 7}, false), 613566742U);
  EXPECT_EQ(quotient_of({0x80000000U, 1}, true), 0x80000000U);
}

// The law's share of a group is the sum of its quotients' shares; 41.5% are 1.
TEST(GaussKuzmin, SumsTheSharesOfItsQuotients) {
  const auto share = [](double q) { return -std::log2(1 - 1 / ((q + 1) * (q + 1))); };
  EXPECT_NEAR(gauss_kuzmin_share(1, 1), 0.41504, 1e-5);
  EXPECT_NEAR(gauss_kuzmin_share(2, 3), share(2) + share(3), 1e-12);
  EXPECT_NEAR(gauss_kuzmin_share(4, 7), share(4) + share(5) + share(6) + share(7), 1e-12);
  double rest = 1;
  for (int q = 1; q < 8; ++q) {
    rest -= share(q);
  }
  EXPECT_NEAR(gauss_kuzmin_share(8, UINT32_MAX), rest, 1e-12);
}

// On a fixed set of pairs, the groups count what an independent count of the quotients gives,
// and with many pairs, the shares of quotients of 1 or more come near the law.
TEST(TimeDivider, GroupsThePassesByTheirQuotient) {
  const std::vector<Pair> pairs = uniform_pairs(32, false, 20000, 7);
  std::vector<std::uint64_t> counted(QUOTIENT_GROUPS.size());
  std::uint64_t all = 0;
  for (const Pair& pair : pairs) {
    for (const Division& division : textbook_divisions(pair.first, pair.second)) {
      const std::uint32_t q = division.dividend / division.divisor;
      const std::size_t group = q == 0 ? 0 : q == 1 ? 1 : q <= 3 ? 2 : q <= 7 ? 3 : 4;
      ++counted[group];
      ++all;
    }
  }
  const std::vector<DividerFigures> figures = time_divider(pairs, Latencies{});
  ASSERT_EQ(figures.size(), 2U);
  EXPECT_EQ(figures[0].kernel, "gcd_euclid_u");
  EXPECT_EQ(figures[0].passes, all);
  EXPECT_FALSE(figures[0].cycles);  // no clock: no cycles
  ASSERT_EQ(figures[0].groups.size(), QUOTIENT_GROUPS.size());
  for (std::size_t g = 0; g < QUOTIENT_GROUPS.size(); ++g) {
    EXPECT_EQ(figures[0].groups[g].passes, counted[g]) << g;
    if (g > 0) {
      const double share = static_cast<double>(counted[g]) / static_cast<double>(all - counted[0]);
      EXPECT_NEAR(share, gauss_kuzmin_share(QUOTIENT_GROUPS[g].first, QUOTIENT_GROUPS[g].second),
                  0.02)
          << g;
    }
  }
}

}  // namespace
