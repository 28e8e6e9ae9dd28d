// The kit kernels' calls sorted by their kind, against an independent count of each call's
// passes and exit: the textbook loops, written out here.
#include "study/call_groups.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <utility>

#include "study/pairs.h"

namespace {

constexpr std::uint32_t magnitude(std::uint32_t word) {
  return static_cast<std::int32_t>(word) < 0 ? 0U - word : word;
}

// Euclid's remainder steps, counted: unsigned, or signed with the overflowing division and
// the words of -1 answered first as the kernel answers them.
std::uint32_t euclid_passes(std::uint32_t a, std::uint32_t b, bool is_signed) {
  if (is_signed) {
    if (a == 0xFFFFFFFFU || b == 0xFFFFFFFFU) {
      return 0;
    }
    std::int64_t x = static_cast<std::int32_t>(a);
    std::int64_t y = static_cast<std::int32_t>(b);
    std::uint32_t passes = 0;
    for (; y != 0; ++passes) {
      const std::int64_t r = x % y;
      x = y;
      y = r;
    }
    return passes;
  }
  std::uint32_t passes = 0;
  for (; b != 0; ++passes) {
    const std::uint32_t r = a % b;
    a = b;
    b = r;
  }
  return passes;
}

// The binary loop of the textbook, one bit of a difference at a time: its strip-and-test
// steps and the exit it takes, in the order u = 1, v = 1, u = v.
std::pair<std::uint32_t, CallExit> binary_call(std::uint32_t u, std::uint32_t v) {
  if (u == 0 || v == 0) {
    return {0, CallExit::one};
  }
  std::uint32_t passes = 0;
  for (;;) {
    while (u % 2 == 0) {
      u /= 2;
    }
    while (v % 2 == 0) {
      v /= 2;
    }
    ++passes;
    if (u == 1) {
      return {passes, CallExit::u_is_one};
    }
    if (v == 1) {
      return {passes, CallExit::v_is_one};
    }
    if (u == v) {
      return {passes, CallExit::u_equals_v};
    }
    const std::uint32_t low = u < v ? u : v;
    u = (u < v ? v - u : u - v) / 2;
    v = low;
  }
}

TEST(GroupCalls, SortsEachCallByAnIndependentCountOfItsPassesAndExit) {
  std::vector<Pair> pairs = drawn_pairs(3000);
  pairs.push_back({0, 7});                      // no pass in the binary loop
  pairs.push_back({0x80000000U, 0xFFFFFFFFU});  // signed: answered before the loop
  pairs.push_back({12, 1});                     // v is 1 in the first pass
  for (const char* kernel : {"gcd_euclid_u", "gcd_euclid_s", "gcd_binary_u", "gcd_binary_s"}) {
    const std::string name = kernel;
    const bool is_signed = name.ends_with("_s");
    std::map<std::pair<std::uint32_t, CallExit>, std::size_t> expected;
    for (const Pair& pair : pairs) {
      const auto kind =
          name.starts_with("gcd_euclid")
              ? std::pair{euclid_passes(pair.first, pair.second, is_signed), CallExit::one}
              : binary_call(is_signed ? magnitude(pair.first) : pair.first,
                            is_signed ? magnitude(pair.second) : pair.second);
      ++expected[kind];
    }
    std::size_t grouped = 0;
    std::pair<std::uint32_t, CallExit> previous{0, CallExit::one};
    const std::vector<CallGroup> groups = group_calls(name, pairs);
    for (const CallGroup& group : groups) {
      const std::pair kind{group.passes, group.exit};
      EXPECT_EQ(group.pairs.size(), expected[kind]) << kernel << ", " << group.passes << " passes";
      EXPECT_TRUE(&group == &groups.front() || previous < kind) << "not sorted: " << kernel;
      previous = kind;
      grouped += group.pairs.size();
    }
    EXPECT_EQ(groups.size(), expected.size()) << kernel;
    EXPECT_EQ(grouped, pairs.size()) << kernel;
  }
}

TEST(GroupCalls, KeepsThePairsInTheProgramsOrder) {
  const std::vector<Pair> pairs{{48, 18}, {18, 48}, {5, 3}, {48, 18}};
  const std::vector<CallGroup> groups = group_calls("gcd_binary_u", pairs);
  ASSERT_EQ(groups.size(), 2U);  // 2 passes, u equals v (48, 18 both ways); 2, u is 1 (5, 3)
  EXPECT_EQ(groups[0].exit, CallExit::u_is_one);
  EXPECT_EQ(groups[1].exit, CallExit::u_equals_v);
  ASSERT_EQ(groups[1].pairs.size(), 3U);
  EXPECT_EQ(groups[1].pairs[1].first, 18U);
}

TEST(TimedTable, RepeatsASmallGroupToTheCallsATimingTakes) {
  const std::vector<Pair> three{{1, 2}, {3, 4}, {5, 6}};
  const std::vector<Pair> table = timed_table(three);
  EXPECT_EQ(table.size(), 4098U);  // 1366 times the three, the first to reach 4096
  EXPECT_EQ(table[4095].first, 1U);
  const std::vector<Pair> large(5000, Pair{7, 8});
  EXPECT_EQ(timed_table(large).size(), 5000U);
  EXPECT_TRUE(timed_table({}).empty());
}

// Two pairs in one loop make as many passes as the longer of them: taken two at a time, the
// last alone where the pairs are odd.
TEST(MeanPassesOfTwo, IsTheMeanOfTheLargerPassesOfConsecutivePairs) {
  EXPECT_DOUBLE_EQ(mean_passes_of_two({3, 7, 10, 2}), (7 + 10) / 2.0);
  EXPECT_DOUBLE_EQ(mean_passes_of_two({3, 7, 5}), (7 + 5) / 2.0);
  EXPECT_DOUBLE_EQ(mean_passes_of_two({}), 0);
}

}  // namespace
