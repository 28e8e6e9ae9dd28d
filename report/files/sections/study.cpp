// The study on the programs' pairs and the sweep: "loop_ns_per_call", "kernels", "sweep",
// "passes_per_bit".
#include <cmath>

#include "report/files/sections/section.h"

void write_loops(const Results& results, Json::Object& report) {
  Json::Object loops;
  add_repeated(loops, "programs_loop", results.study.loop_ns_per_call);
  add_repeated(loops, "sweep_loop", results.study.sweep_loop_ns_per_call);
  report.emplace_back("loop_ns_per_call", std::move(loops));
}

void read_loops(Reader& read, const Json& report, Results& results) {
  const Json& loops = read.member(report, "loop_ns_per_call");
  results.study.loop_ns_per_call =
      read.repeated(loops, "programs_loop", 0, MAX_NS, MAX_TIMED_REPETITIONS);
  results.study.sweep_loop_ns_per_call =
      read.repeated(loops, "sweep_loop", 0, MAX_NS, MAX_TIMED_REPETITIONS);
}

void write_kernels(const Results& results, Json::Object& report) {
  Json::Array kernels;
  for (std::size_t i = 0; i < results.study.kernels.size(); ++i) {
    const KernelFigures& kernel = results.study.kernels[i];
    const KernelCost& cost = results.worked_out.kernels[i];
    Json::Object row{{"name", kernel.name}, {"ns_per_call", rounded(cost.ns_per_call)}};
    add_repeated(row, "ns_per_call_runs", kernel.ns_per_call);
    row.insert(row.end(),
               {{"passes_per_call", exact(kernel.passes_per_call)},
                {"ns_per_pass", optional_number(cost.ns_per_pass)},
                {"cycles_per_call", optional_number(cost.cycles_per_call)},
                {"cycles_per_pass", optional_number(cost.cycles_per_pass)},
                {"ratio_to_gcd_euclid_u",
                 cost.ratio_to_euclid ? estimate_json(*cost.ratio_to_euclid) : Json(nullptr)}});
    kernels.emplace_back(std::move(row));
  }
  report.emplace_back("kernels", std::move(kernels));
}

void read_kernels(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.filled_array(report, "kernels")) {
    results.study.kernels.push_back(
        {read.kernel(row, "name", true),
         read.repeated(row, "ns_per_call_runs", -MAX_NS, MAX_NS, MAX_TIMED_REPETITIONS),
         read.optional_number(row, "passes_per_call", SMALLEST_POSITIVE, MAX_PASSES)});
    names.push_back(results.study.kernels.back().name);
  }
  read.once_each(names, "kernels");
}

void write_sweep(const Results& results, Json::Object& report) {
  const std::optional<double> ghz = results.study.ghz();
  Json::Array sweep;
  for (const SweepFigures& point : results.study.sweep) {
    Json::Object row{{"kernel", point.kernel},
                     {"bits", point.bits},
                     {"ns_per_call", rounded(estimate(point.ns_per_call))}};
    add_repeated(row, "ns_per_call_runs", point.ns_per_call);
    row.insert(row.end(), {{"cycles_per_call", cycles(ghz, estimate(point.ns_per_call))},
                           {"passes_per_call", exact(point.passes_per_call)}});
    sweep.emplace_back(std::move(row));
  }
  report.emplace_back("sweep", std::move(sweep));
}

void read_sweep(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "sweep")) {
    results.study.sweep.push_back(
        {read.kernel(row, "kernel", true), read.whole<unsigned>(row, "bits", 1, 32),
         read.repeated(row, "ns_per_call_runs", -MAX_NS, MAX_NS, MAX_TIMED_REPETITIONS),
         read.optional_number(row, "passes_per_call", 0, MAX_PASSES)});
    names.push_back(results.study.sweep.back().kernel + " at " +
                    std::to_string(results.study.sweep.back().bits) + " bits");
  }
  read.once_each(names, "sweep");
}

void write_passes_per_bit(const Results& results, Json::Object& report) {
  Json::Array fits;
  for (const PassesPerBit& fit : results.study.passes_per_bit) {
    fits.emplace_back(
        Json::Object{{"kernel", fit.kernel}, {"measured", fit.measured}, {"theory", fit.theory}});
  }
  report.emplace_back("passes_per_bit", std::move(fits));
}

void read_passes_per_bit(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "passes_per_bit")) {
    results.study.passes_per_bit.push_back({read.kernel(row, "kernel", false),
                                            read.number(row, "measured", 0, MAX_PASSES),
                                            read.number(row, "theory", 0, MAX_PASSES)});
    names.push_back(results.study.passes_per_bit.back().kernel);
  }
  read.once_each(names, "passes_per_bit");
}
