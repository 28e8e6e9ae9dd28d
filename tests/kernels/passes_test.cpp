// Passes per call, counted by the kernels' own loops, where the count is known by hand.
#include "kernels/passes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

#include "kernels/gcd.h"

namespace {

constexpr std::uint32_t word(std::int32_t value) { return static_cast<std::uint32_t>(value); }
constexpr std::uint32_t INT_MIN_WORD = 0x80000000U;

struct KnownPasses {
  pass_counter passes;
  const char* kernel;
  std::uint32_t first;
  std::uint32_t second;
  std::uint32_t expected;
};

// Euclid: one pass per division. Binary: one pass per strip-and-test step. No pass at all
// where a call returns before its loop (a zero, and ±1 in the signed Euclid).
constexpr std::array<KnownPasses, 24> KNOWN_PASSES{{
    {passes_euclid_u, "euclid_u", 0, 0, 0},
    {passes_euclid_u, "euclid_u", 7, 0, 0},
    {passes_euclid_u, "euclid_u", 0, 7, 1},    // 0 mod 7 swaps them
    {passes_euclid_u, "euclid_u", 18, 12, 2},  // 6, then 0
    {passes_euclid_u, "euclid_u", 12, 18, 3},  // a smaller first argument costs a pass
    {passes_euclid_u, "euclid_u", 13, 8, 5},   // Fibonacci neighbours F7, F6
    {passes_euclid_u, "euclid_u", 2971215073U, 1836311903, 45},  // F47, F46: the most
    {passes_euclid_s, "euclid_s", 0, 0, 0},
    {passes_euclid_s, "euclid_s", word(-7), 0, 0},
    {passes_euclid_s, "euclid_s", word(-12), 18, 3},
    {passes_euclid_s, "euclid_s", word(-1), 12345, 0},  // answered before the loop
    {passes_euclid_s, "euclid_s", INT_MIN_WORD, word(-1), 0},
    {passes_euclid_s, "euclid_s", word(-13), word(-8), 5},
    {passes_binary_u, "binary_u", 0, 0, 0},
    {passes_binary_u, "binary_u", 0, 9, 0},
    {passes_binary_u, "binary_u", 96, 0, 0},
    {passes_binary_u, "binary_u", 48, 18, 2},  // the worked example: 3 and 9, then 3 and 3
    {passes_binary_u, "binary_u", 18, 48, 2},
    {passes_binary_u, "binary_u", 1, 0xFFFFFFFF, 1},
    {passes_binary_u, "binary_u", INT_MIN_WORD, INT_MIN_WORD, 1},
    {passes_binary_u, "binary_u", 3, 5, 2},  // 3 and 5, then 1 and 3
    {passes_binary_s, "binary_s", word(-48), 18, 2},
    {passes_binary_s, "binary_s", 0, word(-7), 0},
    {passes_binary_s, "binary_s", word(-1), INT_MIN_WORD, 1},
}};

// The counters are constexpr, so the table is checked as the test compiles; a wrong row
// shows in the compiler's message as the index on the left of "== -1".
constexpr int first_wrong_row() {
  for (std::size_t i = 0; i < KNOWN_PASSES.size(); ++i) {
    const KnownPasses& row = KNOWN_PASSES[i];
    if (row.passes(row.first, row.second) != row.expected) {
      return static_cast<int>(i);
    }
  }
  return -1;
}
static_assert(first_wrong_row() == -1, "a pass count of the table is wrong");

// A Euclidean pass is one division: after it, the rest of the call is the call on (b, a mod
// b). Consecutive Fibonacci numbers take one pass more for each step up the sequence.
TEST(PassCounts, EuclidCountsOneDivisionPerPass) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 100000; ++trial) {
    const auto a = static_cast<std::uint32_t>(random());
    const auto b = static_cast<std::uint32_t>(random() >> (random() % 32));
    if (b != 0) {
      ASSERT_EQ(passes_euclid_u(a, b), 1 + passes_euclid_u(b, a % b)) << a << ", " << b;
    }
    ASSERT_LE(passes_euclid_u(a, b), 45U) << a << ", " << b;
  }
  std::uint32_t previous = 1;
  std::uint32_t current = 2;
  for (std::uint32_t n = 3; current < 2971215073U; ++n) {  // (F(n+1), F(n)) takes n-1
    const std::uint32_t next = previous + current;
    previous = current;
    current = next;
    EXPECT_EQ(passes_euclid_u(current, previous), n - 1) << current << ", " << previous;
  }
}

// The signed binary kernel is the unsigned loop on the magnitudes, pass for pass.
TEST(PassCounts, SignedBinaryMakesThePassesOfTheMagnitudes) {
  std::mt19937 random(11);
  const auto magnitude = [](std::uint32_t w) { return w < INT_MIN_WORD ? w : 0U - w; };
  for (int trial = 0; trial < 100000; ++trial) {
    const auto a = static_cast<std::uint32_t>(random());
    const auto b = static_cast<std::uint32_t>(random());
    ASSERT_EQ(passes_binary_s(a, b), passes_binary_u(magnitude(a), magnitude(b))) << a << ", " << b;
  }
}

}  // namespace
