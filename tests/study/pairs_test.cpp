// The study's pairs: the programs' own, and uniform operands of a given size.
#include "study/pairs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace {

TEST(DrawnPairs, AreTheBenchmarkProgramsPairs) {
  const std::vector<Pair> pairs = drawn_pairs(3);
  ASSERT_EQ(pairs.size(), 3U);
  EXPECT_EQ(pairs[0].first, 3698175007U);  // the later draw first
  EXPECT_EQ(pairs[0].second, 134775814U);
  EXPECT_EQ(pairs[1].first, 1172187917U);
  EXPECT_EQ(pairs[1].second, 870078620U);
  EXPECT_EQ(drawn_pairs(3)[2].first, pairs[2].first);  // from the initial state every time
}

TEST(UniformPairs, FillTheirRangeAndNoMore) {
  for (const unsigned bits : {1U, 2U, 4U, 17U, 31U, 32U}) {
    for (const bool is_signed : {false, true}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, signed " << is_signed);
      const std::int64_t low = is_signed ? -(std::int64_t{1} << (bits - 1)) : 0;
      const std::int64_t high = low + (std::int64_t{1} << bits);  // exclusive
      std::int64_t smallest = high;
      std::int64_t largest = low - 1;
      for (const Pair& pair : uniform_pairs(bits, is_signed, 4000, 99)) {
        for (const std::uint32_t word : {pair.first, pair.second}) {
          const std::int64_t value =
              is_signed ? std::int64_t{static_cast<std::int32_t>(word)} : std::int64_t{word};
          ASSERT_GE(value, low);
          ASSERT_LT(value, high);
          smallest = std::min(smallest, value);
          largest = std::max(largest, value);
        }
      }
      // Both ends of the range are near: the top bit of the size is drawn, not lost.
      const double width = static_cast<double>(high - low);
      EXPECT_LT(static_cast<double>(smallest - low), width / 64 + 1);
      EXPECT_LT(static_cast<double>(high - 1 - largest), width / 64 + 1);
    }
  }
}

// The signed kernels see the very words the unsigned ones do, read as two's complement of
// their size: the same low bits, the top one copied upwards as the sign.
TEST(UniformPairs, AreTheUnsignedWordsReadAsTwosComplement) {
  for (const unsigned bits : {1U, 5U, 31U, 32U}) {
    SCOPED_TRACE(testing::Message() << bits << " bits");
    const std::vector<Pair> plain = uniform_pairs(bits, false, 200, 7);
    const std::vector<Pair> signed_pairs = uniform_pairs(bits, true, 200, 7);
    for (std::size_t i = 0; i < plain.size(); ++i) {
      for (const auto& [word, read] : {std::pair{plain[i].first, signed_pairs[i].first},
                                       std::pair{plain[i].second, signed_pairs[i].second}}) {
        const std::int64_t top = std::int64_t{1} << (bits - 1);
        const std::int64_t expected = word >= top ? std::int64_t{word} - 2 * top : word;
        ASSERT_EQ(std::int64_t{static_cast<std::int32_t>(read)}, expected) << word;
      }
    }
  }
}

TEST(UniformPairs, RepeatWithTheirSeedAndDifferWithAnother) {
  const std::vector<Pair> a = uniform_pairs(20, false, 100, 5);
  const std::vector<Pair> b = uniform_pairs(20, false, 100, 5);
  const std::vector<Pair> c = uniform_pairs(20, false, 100, 6);
  EXPECT_EQ(a[99].first, b[99].first);
  EXPECT_EQ(a[99].second, b[99].second);
  EXPECT_NE(a[99].first, c[99].first);
}

}  // namespace
