// The findings the report draws from its timings, decided once: each with the phases whose
// timings it rests on, and withheld where one of them was not quiet (disturbed by any sign, or
// timed in too few repetitions to tell). The text, the JSON, --compare and side by side read
// the decision; none makes it again.
#pragma once

#include <string_view>
#include <vector>

#include "report/figures/results.h"

// Every finding the report would state from its figures, as worked out so far (the calls, the
// two pairs, the agreements, the crossovers and the phases' verdicts), each withheld or not.
[[nodiscard]] std::vector<Finding> findings(const Results& results);

// Why a finding rests on phases that were not all quiet: disturbed where one was, not judged
// where one's spread could not be judged; no where every one was quiet or was not watched.
[[nodiscard]] Withheld withheld_for(const Results& results, const std::vector<std::string>& phases);

// The finding of that kind about that subject, where the report draws one; nullptr otherwise.
[[nodiscard]] const Finding* find_finding(const Results& results, FindingKind kind,
                                          std::string_view subject = "");

// Whether the report withholds that finding: no where it draws none.
[[nodiscard]] Withheld withheld(const Results& results, FindingKind kind,
                                std::string_view subject = "");

// A finding's kind as the JSON names it: "why", "two_pairs", ...
[[nodiscard]] const char* finding_key(FindingKind kind);
