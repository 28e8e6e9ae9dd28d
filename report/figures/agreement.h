// The report's own measurements held against each other: the programs, the study on the
// programs' pairs and the sweep at 32 bits measure each kit kernel three ways, in three phases
// of the run. Where one phase parts from the others by more than their intervals and the known
// difference of their pairs allow, something disturbed that phase.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/figures/results.h"
#include "study/stats.h"

// Beyond their 95% intervals, two phases may part by this much (of their mean) for what is
// known to differ between them. The programs and the study run the same loop on the same pairs,
// one program at a time against one process: 10%. The sweep runs other pairs in another loop
// (a table's), each size's between the others': 20% (up to 13% seen on a quiet machine, in
// signed Euclid's pass).
inline constexpr double PHASES_MAY_PART = 0.10;
inline constexpr double SWEEP_MAY_PART = 0.20;

// "the programs", "the study on the programs' pairs", "the sweep at 32 bits".
[[nodiscard]] const char* phase_name(Phase phase);

// Whether two figures agree: the gap between their intervals (0 where they overlap) within
// the share given of their mean.
[[nodiscard]] bool figures_agree(const Estimate& a, const Estimate& b, double may_part);

// Each kit kernel's ns per pass by each phase: the programs' median ms over their calls, less
// the loop measured in process, over the passes per call of the programs' pairs; the study's
// median over the same passes; the sweep's median at 32 bits over its own passes per call.
[[nodiscard]] std::vector<Agreement> phases_agree(const Results& results);
