// Words for the findings the report draws from its timings: what each is, and why one is
// withheld.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "report/figures/results.h"

// "timed while the machine was disturbed", or, for a phase whose quiet could not be judged,
// "timed in too few repetitions to tell a quiet machine from a busy one".
[[nodiscard]] std::string withheld_words(Withheld why);

// What a finding tells: "what bounds gcd_euclid_u's call", "why binary is faster (unsigned)".
[[nodiscard]] std::string finding_name(const Finding& finding);

// The names of the findings withheld that rest on the phase, the first few in full: "what
// bounds gcd_euclid_u's call; ...; and 5 more"; "" where none is.
[[nodiscard]] std::string withheld_names(const Results& results, const std::string& phase,
                                         std::size_t shown);
