// The divider on the operands of Euclid's own loop: the dividend and divisor of every pass of
// gcd_euclid_u and gcd_euclid_s on a sample of the programs' pairs, seen through the kernels'
// pass observer, timed as one chain of divisions in which each waits for the one before, and
// split by the size of the quotient, beside the Gauss-Kuzmin law of quotients.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "study/chains.h"
#include "study/latency.h"
#include "study/pairs.h"

// The sample: the first pairs of the programs' own.
inline constexpr std::uint32_t DIVIDER_PAIRS = 20'000;

// Quotients from low to high: 0 (a dividend smaller than its divisor, the pass that swaps
// them), 1, 2 to 3, 4 to 7, and 8 and more (high UINT32_MAX).
inline constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 5> QUOTIENT_GROUPS{
    {{0, 0}, {1, 1}, {2, 3}, {4, 7}, {8, UINT32_MAX}}};

struct QuotientGroup {
  std::uint32_t low;
  std::uint32_t high;
  std::uint64_t passes;
  std::optional<double> cycles;  // the division's latency on this group's operands
};

struct DividerFigures {
  std::string kernel;
  std::uint64_t pairs = 0;
  std::uint64_t passes = 0;
  std::optional<double> cycles;  // on all its passes, in their order
  // The same divisions with none waiting for another: the divider's throughput on them, in
  // cycles a division (not net of anything: no instruction carries a dependency).
  std::optional<double> unchained_cycles;
  std::vector<QuotientGroup> groups;  // one per QUOTIENT_GROUPS
};

// The divisions that Euclid's loop makes on the pairs, as it makes them (through its pass
// observer), in the unsigned or the signed kernel.
[[nodiscard]] std::vector<Division> euclid_divisions(std::span<const Pair> pairs, bool is_signed);

// The magnitude of a division's quotient, of the words read as unsigned or signed.
[[nodiscard]] std::uint32_t quotient_of(const Division& division, bool is_signed);

// The share of quotients from low to high (1 <= low; high UINT32_MAX for "and more") among all
// quotients, by the Gauss-Kuzmin law: the share of q is -log2(1 - 1/(q+1)^2), which sums to
// log2((low+1)/low * (high+1)/(high+2)).
[[nodiscard]] double gauss_kuzmin_share(std::uint32_t low, std::uint32_t high);

// The divider of each Euclidean kernel on the pairs, in cycles of the latencies' clock with the
// carriers ("and" and "add") taken off; no figures where the latencies have no clock or no
// chain runs here.
[[nodiscard]] std::vector<DividerFigures> time_divider(std::span<const Pair> pairs,
                                                       const Latencies& latencies);
