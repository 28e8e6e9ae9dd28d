// The peers give the GCD on the words where their own algorithms have edges.
#include "study/peers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "tests/reference_gcd.h"

namespace {

TEST(Peers, AgreeWithAnIndependentGcdOnEdgeWordsAndRandomPairs) {
  std::vector<std::uint32_t> words{0,          1,          2,          3,          6,
                                   12,         18,         48,         0x7FFFFFFF, 0x80000000,
                                   0xFFFFFFFF, 0xFFFFFFFE, 1836311903, 2971215073U};
  for (std::uint32_t k = 1; k < 32; ++k) {
    words.push_back(std::uint32_t{1} << k);
    words.push_back(3U << (k - 1));
  }
  ASSERT_GE(peers().size(), 2U);
  for (const Peer& peer : peers()) {
    SCOPED_TRACE(peer.name);
    for (const std::uint32_t a : words) {
      for (const std::uint32_t b : words) {
        ASSERT_EQ(peer.kernel(a, b), reference_gcd_u(a, b)) << a << ", " << b;
      }
    }
    std::mt19937 random(3);
    for (int trial = 0; trial < 100000; ++trial) {
      const std::uint32_t factor = 1 + (random() & 0xFF);
      const auto a = static_cast<std::uint32_t>(random()) * factor;
      const auto b = static_cast<std::uint32_t>(random()) * factor;
      ASSERT_EQ(peer.kernel(a, b), reference_gcd_u(a, b)) << a << ", " << b;
    }
  }
}

// Two pairs at once: every pair of edge words against every other, random pairs, a pair done
// long before the other (a zero, a word of 1, against Fibonacci neighbours, the most passes),
// in both places.
TEST(TwoPairPeers, AgreeWithAnIndependentGcdOnBothPairs) {
  const std::vector<std::uint32_t> words{0,          1,          2,          3,          6,
                                         12,         18,         48,         0x7FFFFFFF, 0x80000000,
                                         0xFFFFFFFF, 0xFFFFFFFE, 1836311903, 2971215073U};
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
  for (const std::uint32_t a : words) {
    for (const std::uint32_t b : words) {
      pairs.emplace_back(a, b);
    }
  }
  ASSERT_EQ(two_pair_peers().size(), 2U);
  for (const TwoPairPeer& peer : two_pair_peers()) {
    SCOPED_TRACE(peer.name);
    for (const auto& [a, b] : pairs) {
      for (const auto& [c, d] : pairs) {
        const TwoGcds both = peer.kernel(a, b, c, d);
        ASSERT_EQ(both.first, reference_gcd_u(a, b))
            << a << ", " << b << " beside " << c << ", " << d;
        ASSERT_EQ(both.second, reference_gcd_u(c, d))
            << c << ", " << d << " beside " << a << ", " << b;
      }
    }
    std::mt19937 random(5);
    for (int trial = 0; trial < 100000; ++trial) {
      const std::uint32_t factor = 1 + (random() & 0xFF);
      const auto a = static_cast<std::uint32_t>(random()) * factor;
      const auto b = static_cast<std::uint32_t>(random()) * factor;
      const auto c = static_cast<std::uint32_t>(random());
      const auto d = static_cast<std::uint32_t>(random());
      const TwoGcds both = peer.kernel(a, b, c, d);
      ASSERT_EQ(both.first, reference_gcd_u(a, b)) << a << ", " << b;
      ASSERT_EQ(both.second, reference_gcd_u(c, d)) << c << ", " << d;
    }
  }
}

}  // namespace
