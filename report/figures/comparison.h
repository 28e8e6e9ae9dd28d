// A report against an earlier one: each figure of the new report beside the same figure of
// the old, where it has it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/figures/results.h"

// What a row measures, where the short summary of a comparison looks for it.
enum class Measure { other, speedup, ns_per_call };

struct ComparedFigure {
  std::string figure;  // "bench_euclid_u msec", "gcd_binary_u cycles/call"
  std::optional<Estimate> old_value;
  Estimate new_value;
  bool one_figure = false;  // measured as one figure, never with an interval
  bool disturbed = false;   // timed in a phase that was not quiet, in either report
  Measure measure = Measure::other;
  std::string subject = {};  // of a speed-up its signedness, of ns a call its kernel
};

// What the change of a figure tells: nothing (the old report lacks it, or it was disturbed,
// or it is one figure, or either side has no interval), or whether the two intervals stand
// apart.
enum class ChangeVerdict { not_in_old, disturbed, one_figure, no_interval, apart, within_noise };
[[nodiscard]] ChangeVerdict change_verdict(const ComparedFigure& row);

// The new figure over the old; none where the old lacks it or either is at or below 0 (a time
// net of the loop that noise left there).
[[nodiscard]] std::optional<double> change_of(const ComparedFigure& row);

// The comparison in short: each speed-up's row, and the kernel whose ns a call moved most among
// those apart (nullptr where none is).
struct ComparisonSummary {
  std::vector<const ComparedFigure*> speedups;
  const ComparedFigure* moved_most = nullptr;
};
[[nodiscard]] ComparisonSummary summarize_comparison(const std::vector<ComparedFigure>& rows);

// Each benchmark's median, the binary speed-up per signedness, each kernel's ns per call
// (and cycles per call where both reports know their clock), each Euclidean kernel's
// division and each kit kernel's chain and call bound; a row of the programs or the study
// marked disturbed where that phase was not quiet in either report.
[[nodiscard]] std::vector<ComparedFigure> compared_figures(const Results& now, const Results& old);
