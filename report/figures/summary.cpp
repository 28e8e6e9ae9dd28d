// The answers of the summary, from the figures worked out.
#include "report/figures/summary.h"

#include "report/figures/disturbance.h"
#include "report/figures/findings.h"
#include "report/run/kit.h"

namespace {

std::vector<SpeedupAnswer> speedups(const Results& results) {
  std::vector<SpeedupAnswer> answers;
  const PhaseVerdict* programs = find_verdict(results, "programs");
  for (const Signedness& pair : SIGNEDNESSES) {
    if (find_benchmark(results, pair.euclid_program) == nullptr ||
        find_benchmark(results, pair.binary_program) == nullptr) {
      continue;
    }
    const std::optional<Estimate>& times = pair.name == std::string("unsigned")
                                               ? results.worked_out.unsigned_speedup
                                               : results.worked_out.signed_speedup;
    answers.push_back({pair.name, times,
                       is_disturbed(programs, pair.euclid_program) ||
                           is_disturbed(programs, pair.binary_program)});
  }
  return answers;
}

std::vector<BoundAnswer> bounds(const Results& results) {
  std::vector<BoundAnswer> answers;
  for (const auto& [algorithm, kernels] :
       {std::pair{"Euclid", std::pair{"gcd_euclid_u", "gcd_euclid_s"}},
        std::pair{"binary", std::pair{"gcd_binary_u", "gcd_binary_s"}}}) {
    const CallBound* unsigned_bound =
        find_named(results.worked_out.calls, &CallBound::kernel, kernels.first);
    const CallBound* signed_bound =
        find_named(results.worked_out.calls, &CallBound::kernel, kernels.second);
    for (const CallBound* bound : {unsigned_bound, signed_bound}) {
      if (bound == nullptr) {
        continue;
      }
      // The signed kernel only where it sits on another bound than the unsigned one, as both
      // are stated: a difference drawn from a withheld bound is withheld with it.
      const Withheld why = withheld(results, FindingKind::call, bound->kernel);
      const bool wanted =
          bound == unsigned_bound || unsigned_bound == nullptr ||
          (bound->sits_on != unsigned_bound->sits_on && why == Withheld::no &&
           withheld(results, FindingKind::call, unsigned_bound->kernel) == Withheld::no);
      if (wanted) {
        answers.push_back({algorithm, bound, why});
      }
    }
  }
  return answers;
}

}  // namespace

Summary summarize(const Results& results) {
  const WorkedOut& out = results.worked_out;
  Summary summary;
  summary.speedups = speedups(results);
  for (const WhyFaster& why : out.why) {
    summary.why.push_back({&why, withheld(results, FindingKind::why, why.signedness)});
  }
  summary.bounds = bounds(results);
  for (const TwoPairGain& gain : out.two_pairs) {
    if (gain.timed) {
      summary.two_pairs.push_back({&gain, withheld(results, FindingKind::two_pairs, gain.peer)});
    }
  }
  for (const KernelCost& cost : out.kernels) {
    if (!is_kit_kernel(cost.kernel) && cost.ratio_to_euclid &&
        (summary.fastest_peer == nullptr ||
         cost.ratio_to_euclid->value < summary.fastest_peer->ratio_to_euclid->value)) {
      summary.fastest_peer = &cost;
    }
  }
  if (summary.fastest_peer != nullptr) {
    summary.fastest_peer_withheld =
        withheld_for(results, {{"study", summary.fastest_peer->kernel}, {"study", "gcd_euclid_u"}});
  }
  for (const PhaseVerdict& verdict : out.phases) {
    if (!verdict.quiet()) {
      summary.unquiet.push_back(&verdict);
    }
  }
  for (const Finding& finding : out.findings) {
    if (finding.withheld != Withheld::no) {
      summary.withheld.push_back(&finding);
    }
  }
  return summary;
}
