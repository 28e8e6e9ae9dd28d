// Timing a kernel in the study: the benchmark programs' own loop on their pairs, and a loop
// over a table of pairs for the sweep. Each returns nanoseconds per call, loop included.
#pragma once

#include <cstdint>
#include <span>

#include "kernels/gcd.h"
#include "study/pairs.h"
#include "study/peers.h"

// A kernel that does no work, to time the loops alone.
[[nodiscard]] std::uint32_t empty_kernel(std::uint32_t first, std::uint32_t second) noexcept;

// The first count calls of a benchmark program's loop (kernels/call_loop.h), from the
// benchmarks' initial state: the same draws, the same indirect call, the result kept.
[[nodiscard]] double ns_per_call_on_drawn_pairs(gcd_kernel kernel, std::uint32_t count);

// One call per pair of the table, through the kernel pointer, the result kept.
[[nodiscard]] double ns_per_call_on_pairs(gcd_kernel kernel, std::span<const Pair> pairs);

// A kernel of the two-pair shape that does no work, to time its loop alone.
[[nodiscard]] TwoGcds empty_two_pair_kernel(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                            std::uint32_t d) noexcept;

// The table's pairs two at a time through the kernel pointer, both results kept: ns per pair,
// the loop included (an odd last pair goes with the first).
[[nodiscard]] double ns_per_pair_two_at_a_time(two_pair_kernel kernel, std::span<const Pair> pairs);
