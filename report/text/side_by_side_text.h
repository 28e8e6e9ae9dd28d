// Several reports side by side as text: one column per report (a machine, a compiler, a
// build), the figures a reader compares in rows.
#pragma once

#include <string>
#include <vector>

#include "report/figures/side_by_side.h"

// The table for a terminal of 80 columns: as many report columns as fit, in blocks of them
// one below the other. Headed by each report's machine (processor, virtual or not, clock),
// compiler and build; then the binary speed-up per signedness with its interval, each kit
// kernel's cycles per pass (ns where a report has no clock) and passes per call, passes per
// bit, each peer's ratio to gcd_euclid_u, and LLVM's model where a report has one.
[[nodiscard]] std::string format_side_by_side(const std::vector<NamedReport>& reports);
