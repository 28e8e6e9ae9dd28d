// A report against an earlier one: each figure of the new report beside the same figure of
// the old, where it has it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/figures/results.h"

struct ComparedFigure {
  std::string figure;  // "bench_euclid_u msec", "gcd_binary_u cycles/call"
  std::optional<Estimate> old_value;
  Estimate new_value;
  bool one_figure = false;  // measured as one figure, never with an interval
  bool disturbed = false;   // timed in a phase that was not quiet, in either report
};

// Each benchmark's median, the binary speed-up per signedness, each kernel's ns per call
// (and cycles per call where both reports know their clock), each Euclidean kernel's
// division and each kit kernel's chain and call bound; a row of the programs or the study
// marked disturbed where that phase was not quiet in either report.
[[nodiscard]] std::vector<ComparedFigure> compared_figures(const Results& now, const Results& old);
