// The settings and the programs' runs: "settings", "cross_checks", "benchmarks".
#include <algorithm>
#include <iterator>

#include "report/files/sections/section.h"

namespace {

bool is_benchmark(const std::string& program) {
  return std::any_of(std::begin(BENCHMARK_PROGRAMS), std::end(BENCHMARK_PROGRAMS),
                     [&](const BenchmarkProgram& known) { return program == known.program; });
}

bool is_cross_check(const std::string& program) {
  return std::any_of(std::begin(CROSS_CHECK_PROGRAMS), std::end(CROSS_CHECK_PROGRAMS),
                     [&](const CrossCheckProgram& known) { return program == known.program; });
}

}  // namespace

void write_settings(const Results& results, Json::Object& report) {
  const StudySettings& settings = results.study.settings;
  report.emplace_back("settings", Json::Object{{"calls_per_run", results.calls_per_run},
                                               {"drawn_pairs", settings.drawn_pairs},
                                               {"repetitions", settings.repetitions},
                                               {"sweep_pairs", settings.sweep_pairs},
                                               {"sweep_from_bits", settings.sweep_from_bits},
                                               {"sweep_step_bits", settings.sweep_step_bits},
                                               {"fit_from_bits", settings.fit_from_bits},
                                               {"seed", static_cast<double>(settings.seed)},
                                               {"retime_seconds", settings.retime_seconds},
                                               {"estimator", std::string(ESTIMATOR)}});
}

void read_settings(Reader& read, const Json& report, Results& results) {
  const Json& settings = read.member(report, "settings");
  results.calls_per_run = read.whole<std::uint32_t>(settings, "calls_per_run", 1, UINT32_MAX);
  StudySettings& study = results.study.settings;
  study.drawn_pairs = read.whole<std::uint32_t>(settings, "drawn_pairs", 1, UINT32_MAX);
  study.repetitions = read.whole<unsigned>(settings, "repetitions", 1, MAX_REPETITIONS);
  study.sweep_pairs = read.whole<std::size_t>(settings, "sweep_pairs", 1, UINT32_MAX);
  study.sweep_from_bits = read.whole<unsigned>(settings, "sweep_from_bits", 1, 32);
  study.sweep_step_bits = read.whole<unsigned>(settings, "sweep_step_bits", 1, 32);
  study.fit_from_bits = read.whole<unsigned>(settings, "fit_from_bits", 1, 32);
  // A report from before the rule: every repetition counted, none timed again.
  study.retime_seconds = 0;
  results.study.signs_per_value = settings.find("estimator") != nullptr;
  if (results.study.signs_per_value) {
    study.retime_seconds = read.whole<unsigned>(settings, "retime_seconds", 0, MAX_RETIME_SECONDS);
    if (read.text(settings, "estimator", 100) != ESTIMATOR) {
      read.fail(in_quotes(read.at(settings, "estimator")) + " names an estimator this " +
                "gcd_report does not know");
    }
  }
}

void write_cross_checks(const Results& results, Json::Object& report) {
  Json::Array checks;
  for (const CrossCheckRow& row : results.checks) {
    checks.emplace_back(Json::Object{{"program", row.program},
                                     {"under_test", row.under_test},
                                     {"reference", row.reference},
                                     {"pairs", row.pairs},
                                     {"errors", row.errors}});
  }
  report.emplace_back("cross_checks", std::move(checks));
}

void read_cross_checks(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "cross_checks")) {
    CrossCheckRow check{read.name(row, "program"), read.name(row, "under_test"),
                        read.name(row, "reference"),
                        read.whole<std::uint32_t>(row, "pairs", 1, UINT32_MAX), 0};
    check.errors = read.whole<std::int32_t>(row, "errors", 0, check.pairs);
    if (!is_cross_check(check.program)) {
      read.fail(in_quotes(read.at(row, "program")) + " names " + check.program +
                ", no cross-check of the kit");
    }
    names.push_back(check.program);
    results.checks.push_back(check);
  }
  read.once_each(names, "cross_checks");
}

void write_benchmarks(const Results& results, Json::Object& report) {
  Json::Array benchmarks;
  for (std::size_t i = 0; i < results.benchmarks.size(); ++i) {
    const ProgramCost& cost = results.worked_out.programs[i];
    Json::Object row{{"program", cost.program}};
    add_repeated(row, "runs_ms", results.benchmarks[i].runs_ms);
    row.insert(row.end(), {{"median_ms", rounded(cost.median_ms)},
                           {"min_ms", cost.min_ms},
                           {"max_ms", cost.max_ms},
                           {"ns_per_call", rounded(cost.ns_per_call)},
                           {"ratio", estimate_json(cost.ratio)}});
    benchmarks.emplace_back(std::move(row));
  }
  report.emplace_back("benchmarks", std::move(benchmarks));
}

void read_benchmarks(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.filled_array(report, "benchmarks")) {
    results.benchmarks.push_back(
        {read.name(row, "program"),
         read.repeated(row, "runs_ms", SMALLEST_POSITIVE, MAX_MS, MAX_TIMED_RUNS)});
    if (!is_benchmark(results.benchmarks.back().program)) {
      read.fail(in_quotes(read.at(row, "program")) + " names " + results.benchmarks.back().program +
                ", no benchmark of the kit");
    }
    names.push_back(results.benchmarks.back().program);
  }
  read.once_each(names, "benchmarks");
}
