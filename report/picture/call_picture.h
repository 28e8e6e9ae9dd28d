// What bounds a call, drawn: each kit kernel's groups of calls, cycles a call against passes,
// the line through them (the overlapped pass), the line of its chain, and its calls in the
// programs' order at their mean passes; a row of two panels, unsigned and signed.
#pragma once

#include <string>

#include "report/figures/results.h"

// The height the row takes (0 where the results hold no call bounds).
[[nodiscard]] double call_panels_height(const Results& results);

// The row, from the top given.
void call_panels(std::string& out, const Results& results, double top);
