// The findings the report draws from its timings, decided once: each with the figures it rests
// on, and withheld where one of them is still disturbed after timing it again, where a phase of
// theirs was disturbed by a sign no repetition left out mends, or where it was timed in too few
// repetitions to tell. The text, the JSON, --compare and side by side read
// the decision; none makes it again.
#pragma once

#include <string_view>
#include <vector>

#include "report/figures/results.h"

// Every finding the report would state from its figures, as worked out so far (the calls, the
// two pairs, the agreements, the crossovers and the phases' verdicts), each withheld or not.
[[nodiscard]] std::vector<Finding> findings(const Results& results);

// Why a finding resting on these figures is withheld: disturbed where one of them is, or where
// signs over a phase of theirs that no repetition left out mends were (the clock, the host's
// stolen time); not judged where a phase of theirs could not be judged; no otherwise, or where
// the phases were not watched (a report from before the watch).
[[nodiscard]] Withheld withheld_for(const Results& results, const std::vector<FigureOf>& figures);

// The finding of that kind about that subject, where the report draws one; nullptr otherwise.
[[nodiscard]] const Finding* find_finding(const Results& results, FindingKind kind,
                                          std::string_view subject = "");

// Whether the report withholds that finding: no where it draws none.
[[nodiscard]] Withheld withheld(const Results& results, FindingKind kind,
                                std::string_view subject = "");

// A finding's kind as the JSON names it: "why", "two_pairs", ...
[[nodiscard]] const char* finding_key(FindingKind kind);
