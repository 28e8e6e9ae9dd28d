// The summary's answers as data (figures/summary.h): written for programs that read the file,
// never read back, since a file read back works them out again.
#include "report/figures/summary.h"

#include "report/figures/findings.h"
#include "report/files/sections/section.h"

namespace {

Json optional_estimate(const std::optional<Estimate>& figure) {
  return figure ? estimate_json(*figure) : Json(nullptr);
}

Json bound_json(const BoundAnswer& answer) {
  const CallBound& bound = *answer.bound;
  return Json::Object{{"kernel", bound.kernel},
                      {"sits_on", bound.sits_on == PassBound::chain ? "chain" : "overlapped pass"},
                      {"chain_cycles_per_pass", optional_number(bound.chain)},
                      {"overlapped_cycles_per_pass", optional_number(bound.overlapped_pass)},
                      {"predicted_cycles_per_call", optional_number(bound.prediction)},
                      {"measured_cycles_per_call", rounded(bound.measured)},
                      {"departure", optional_number(bound.departure)},
                      {"withheld", withheld_json(answer.withheld)}};
}

}  // namespace

void write_summary(const Results& results, Json::Object& report) {
  const Summary summary = summarize(results);
  Json::Array faster;
  for (const SpeedupAnswer& answer : summary.speedups) {
    faster.emplace_back(Json::Object{{"signedness", answer.signedness},
                                     {"binary_speedup", optional_estimate(answer.times)},
                                     {"disturbed", answer.disturbed}});
  }
  Json::Array why;
  for (const WhyAnswer& answer : summary.why) {
    const WhyFaster& figures = *answer.why;
    why.emplace_back(
        Json::Object{{"signedness", figures.signedness},
                     {"passes_ratio", rounded(figures.passes_ratio)},
                     {"pass_ratio", optional_number(figures.pass_ratio)},
                     {"binary_cycles_per_pass", optional_number(figures.binary_pass_cycles)},
                     {"euclid_cycles_per_pass", optional_number(figures.euclid_pass_cycles)},
                     {"withheld", withheld_json(answer.withheld)}});
  }
  Json::Array bounds;
  for (const BoundAnswer& answer : summary.bounds) {
    bounds.emplace_back(bound_json(answer));
  }
  Json::Array two_pairs;
  for (const TwoPairAnswer& answer : summary.two_pairs) {
    two_pairs.emplace_back(Json::Object{{"peer", answer.gain->peer},
                                        {"kernel", answer.gain->kernel},
                                        {"gain", rounded(answer.gain->gain)},
                                        {"withheld", withheld_json(answer.withheld)}});
  }
  Json::Array fastest_peer;  // none, or the one
  if (const KernelCost* peer = summary.fastest_peer) {
    fastest_peer.emplace_back(
        Json::Object{{"name", peer->kernel},
                     {"ratio_to_gcd_euclid_u", estimate_json(*peer->ratio_to_euclid)},
                     {"withheld", withheld_json(summary.fastest_peer_withheld)}});
  }
  Json::Array not_quiet;
  for (const PhaseVerdict* verdict : summary.unquiet) {
    not_quiet.emplace_back(Json::Object{
        {"phase", verdict->phase}, {"verdict", verdict->disturbed ? "disturbed" : "not judged"}});
  }
  Json::Array withheld;
  for (const Finding* finding : summary.withheld) {
    withheld.emplace_back(Json::Object{{"finding", finding_key(finding->kind)},
                                       {"subject", optional_text(finding->subject)},
                                       {"withheld", withheld_json(finding->withheld)}});
  }
  const bool watched = !results.worked_out.phases.empty();
  report.emplace_back(
      "summary", Json::Object{{"faster", std::move(faster)},
                              {"why", std::move(why)},
                              {"bounds", std::move(bounds)},
                              {"two_pairs", std::move(two_pairs)},
                              {"fastest_peer", std::move(fastest_peer)},
                              {"quiet", watched ? Json(summary.unquiet.empty()) : Json(nullptr)},
                              {"not_quiet", std::move(not_quiet)},
                              {"withheld", std::move(withheld)}});
}

void read_summary(Reader& /*read*/, const Json& /*report*/, Results& /*results*/) {}
