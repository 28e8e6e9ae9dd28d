// The report's answer to "what bounds a call?": each kit kernel's calls by their kind, timed
// where successive calls may overlap, the lines through them, the exit in place, and the call
// predicted from its parts against the call measured in the programs' order, one sentence per
// kernel.
#pragma once

#include <string>

#include "report/figures/results.h"

void call_section(std::string& out, const Results& results);

// The sentence on a peer that runs two pairs in flight: its gain measured, beside what the
// bounds of its kernel's call predict.
[[nodiscard]] std::string two_pair_sentence(const TwoPairGain& two);

// The sentence on a kernel's call: which bound its pass sits on, and the prediction against
// the measured call.
[[nodiscard]] std::string call_sentence(const Results& results, const CallBound& bound);
