// Comparing a report with an earlier one: two compilers, two machines, two versions.
#pragma once

#include <string>

#include "report/figures/results.h"

// One row per figure of the new report (each benchmark's median, each kernel's ns per call,
// the speed of binary against Euclid): old, new, new/old, and whether the two 95% intervals
// are apart or overlap (then the change is within the noise).
[[nodiscard]] std::string format_comparison(const Results& now, const Results& old,
                                            const std::string& old_name);
