// Known answers, identities and dense agreement of the four GCD kernels.
#include "kernels/gcd.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "tests/reference_gcd.h"

namespace {

constexpr std::uint32_t word(std::int32_t value) { return static_cast<std::uint32_t>(value); }
constexpr std::uint32_t INT_MIN_WORD = 0x80000000U;

struct Kernel {
  const char* name;
  gcd_kernel kernel;
  std::uint32_t (*reference)(std::uint32_t, std::uint32_t);
};
constexpr std::array<Kernel, 4> KERNELS{{
    {"gcd_euclid_u", gcd_euclid_u, reference_gcd_u},
    {"gcd_binary_u", gcd_binary_u, reference_gcd_u},
    {"gcd_euclid_s", gcd_euclid_s, reference_gcd_s},
    {"gcd_binary_s", gcd_binary_s, reference_gcd_s},
}};

// Words where the kernels' loops turn: zeros, ones, signs, powers of two, the extremes and
// consecutive Fibonacci numbers (the most remainder steps for their size).
std::vector<std::uint32_t> edge_words() {
  std::vector<std::uint32_t> words{0,          1,          2,           3,          5,
                                   6,          7,          12,          18,         48,
                                   96,         0x7FFFFFFF, 0x7FFFFFFE,  0x80000001, 0xFFFFFFFF,
                                   0xFFFFFFFE, 0xFFFFFFFD, 1134903170,  1836311903, 2971215073U,
                                   701408733,  433494437,  3221225472U, 65536 * 3,  0x55555555};
  for (std::uint32_t k = 1; k < 32; ++k) {
    words.push_back(std::uint32_t{1} << k);
    words.push_back((std::uint32_t{1} << k) - 1);
  }
  const std::size_t positive = words.size();
  for (std::size_t i = 0; i < positive; ++i) {
    words.push_back(0U - words[i]);  // the same magnitudes read as negative
  }
  return words;
}

struct KnownAnswer {
  std::uint32_t first;
  std::uint32_t second;
  std::uint32_t unsigned_gcd;  // both words read as unsigned
  std::uint32_t signed_gcd;    // both words read as signed
};

constexpr std::array<KnownAnswer, 25> KNOWN_ANSWERS{{
    {0, 0, 0, 0},
    {0, 7, 7, 7},
    {7, 0, 7, 7},
    {96, 0, 96, 96},
    {12, 18, 6, 6},
    {18, 12, 6, 6},
    {48, 18, 6, 6},
    {18, 48, 6, 6},
    {1, 0xFFFFFFFF, 1, 1},
    {0xFFFFFFFF, 3, 3, 1},  // -1 and 3 when read as signed
    {0xFFFFFFFF, 0xFFFFFFFE, 1, 1},
    {INT_MIN_WORD, INT_MIN_WORD, INT_MIN_WORD, INT_MIN_WORD},
    {INT_MIN_WORD, 0, INT_MIN_WORD, INT_MIN_WORD},
    {0, INT_MIN_WORD, INT_MIN_WORD, INT_MIN_WORD},
    {INT_MIN_WORD, 6, 2, 2},
    {INT_MIN_WORD, 0xFFFFFFFF, 1, 1},  // -2^31 % -1 overflows a native signed division
    {0xFFFFFFFF, INT_MIN_WORD, 1, 1},  // ... and is reached here in the second pass
    {word(-12), 18, 2, 6},
    {12, word(-18), 2, 6},
    {word(-12), word(-18), 2, 6},
    {word(-7), 0, word(-7), 7},
    {0, word(-7), word(-7), 7},
    {1836311903, 2971215073U, 1, 1},           // Fibonacci neighbours F46, F47
    {3U << 30, 3U << 29, 3U << 29, 1U << 29},  // -2^30 when read as signed
    {0xFFFFFFFE, 0x7FFFFFFF, 0x7FFFFFFF, 1},   // -2 and 2^31-1 signed
}};

TEST(GcdKernels, GiveTheKnownAnswers) {
  for (const KnownAnswer& row : KNOWN_ANSWERS) {
    SCOPED_TRACE(testing::Message() << "first=" << row.first << " second=" << row.second);
    EXPECT_EQ(gcd_euclid_u(row.first, row.second), row.unsigned_gcd);
    EXPECT_EQ(gcd_binary_u(row.first, row.second), row.unsigned_gcd);
    EXPECT_EQ(gcd_euclid_s(row.first, row.second), row.signed_gcd);
    EXPECT_EQ(gcd_binary_s(row.first, row.second), row.signed_gcd);
  }
}

TEST(GcdKernels, HoldTheIdentitiesOnEdgeWords) {
  const std::vector<std::uint32_t> words = edge_words();
  for (const Kernel& k : KERNELS) {
    SCOPED_TRACE(k.name);
    for (const std::uint32_t x : words) {
      const std::uint32_t self = k.reference(x, x);  // the magnitude of x
      EXPECT_EQ(k.kernel(x, x), self) << "gcd(x, x), x=" << x;
      EXPECT_EQ(k.kernel(0, x), self) << "gcd(0, x), x=" << x;
      EXPECT_EQ(k.kernel(x, 0), self) << "gcd(x, 0), x=" << x;
      EXPECT_EQ(k.kernel(1, x), 1U) << "gcd(1, x), x=" << x;
      EXPECT_EQ(k.kernel(x, 1), 1U) << "gcd(x, 1), x=" << x;
    }
  }
}

TEST(GcdKernels, AgreeWithAnIndependentGcdOnAllPairsOfEdgeWords) {
  const std::vector<std::uint32_t> words = edge_words();
  for (const Kernel& k : KERNELS) {
    SCOPED_TRACE(k.name);
    for (const std::uint32_t a : words) {
      for (const std::uint32_t b : words) {
        const std::uint32_t expected = k.reference(a, b);
        ASSERT_EQ(k.kernel(a, b), expected) << "first=" << a << " second=" << b;
        ASSERT_EQ(k.kernel(b, a), expected) << "first=" << b << " second=" << a;
      }
    }
  }
}

// Every pair of a block around 0: the binary kernel must return the Euclidean kernel's word.
TEST(GcdKernels, BinaryAgreesWithEuclidOnDenseBlocks) {
  for (std::uint32_t a = 0; a <= 2048; ++a) {
    for (std::uint32_t b = 0; b <= 2048; ++b) {
      const std::uint32_t expected = gcd_euclid_u(a, b);
      ASSERT_EQ(expected, reference_gcd_u(a, b)) << "first=" << a << " second=" << b;
      ASSERT_EQ(gcd_binary_u(a, b), expected) << "first=" << a << " second=" << b;
    }
  }
  for (std::int32_t a = -1024; a <= 1024; ++a) {
    for (std::int32_t b = -1024; b <= 1024; ++b) {
      const std::uint32_t expected = gcd_euclid_s(word(a), word(b));
      ASSERT_EQ(expected, reference_gcd_s(word(a), word(b))) << "first=" << a << " second=" << b;
      ASSERT_EQ(gcd_binary_s(word(a), word(b)), expected) << "first=" << a << " second=" << b;
    }
  }
}

// Random pairs with a fixed seed, so a failure replays; common factors are multiplied in
// because uniformly random pairs are mostly coprime.
TEST(GcdKernels, AgreeWithAnIndependentGcdOnSeededRandomPairs) {
  std::mt19937 engine(20261208);
  const auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
  for (int trial = 0; trial < 300000; ++trial) {
    const std::uint32_t factor = 1U + (random() & 0xFFFU);
    const std::uint32_t a = (random() * factor) << (random() % 20);
    const std::uint32_t b = (random() * factor) << (random() % 20);
    for (const Kernel& k : KERNELS) {
      ASSERT_EQ(k.kernel(a, b), k.reference(a, b)) << k.name << " first=" << a << " second=" << b;
    }
  }
}

}  // namespace
