// One pair traced pass by pass: the worked example and the edge words, by hand.
#include "report/figures/trace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::uint32_t word(std::int32_t value) { return static_cast<std::uint32_t>(value); }

bool same(const TracedDivision& a, const TracedDivision& b) {
  return a.dividend == b.dividend && a.divisor == b.divisor && a.quotient == b.quotient &&
         a.remainder == b.remainder;
}

bool same(const TracedStrip& a, const TracedStrip& b) {
  return a.u == b.u && a.v == b.v && a.u_zeros == b.u_zeros && a.v_zeros == b.v_zeros &&
         a.odd_u == b.odd_u && a.odd_v == b.odd_v && a.k == b.k;
}

template <class Pass>
void expect_passes(const std::vector<Pass>& got, const std::vector<Pass>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_TRUE(same(got[i], want[i])) << "pass " << i + 1;
  }
}

// 48 = 2 * 18 + 12, 18 = 12 + 6, 12 = 2 * 6. Binary: 48 strips to 3 (4 zeros), 18 to 9 (1),
// k = 1; u = (9 - 3) >> 1 = 3, v = 3; then u equals v: 3 << 1 = 6.
TEST(TracePair, FollowsTheWorkedExamplePassByPass) {
  const Trace trace = trace_pair(48, 18);
  ASSERT_EQ(trace.kernels.size(), 4U);
  for (const std::size_t euclid : {0U, 1U}) {
    expect_passes(trace.kernels[euclid].divisions,
                  {{48, 18, 2, 12}, {18, 12, 1, 6}, {12, 6, 2, 0}});
    EXPECT_EQ(trace.kernels[euclid].result, 6U);
  }
  for (const std::size_t binary : {2U, 3U}) {
    expect_passes(trace.kernels[binary].strips, {{48, 18, 4, 1, 3, 9, 1}, {3, 3, 0, 0, 3, 3, 1}});
    EXPECT_EQ(trace.kernels[binary].exit, BinaryExit::u_equals_v);
    EXPECT_EQ(trace.kernels[binary].result, 6U);
  }
}

// The signed readings: remainders with the dividend's sign, quotients truncated; magnitudes
// for the binary loop; the words where the readings part.
TEST(TracePair, ReadsTheWordsAsEachKernelDoes) {
  const Trace negative = trace_pair(word(-12), 18);
  expect_passes(negative.kernels[1].divisions,
                {{-12, 18, 0, -12}, {18, -12, -1, 6}, {-12, 6, -2, 0}});
  EXPECT_EQ(negative.kernels[1].result, 6U);
  expect_passes(negative.kernels[3].strips, {{12, 18, 2, 1, 3, 9, 1}, {3, 3, 0, 0, 3, 3, 1}});

  // -2^31 and 6: Euclid's signed remainder -2, its last divisor -2 as its magnitude.
  const Trace smallest = trace_pair(0x80000000U, 6);
  expect_passes(smallest.kernels[0].divisions, {{2147483648, 6, 357913941, 2}, {6, 2, 3, 0}});
  expect_passes(smallest.kernels[1].divisions,
                {{-2147483648LL, 6, -357913941, -2}, {6, -2, -3, 0}});
  EXPECT_EQ(smallest.kernels[1].result, 2U);
  expect_passes(smallest.kernels[2].strips, {{2147483648U, 6, 31, 1, 1, 3, 1}});
  EXPECT_EQ(smallest.kernels[2].exit, BinaryExit::u_is_one);

  // 2^31 and 2^31: both strip to 1 with k = 31.
  const Trace power = trace_pair(0x80000000U, 0x80000000U);
  expect_passes(power.kernels[2].strips, {{0x80000000U, 0x80000000U, 31, 31, 1, 1, 31}});
  EXPECT_EQ(power.kernels[2].result, 0x80000000U);

  // (-1, 3): 3 unsigned, 1 signed, answered before the loop.
  const Trace parting = trace_pair(word(-1), 3);
  EXPECT_EQ(parting.kernels[0].result, 3U);
  EXPECT_EQ(parting.kernels[1].result, 1U);
  EXPECT_TRUE(parting.kernels[1].divisions.empty());
  EXPECT_TRUE(parting.kernels[1].before_loop.starts_with("a word is -1"));
}

// The pairs whose signed remainder step would overflow: traced as the kernel computes them,
// with one line saying how.
TEST(TracePair, SaysHowTheOverflowingPairsAreAnswered) {
  for (const auto& [first, second] :
       {std::pair{0x80000000U, word(-1)}, std::pair{word(-1), 0x80000000U}}) {
    const Trace trace = trace_pair(first, second);
    EXPECT_EQ(trace.kernels[1].result, 1U);
    EXPECT_TRUE(trace.kernels[1].divisions.empty());
    EXPECT_EQ(trace.kernels[3].result, 1U);
  }
  // Zeros: no pass, and why.
  const Trace zeros = trace_pair(0, 0);
  for (const KernelTrace& kernel : zeros.kernels) {
    EXPECT_EQ(kernel.result, 0U);
    EXPECT_FALSE(kernel.before_loop.empty()) << kernel.kernel;
  }
  expect_passes(trace_pair(0, 7).kernels[0].divisions, {{0, 7, 0, 0}});  // 0 mod 7 swaps them
  // -6 and 0: each reading's gcd(x, 0), 4294967290 unsigned and 6 signed.
  const Trace negative = trace_pair(word(-6), 0);
  EXPECT_TRUE(negative.kernels[0].before_loop.ends_with("gcd(x, 0) is x"));
  EXPECT_EQ(negative.kernels[0].result, 4294967290U);
  EXPECT_TRUE(negative.kernels[1].before_loop.ends_with("gcd(x, 0) is |x|"));
  EXPECT_EQ(negative.kernels[1].result, 6U);
}

}  // namespace
