// Holding the report's own figures to what its file can hold.
#include "report/figures/within_limits.h"

#include <algorithm>
#include <cstdio>

#include "report/figures/limits.h"

namespace {

std::string figure_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// Why a chain cannot stand, or "" where it can.
std::string why_not(const KernelBound& bound) {
  if (!BRANCHES.holds(bound.branches)) {
    return "its loop as read runs " + std::to_string(bound.branches) +
           " branches a pass, more than a loop of the kit can (" + figure_text(BRANCHES.high) + ")";
  }
  if (!WORK_CYCLES.holds(bound.cycles_per_pass)) {
    return "its chain comes to " + figure_text(bound.cycles_per_pass) +
           " cycles a pass, beyond what a pass can take (above 0, at most " +
           figure_text(WORK_CYCLES.high) + ")";
  }
  if (bound.kernel.starts_with("gcd_euclid") && !bound.divides) {
    return "its loop as read holds no division, which Euclid's loop must";
  }
  return "";
}

}  // namespace

void keep_within_limits(Results& results) {
  std::vector<KernelBound> kept;
  for (const KernelBound& bound : results.bounds) {
    const std::string why = why_not(bound);
    if (why.empty()) {
      kept.push_back(bound);
    } else {
      results.chains_left_out.push_back(bound.kernel + "'s chain is left out: " + why);
    }
  }
  results.bounds = std::move(kept);
  if (results.model) {
    for (const KernelModel& kernel : results.model->kernels) {
      if (!WORK_CYCLES.holds(kernel.cycles_per_pass) ||
          !SOME_CYCLES.holds(kernel.block_rthroughput)) {
        results.model_left_out = "llvm-mca on " + kernel.kernel + ": " +
                                 figure_text(kernel.cycles_per_pass) + " cycles a pass and " +
                                 figure_text(kernel.block_rthroughput) +
                                 " a block, beyond what a pass can take";
        results.model.reset();
        return;
      }
    }
  }
}
