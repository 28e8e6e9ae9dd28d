// Reports side by side as a picture: the binary speed-up against operand size.
#pragma once

#include <string>
#include <vector>

#include "report/figures/side_by_side.h"

// One line per report and signedness, from each report's sweep.
[[nodiscard]] std::string draw_side_by_side(const std::vector<NamedReport>& reports);
