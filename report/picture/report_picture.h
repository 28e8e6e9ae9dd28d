// The report's picture: a self-contained SVG that any browser opens.
#pragma once

#include <string>

#include "report/figures/results.h"

// Two panels against operand size in bits: ns per call of every kernel and peer, and passes
// per call of the kit's kernels with the two theory lines; axes with units, a legend, and
// the machine and compiler in the title. Every kernel's line is a <g class="series ...">
// with its name in data-kernel.
[[nodiscard]] std::string draw_svg(const Results& results);
