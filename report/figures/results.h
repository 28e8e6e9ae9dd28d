// Everything one report found: the machine, the programs' runs and the study. The text, the
// JSON file and the comparison with an earlier report are all made from this.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/figures/worked_out.h"
#include "report/machine/model.h"
#include "report/machine/processor.h"
#include "report/run/kit.h"
#include "report/run/programs.h"
#include "study/stats.h"
#include "study/study.h"

// The most runs of each benchmark program, and repetitions of each timing in the study, that
// a report takes and holds.
inline constexpr unsigned MAX_RUNS = 1000;
inline constexpr unsigned MAX_REPETITIONS = 100;

// What bounds a kernel's pass by latency alone: its longest chain of dependent instructions.
struct KernelBound {
  std::string kernel;
  double cycles_per_pass = 0;
  std::string chain;  // each instruction with its latency: "mov %edx,%ecx (0.2) -> div %ecx (10.0)"
  std::vector<std::string> unmeasured;  // instructions on it not measured here, 1 cycle each
  unsigned branches = 0;                // that a pass of the loop runs; 0 where it was not read
  bool from_machine_code = true;        // false: the steps of the algorithm itself
  bool divides = false;                 // the loop holds a division (not kept in a file)
};

struct Results {
  Machine machine;
  std::uint32_t calls_per_run = 0;  // of each benchmark program
  std::vector<CrossCheckRow> checks;
  std::vector<BenchmarkRow> benchmarks;      // the first is the baseline of the ratios
  std::optional<PhaseWatch> programs_watch;  // the watch over the benchmarks' runs
  Study study;
  std::optional<ProcessorModel> model;       // where llvm-mca and objdump could be run
  std::string model_left_out;                // why there is no model, where there is none
  std::vector<KernelBound> bounds;           // by latency, per kit kernel where it could be found
  std::string bounds_left_out;               // what has no bound, and why
  std::vector<std::string> chains_left_out;  // chains read but beyond what a file holds, and why
  std::vector<std::string> notes;            // what was left out of the study, and why
  WorkedOut worked_out;                      // from all of the above, by work_out()
};

// The row of rows whose field (a kernel's or a program's name) is name; nullptr if none is.
template <class Rows, class Row, class Field>
[[nodiscard]] auto find_named(Rows& rows, Field Row::*field, std::string_view name)
    -> decltype(&*rows.begin()) {
  for (auto& row : rows) {
    if (row.*field == name) {
      return &row;
    }
  }
  return nullptr;
}

// The row of a benchmark program, or of a kernel, by name; nullptr if it was not measured.
[[nodiscard]] const BenchmarkRow* find_benchmark(const Results& results, std::string_view program);
[[nodiscard]] const KernelFigures* find_kernel(const Study& study, std::string_view name);

// A kernel's worked-out cost, and a kit kernel's chain and model against its call; nullptr
// where there is none.
[[nodiscard]] const KernelCost* find_cost(const Results& results, std::string_view kernel);
[[nodiscard]] const KernelBoundFigures* find_bound_figures(const Results& results,
                                                           std::string_view kernel);

// The model of a kit kernel's loop, where the report has one; nullptr otherwise.
[[nodiscard]] const KernelModel* find_model(const Results& results, std::string_view kernel);

// A kernel's point of the sweep at a size, and its median ns a call; none if not timed.
[[nodiscard]] const SweepFigures* find_sweep_point(const Study& study, std::string_view kernel,
                                                   unsigned bits);
[[nodiscard]] std::optional<double> sweep_ns(const Study& study, std::string_view kernel,
                                             unsigned bits);

// The median ns of a call over its passes; none for a kernel whose passes were not counted.
[[nodiscard]] std::optional<double> ns_per_pass(const KernelFigures& kernel);

// A kernel's cycles per pass by a model or a bound, against the measurement: per pass, and
// per call (the passes per call times the cycles per pass, plus one mispredicted exit); none
// without the clock and the cost of a mispredicted branch, or for a kernel the study did not
// count.
[[nodiscard]] std::optional<ModelAgainstMeasure> against_measure(const Study& study,
                                                                 const std::string& kernel,
                                                                 double cycles_per_pass);
[[nodiscard]] std::optional<ModelAgainstMeasure> model_against_measure(const Study& study,
                                                                       const KernelModel& model);

// A kit kernel's latency bound, and a Euclidean kernel's division on its own operands, in
// cycles; none where the report has none.
[[nodiscard]] std::optional<double> chain_cycles(const Results& results, std::string_view kernel);
[[nodiscard]] std::optional<double> division_cycles(const Results& results,
                                                    std::string_view kernel);

// The cross-checks that found errors, in words ("check_s: 3 errors"), "" where none did.
[[nodiscard]] std::string failed_cross_checks(const Results& results);

// The estimator by which the report's figures were worked out (study/repeated.h): ESTIMATOR, or
// for a report from before it EVERY_VALUE_ESTIMATOR.
[[nodiscard]] std::string_view estimator_of(const Results& results);

// What turns a program's run in ms into ns a call.
[[nodiscard]] double ns_per_ms(const Results& results);

// The runs of a program its figure is worked out from (study/repeated.h), and their median.
[[nodiscard]] std::vector<double> estimated_runs(const Results& results, const BenchmarkRow& row);
[[nodiscard]] double runs_estimate(const Results& results, const BenchmarkRow& row);

// The fewest runs of any benchmark program: what its intervals rest on.
[[nodiscard]] std::size_t fewest_runs(const Results& results);

// How many times as fast the binary program is as the Euclidean one: the ratio of their
// medians, with its interval; none if either was not run.
[[nodiscard]] std::optional<Estimate> binary_speedup(const Results& results,
                                                     std::string_view euclid,
                                                     std::string_view binary);
