// The report's answer to "what bounds a pass?" as text: the latencies timed here, the divider
// on Euclid's own operands, each kit kernel's chain against its measured pass and LLVM's
// model, and the processor's counters.
#pragma once

#include <string>

#include "report/figures/results.h"

// Where a kernel's measured call and its chain's part by more than this, the report says
// which costs more; within it, the call is its chain.
inline constexpr double CHAIN_EXPLAINS = 0.10;

void bound_section(std::string& out, const Results& results);

// The sentence that says what the measurement of a kernel's call shows against its chain:
// "gcd_euclid_u is its chain: ..." or "gcd_binary_u costs 18.1% more than its chain: ...".
[[nodiscard]] std::string chain_sentence(const Results& results, const KernelBound& bound);
