// What bounds a pass by latency alone: the longest chain of dependent instructions in each
// kit kernel's loop, each instruction at the latency measured here (the division at its
// latency on the kernel's own operands), and, where no machine code can be read, the steps
// that Euclid's algorithm itself chains from one pass to the next.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/figures/results.h"
#include "report/machine/machine_code.h"
#include "report/machine/model.h"

// A chain's text shows its first steps, then how many more: a loop of the kit chains a handful.
inline constexpr std::size_t CHAIN_STEPS_SHOWN = 12;

// The latency of an instruction of a kernel's loop from the study's measurements; a form not
// measured here takes 1 cycle and is added to unmeasured (once).
[[nodiscard]] double measured_latency(const DecodedInstruction& instruction,
                                      const std::string& kernel, const Study& study,
                                      std::vector<std::string>& unmeasured);

// The bound of each loop's pass, where its loop carries a chain.
[[nodiscard]] std::vector<KernelBound> latency_bounds(const std::vector<KernelLoop>& loops,
                                                      const Study& study);

// Where no machine code can be read, the steps each algorithm chains itself: each Euclidean
// kernel's division on its own operands and the move that makes its remainder the next
// divisor; each binary kernel's comparison and conditional move that choose the smaller word,
// the count of the zeros of the next and the shift by that count.
[[nodiscard]] std::vector<KernelBound> algorithm_bounds(const Study& study);
