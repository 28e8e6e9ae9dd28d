// Chains of dependent instructions in inline assembly, each instruction waiting for the one
// before, for timing their latencies as uops.info and Agner Fog do: one chain per form of an
// instruction that the kit's kernels run, and one that divides each pair of an array of
// operands in turn. Only what runs: the timing and the arithmetic on it are the callers'.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

// One link of a chain is the instruction under test (per_link copies of it) and the
// instructions that only carry the dependency on to the next link: and_carriers of "and with
// 0" (or "and with the zero register") and add_carriers of "add", whose latencies the caller
// takes off.
struct InstructionChain {
  const char* key;    // the form as the analysis of machine code names it: "div", "cmovbe"
  const char* shown;  // as the report shows it: "div r32, quotient 1"
  const char* link;   // one link's instructions, as the inline assembly gives them
  unsigned per_link;
  unsigned and_carriers;
  unsigned add_carriers;
  void (*run)(std::uint32_t rounds);  // rounds of CHAIN_LINKS links
};

inline constexpr std::uint32_t CHAIN_LINKS = 100;

// The chains of this processor's forms (x86, 32 and 64-bit: div, idiv, cltd, tzcnt, bsf,
// shifts, sub, cmp with each conditional move, mov; aarch64: udiv, sdiv, msub, rbit, clz,
// lsr, csel, subs, mov), the first of them the carrier "and" itself; none elsewhere.
[[nodiscard]] std::span<const InstructionChain> instruction_chains();

// Whether tzcnt runs as itself here (BMI1), rather than as bsf; true off x86.
[[nodiscard]] bool has_tzcnt();

// One division's operands, as words: the dividend and the divisor.
struct Division {
  std::uint32_t dividend;
  std::uint32_t divisor;
};

// Runs the divisions of the array, in order. Chained, each divisor waits for the remainder of
// the division before it through one "and" and one "add", the words divided staying as given:
// the divider's latency. Unchained, no division waits for another: its throughput. On x86 the
// division is div (unsigned) or cltd and idiv (signed); on aarch64 udiv or sdiv and the msub
// that forms the remainder. The last division's remainder (as a word); none where there is no
// such code here, or no division.
std::optional<std::uint32_t> run_divisions(std::span<const Division> divisions, bool is_signed,
                                           bool chained);
