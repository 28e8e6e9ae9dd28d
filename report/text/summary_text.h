// The report's answers first: a summary of at most about fifteen lines right after the
// machine's identity, each line with its figure as the section below it states it.
#pragma once

#include <string>

#include "report/figures/results.h"

void summary_section(std::string& out, const Results& results);

// "binary is 1.85 times as fast as Euclid (1.83-1.87)", from the programs' runs (no interval
// where there is none); "not measured" where they did not run.
[[nodiscard]] std::string speedup_words(const std::optional<Estimate>& times);
