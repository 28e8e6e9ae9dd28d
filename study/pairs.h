// The argument pairs of the study: the benchmark programs' own, and the sweep's independent
// uniform pairs of a given operand size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Pair {
  std::uint32_t first;
  std::uint32_t second;
};

// The first count pairs that the benchmark programs feed their kernels: the pseudo-random
// source from state 1, the later draw first.
[[nodiscard]] std::vector<Pair> drawn_pairs(std::uint32_t count);

// count pairs of independent k-bit operands (1 <= bits <= 32) from std::mt19937_64 with the
// given seed, one draw per operand: uniform in [0, 2^bits) read as unsigned, or in
// [-2^(bits-1), 2^(bits-1)) as 32-bit two's complement words for the signed kernels: the same
// draws as the unsigned pairs of the seed, their top bit copied upwards.
[[nodiscard]] std::vector<Pair> uniform_pairs(unsigned bits, bool is_signed, std::size_t count,
                                              std::uint64_t seed);
