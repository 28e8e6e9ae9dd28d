// The watch over each phase of the run, and its verdict: "phases" (the verdicts worked out,
// not read).
#include <algorithm>

#include "report/figures/disturbance.h"
#include "report/figures/findings.h"
#include "report/files/sections/section.h"

namespace {

constexpr const char* PHASES[] = {"programs", "study", "sweep"};

Json figures_json(const PhaseVerdict* verdict) {
  Json::Array figures;
  if (verdict != nullptr) {
    for (const DisturbedFigure& figure : verdict->figures) {
      figures.emplace_back(Json::Object{{"figure", figure.figure},
                                        {"fastest_ns", rounded(figure.fastest)},
                                        {"median_ns", rounded(figure.median)},
                                        {"repetitions", figure.repetitions},
                                        {"kept", figure.kept},
                                        {"lost", figure.lost},
                                        {"needed", figure.needed},
                                        {"timed_again", figure.timed_again},
                                        {"spread", exact(figure.spread)}});
    }
  }
  return figures;
}

Json phase_json(const PhaseWatch& watch, const PhaseVerdict* verdict) {
  Json::Array shares;
  for (const double share : watch.cpu_shares) {
    shares.emplace_back(share);
  }
  return Json::Object{
      {"phase", watch.phase},
      {"wall_s", watch.wall_s},
      {"cpu_s", exact(watch.cpu_s)},
      {"cpu_shares", std::move(shares)},
      {"involuntary_switches",
       watch.involuntary_switches ? Json(*watch.involuntary_switches) : Json(nullptr)},
      {"stolen_share", exact(watch.stolen_share)},
      {"clock_before_ghz", exact(watch.clock_before_ghz)},
      {"clock_after_ghz", exact(watch.clock_after_ghz)},
      {"rounds_again", watch.rounds_again},
      {"seconds_again", watch.seconds_again},
      {"disturbed", verdict != nullptr && verdict->disturbed},
      {"disturbed_figures", figures_json(verdict)}};
}

}  // namespace

void write_phases(const Results& results, Json::Object& report) {
  Json::Array phases;
  if (results.programs_watch) {
    phases.emplace_back(
        phase_json(*results.programs_watch, find_verdict(results, results.programs_watch->phase)));
  }
  for (const PhaseWatch& watch : results.study.phases) {
    phases.emplace_back(phase_json(watch, find_verdict(results, watch.phase)));
  }
  report.emplace_back("phases", std::move(phases));
  Json::Array findings;
  for (const Finding& finding : results.worked_out.findings) {
    Json::Array rests_on;
    for (const std::string& phase : finding.phases) {
      rests_on.emplace_back(phase);
    }
    findings.emplace_back(Json::Object{{"finding", finding_key(finding.kind)},
                                       {"subject", optional_text(finding.subject)},
                                       {"phases", std::move(rests_on)},
                                       {"withheld", withheld_json(finding.withheld)}});
  }
  report.emplace_back("findings", std::move(findings));
}

void read_phases(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "phases")) {
    PhaseWatch watch;
    watch.phase = read.name(row, "phase");
    if (std::find(std::begin(PHASES), std::end(PHASES), watch.phase) == std::end(PHASES)) {
      read.fail(in_quotes(read.at(row, "phase")) + " names " + watch.phase +
                ", no phase of the report");
    }
    watch.wall_s = read.number(row, "wall_s", 0, MAX_SECONDS);
    watch.cpu_s = read.optional_number(row, "cpu_s", 0, MAX_SECONDS);
    watch.cpu_shares = read.numbers(row, "cpu_shares", 0, 100, 8 * MAX_RUNS, true);
    if (read.member(row, "involuntary_switches").get<std::nullptr_t>() == nullptr) {
      watch.involuntary_switches = read.whole<std::uint64_t>(row, "involuntary_switches", 0, 1e12);
    }
    watch.stolen_share = read.optional_number(row, "stolen_share", 0, 1);
    watch.clock_before_ghz = read.optional_number(row, "clock_before_ghz", GHZ);
    watch.clock_after_ghz = read.optional_number(row, "clock_after_ghz", GHZ);
    // Written since the report times again what was disturbed.
    if (row.find("rounds_again") != nullptr) {
      watch.rounds_again = read.whole<unsigned>(row, "rounds_again", 0, 2 * MAX_RUNS);
      watch.seconds_again = read.number(row, "seconds_again", 0, MAX_SECONDS);
    }
    names.push_back(watch.phase);
    if (watch.phase == "programs") {
      results.programs_watch = watch;
    } else {
      results.study.phases.push_back(watch);
    }
  }
  read.once_each(names, "phases");
}
