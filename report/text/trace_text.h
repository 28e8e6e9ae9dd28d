// One pair traced through the kit kernels' loops, as text for a terminal of 80 columns.
#pragma once

#include <string>

#include "report/figures/trace.h"

// Each kernel's passes in a table (Euclid's divisions, the binary loop's strips and exits),
// its result and how the loop made it; then the four results, and where the two readings of
// the words part.
[[nodiscard]] std::string format_trace(const Trace& trace);
