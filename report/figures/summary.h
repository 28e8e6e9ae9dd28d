// The answers a reader came for, chosen from the figures worked out once: which algorithm is
// faster, why, what bounds each, what would help and whether the machine was quiet. The
// summary at the top of the text and in the JSON read them; nothing here is worked out anew.
#pragma once

#include <optional>
#include <vector>

#include "report/figures/results.h"

struct SpeedupAnswer {
  const char* signedness;         // "unsigned", "signed"
  std::optional<Estimate> times;  // binary's program against Euclid's, as times as fast
  bool disturbed = false;         // the runs of one of the two programs do not hold
};

struct WhyAnswer {
  const WhyFaster* why;
  Withheld withheld;
};

// What bounds an algorithm's pass and call: its unsigned kernel's, and its signed kernel's where
// that sits on the other bound.
struct BoundAnswer {
  const char* algorithm;  // "Euclid", "binary"
  const CallBound* bound;
  Withheld withheld;
};

struct TwoPairAnswer {
  const TwoPairGain* gain;
  Withheld withheld;
};

struct Summary {
  std::vector<SpeedupAnswer> speedups;  // per signedness the programs ran
  std::vector<WhyAnswer> why;
  std::vector<BoundAnswer> bounds;
  std::vector<TwoPairAnswer> two_pairs;           // where timed
  const KernelCost* fastest_peer = nullptr;       // the peer of the lowest ratio to gcd_euclid_u
  Withheld fastest_peer_withheld = Withheld::no;  // by the study's phase, as its table marks it
  std::vector<const PhaseVerdict*> unquiet;       // disturbed or not judged
  std::vector<const Finding*> withheld;
};

[[nodiscard]] Summary summarize(const Results& results);
