// The report's answer to "was the machine quiet?": each phase watched, its figures' spread
// against a quiet run's and what the system says, one finding per disturbed phase.
#pragma once

#include <string>

#include "report/figures/results.h"

void quiet_section(std::string& out, const Results& results);

// "the programs' runs", "the study on the programs' pairs", "the sweep".
[[nodiscard]] std::string phase_words(const std::string& phase);
