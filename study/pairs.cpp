// Making the study's pairs.
#include "study/pairs.h"

#include <random>

#include "kernels/rng.h"

// The study's own copy of the source's state, as each kind of program has one; set to the
// benchmarks' initial state before each use.
std::uint32_t rng_state = 1;

std::vector<Pair> drawn_pairs(std::uint32_t count) {
  std::vector<Pair> pairs;
  pairs.reserve(count);
  rng_state = 1;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t r1 = rng_next();
    const std::uint32_t r2 = rng_next();
    pairs.push_back({r2, r1});
  }
  return pairs;
}

std::vector<Pair> uniform_pairs(unsigned bits, bool is_signed, std::size_t count,
                                std::uint64_t seed) {
  std::mt19937_64 random(seed);
  const std::uint32_t mask = bits >= 32 ? UINT32_MAX : (std::uint32_t{1} << bits) - 1;
  const std::uint32_t sign = std::uint32_t{1} << (bits - 1);
  // The low bits of one draw; a signed operand takes bit bits-1 as its sign.
  const auto operand = [&] {
    const auto word = static_cast<std::uint32_t>(random()) & mask;
    return is_signed ? (word ^ sign) - sign : word;
  };
  std::vector<Pair> pairs(count);
  for (Pair& pair : pairs) {
    pair.first = operand();
    pair.second = operand();
  }
  return pairs;
}
