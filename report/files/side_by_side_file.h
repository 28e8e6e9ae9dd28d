// Reports side by side as a JSON document: the table's data, one object per report.
#pragma once

#include <vector>

#include "report/figures/side_by_side.h"
#include "report/files/json.h"

// "format": "gcd-kit side by side 1", and per report its machine, build, speed-ups, kit
// kernels, peers and the sweep's binary speed-up.
[[nodiscard]] Json side_by_side_json(const std::vector<NamedReport>& reports);
