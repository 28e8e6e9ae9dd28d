// Writing reports side by side as JSON.
#include "report/files/side_by_side_file.h"

#include "report/files/report_file.h"
#include "report/run/kit.h"

namespace {

// Each cross-check's count of errors, by program.
Json cross_check_errors(const Results& results) {
  Json::Object counts;
  for (const CrossCheckRow& row : results.checks) {
    counts.emplace_back(row.program, row.errors);
  }
  return counts;
}

// Each phase watched and its verdict: "quiet", "disturbed" or "not judged".
Json phase_verdicts(const Results& results) {
  Json::Array verdicts;
  for (const PhaseVerdict& verdict : results.worked_out.phases) {
    verdicts.emplace_back(Json::Object{{"phase", verdict.phase},
                                       {"verdict", verdict.disturbed ? "disturbed"
                                                   : verdict.judged  ? "quiet"
                                                                     : "not judged"}});
  }
  return verdicts;
}

}  // namespace

Json side_by_side_json(const std::vector<NamedReport>& reports) {
  const auto optional = [](const std::optional<double>& value) {
    return value ? Json(*value) : Json(nullptr);
  };
  const auto interval = [](const std::optional<Estimate>& estimate) {
    return estimate ? estimate_json(*estimate) : Json();
  };
  Json::Array all;
  for (const NamedReport& report : reports) {
    const Results& r = report.results;
    Json::Array kernels;
    for (const char* kernel : KIT_KERNELS) {
      const KernelFigures* figures = find_kernel(r.study, kernel);
      const KernelModel* model = find_model(r, kernel);
      const std::optional<double> ns = ns_per_pass_of(r, kernel);
      const CallBound* call = call_bound_of(r, kernel);
      kernels.emplace_back(Json::Object{
          {"kernel", kernel},
          {"ns_per_pass", optional(ns)},
          {"cycles_per_pass", optional(cycles_per_pass_of(r, kernel))},
          {"passes_per_call", figures != nullptr ? optional(figures->passes_per_call) : Json()},
          {"passes_per_bit", optional(passes_per_bit(r.study, kernel))},
          {"model_cycles_per_pass", model != nullptr ? Json(model->cycles_per_pass) : Json()},
          {"chain_cycles_per_pass", optional(chain_cycles(r, kernel))},
          {"division_cycles", optional(division_cycles(r, kernel))},
          {"model_bound", model != nullptr ? Json(model->bound) : Json()},
          {"overlapped_cycles_per_pass",
           call != nullptr ? optional(call->overlapped_pass) : Json()},
          {"exit_in_place_cycles", call != nullptr ? Json(call->exit_in_place) : Json()},
          {"predicted_cycles_per_call", call != nullptr ? optional(call->prediction) : Json()},
          {"measured_cycles_per_call", call != nullptr ? Json(call->measured) : Json()},
      });
    }
    Json::Array peers;
    for (const std::string& peer : peers_of(reports)) {
      const std::optional<double> ratio = ratio_to_euclid(r, peer);
      peers.emplace_back(
          Json::Object{{"name", peer}, {"ratio_to_gcd_euclid_u", ratio ? Json(*ratio) : Json()}});
    }
    Json::Array sweep;
    const std::vector<SpeedupPoint> unsigned_speedup =
        sweep_speedup(r.study, "gcd_euclid_u", "gcd_binary_u");
    const std::vector<SpeedupPoint> signed_speedup =
        sweep_speedup(r.study, "gcd_euclid_s", "gcd_binary_s");
    for (const SpeedupPoint& point : unsigned_speedup) {
      Json signed_value;
      for (const SpeedupPoint& other : signed_speedup) {
        if (other.bits == point.bits) {
          signed_value = other.speedup;
        }
      }
      sweep.emplace_back(Json::Object{
          {"bits", point.bits}, {"unsigned", point.speedup}, {"signed", signed_value}});
    }
    all.emplace_back(Json::Object{
        {"report", report.name},
        {"processor", r.machine.processor},
        {"virtual_machine", r.machine.virtual_machine ? Json(*r.machine.virtual_machine) : Json()},
        {"clock_ghz", optional(r.study.ghz())},
        {"compiler", r.machine.compiler},
        {"build_type", r.machine.build_type},
        {"flags", r.machine.flags},
        {"cross_check_errors", cross_check_errors(r)},
        {"phase_verdicts", phase_verdicts(r)},
        {"estimator", std::string(estimator_of(r))},
        {"binary_speedup_unsigned", interval(r.worked_out.unsigned_speedup)},
        {"binary_speedup_signed", interval(r.worked_out.signed_speedup)},
        {"kernels", std::move(kernels)},
        {"peers", std::move(peers)},
        {"sweep_binary_speedup", std::move(sweep)},
    });
  }
  return Json::Object{{"format", "gcd-kit side by side 1"}, {"reports", std::move(all)}};
}
