// Rendering what bounds a pass.
#include "report/text/bound_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "report/figures/findings.h"
#include "report/figures/limits.h"
#include "report/machine/mca.h"
#include "report/text/finding_words.h"
#include "report/text/latency_text.h"
#include "report/words/layout.h"
#include "report/words/utf8.h"
#include "study/stats.h"

namespace {

// Where the model and the measurement part by more than this, the report says so.
constexpr double MODEL_PARTS = 0.20;

// The chain, the model and the measurement side by side, per pass and per call.
void chain_table(std::string& out, const Results& results) {
  const Study& study = results.study;
  wrap(out,
       "The chain of a pass: in each kit kernel's loop as linked into its program, the "
       "longest chain of instructions that wait each for the one before, from one pass to "
       "the next, each at its latency above (a division at its latency on the kernel's own "
       "operands; one not timed here at 1 cycle, and named).");
  append(out, "  %-14s %-22s %s\n", "", "cycles per pass", "cycles per call");
  append(out, "  %-14s %6s %6s %8s  %7s %7s %8s\n", "kernel", "chain", "model", "measured", "chain",
         "model", "measured");
  for (const BenchmarkProgram& program : BENCHMARK_PROGRAMS) {
    const std::string kernel = program.kernel;
    const KernelBound* bound = find_named(results.bounds, &KernelBound::kernel, kernel);
    const KernelModel* model = find_model(results, kernel);
    if (bound == nullptr && model == nullptr) {
      continue;
    }
    const KernelBoundFigures* figures = find_bound_figures(results, kernel);
    const std::optional<ModelAgainstMeasure> by_chain =
        figures != nullptr ? figures->by_chain : std::nullopt;
    const std::optional<ModelAgainstMeasure> by_model =
        figures != nullptr ? figures->by_model : std::nullopt;
    const std::optional<ModelAgainstMeasure>& any = by_chain ? by_chain : by_model;
    append(out, "  %-14s %6s %6s %8s  %7s %7s %8s\n", kernel.c_str(),
           bound != nullptr ? fixed(bound->cycles_per_pass, 1).c_str() : "-",
           model != nullptr ? fixed(model->cycles_per_pass, 1).c_str() : "-",
           any ? fixed(any->measured_cycles_per_pass, 1).c_str() : "-",
           by_chain ? fixed(by_chain->model_cycles_per_call, 1).c_str() : "-",
           by_model ? fixed(by_model->model_cycles_per_call, 1).c_str() : "-",
           any ? fixed(any->measured_cycles_per_call, 1).c_str() : "-");
  }
  if (const std::optional<double> ghz = study.ghz(); ghz && study.mispredicted_branch_ns) {
    wrap(out,
         "Per call: the passes per call times the cycles per pass, plus one mispredicted "
         "exit (" +
             with_unit(*study.mispredicted_branch_ns * *ghz, 1, "cycles") + ", measured).");
  }
  for (const KernelBound& bound : results.bounds) {
    wrap(out,
         bound.kernel + (bound.from_machine_code ? ": " : ", the algorithm's own steps: ") +
             bound.chain +
             (bound.unmeasured.empty() ? ""
                                       : "; not timed here: " + joined(bound.unmeasured, ", ")) +
             ".");
  }
  for (const KernelBound& bound : results.bounds) {
    const std::string sentence = chain_sentence(results, bound);
    if (!sentence.empty()) {
      wrap(out, sentence);
    }
  }
  if (!results.bounds_left_out.empty()) {
    wrap(out, results.bounds.empty()
                  ? "No chain of a pass here: the kernels' machine code could not be read (" +
                        results.bounds_left_out + ")."
                  : "The kernels' machine code could not be read here (" + results.bounds_left_out +
                        "): each chain above is its algorithm's own steps, at the latencies "
                        "timed here.");
  }
  for (const std::string& left_out : results.chains_left_out) {
    wrap(out, left_out + ".");
  }
}

// The model's own words, and where it parts from the measurement.
void model_words(std::string& out, const Results& results) {
  if (!results.model) {
    // A report from before the model says no reason.
    wrap(out, "No model of the kernels' loops" +
                  (results.model_left_out.empty() ? "" : ": " + results.model_left_out) +
                  " (llvm-mca of LLVM and objdump of binutils, where installed).");
    return;
  }
  const ProcessorModel& model = *results.model;
  wrap(out, "LLVM's model: llvm-mca -mcpu=" + model.cpu + " (" + model.tool +
                ") on each kit kernel's loop, from the target of the loop's backward branch to "
                "that branch; its figures and words as it gives them.");
  std::vector<std::string> findings;
  std::vector<std::string> withheld_kernels;
  Withheld why_withheld = Withheld::no;
  for (const KernelModel& kernel : model.kernels) {
    wrap(out, kernel.kernel + ": " + kernel.bound + "; critical sequence " + kernel.critical + ".");
    const KernelBoundFigures* figures = find_bound_figures(results, kernel.kernel);
    if (figures == nullptr || !figures->by_model) {
      continue;
    }
    // A pass that may have been disturbed is no measurement to part from.
    if (const Withheld why = withheld(results, FindingKind::model, kernel.kernel);
        why != Withheld::no) {
      withheld_kernels.push_back(kernel.kernel);
      why_withheld = why;
      continue;
    }
    const std::optional<ModelAgainstMeasure>& against = figures->by_model;
    const double measured_pass = against->measured_cycles_per_pass;
    if (against->timed &&
        std::fabs(kernel.cycles_per_pass - measured_pass) > MODEL_PARTS * measured_pass) {
      findings.push_back(
          "Finding: the model and the measurement part for " + kernel.kernel +
          ": the model gives a pass " + with_unit(kernel.cycles_per_pass, 1, "cycles") + ", " +
          ratio_words(kernel.cycles_per_pass / measured_pass) + " times the " +
          fixed(measured_pass, 1) + " measured here" +
          (kernel.slowest.empty()
               ? ""
               : "; the longest latency on its critical sequence is " + kernel.slowest + ", " +
                     with_unit(kernel.slowest_latency, 0, "cycles")) +
          ".");
    }
  }
  for (const std::string& finding : findings) {
    wrap(out, finding);
  }
  if (!withheld_kernels.empty()) {
    wrap(out, "Where the model parts from the pass measured, for " +
                  joined(withheld_kernels, ", ") + ": withheld, " + withheld_words(why_withheld) +
                  ".");
  }
}

// The processor's own counts, where the system gives them, with the clock checked by them.
void counters_table(std::string& out, const Study& study) {
  if (study.counters.empty()) {
    wrap(out, "No hardware counters here" +
                  (study.counters_left_out.empty() ? "" : " (" + study.counters_left_out + ")") +
                  ": many virtual machines give a process none.");
    return;
  }
  append(out, "  Counted by the processor, user space, per call net of the loop:\n");
  append(out, "  %-14s %8s %12s %8s %6s %13s\n", "kernel", "cycles", "instructions", "per pass",
         "IPC", "branch misses");
  std::vector<double> clock_checks;
  for (const KernelCounters& counted : study.counters) {
    const KernelFigures* measured = find_kernel(study, counted.kernel);
    const double passes =
        measured != nullptr && measured->passes_per_call ? *measured->passes_per_call : 0;
    append(out, "  %-14s %8.1f %12.1f %8s %6.2f %13.2f\n", counted.kernel.c_str(), counted.cycles,
           counted.instructions, passes > 0 ? fixed(counted.instructions / passes, 2).c_str() : "-",
           counted.cycles > 0 ? counted.instructions / counted.cycles : 0.0, counted.branch_misses);
    if (measured != nullptr && study.ghz() &&
        estimate(measured->ns_per_call) >= SMALLEST_TIMED_NS) {
      clock_checks.push_back(counted.cycles / (estimate(measured->ns_per_call) * *study.ghz()));
    }
  }
  if (!clock_checks.empty()) {
    wrap(out, "The counted cycles are " + fixed(median(clock_checks) * 100, 1) +
                  "% of ns times the clock measured by the chain of additions.");
  }
}

}  // namespace

std::string chain_sentence(const Results& results, const KernelBound& bound) {
  const KernelBoundFigures* worked_out = find_bound_figures(results, bound.kernel);
  const ModelAgainstMeasure* against =
      worked_out != nullptr && worked_out->by_chain ? &*worked_out->by_chain : nullptr;
  if (!against) {
    return "";
  }
  if (const Withheld why = withheld(results, FindingKind::chain, bound.kernel);
      why != Withheld::no) {
    return bound.kernel + ": withheld, its call was " + withheld_words(why) + ".";
  }
  const double chain = against->model_cycles_per_call;
  const double measured = against->measured_cycles_per_call;
  if (!against->timed) {
    return bound.kernel + ": its call is too small to time here (" +
           with_unit(measured, 1, "cycles") + " net of the loop), so it is not held against " +
           "its chain of " + fixed(chain, 1) + ".";
  }
  const std::string figures = fixed(measured, 1) + " cycles a call against " + fixed(chain, 1);
  if (std::fabs(measured - chain) <= CHAIN_EXPLAINS * chain) {
    return bound.kernel + " is its chain: " + figures + " (within " +
           fixed(CHAIN_EXPLAINS * 100, 0) + "%).";
  }
  if (measured < chain) {
    return bound.kernel + " runs faster than its chain (" + figures +
           "): a latency timed here is longer than on the kernel's own operands, or the core "
           "runs apart what the chain takes to depend.";
  }
  std::string why = bound.kernel + " costs " + fixed((measured - chain) / chain * 100, 1) +
                    "% more than its chain (" + figures +
                    "): " + fixed((measured - chain) / measured * 100, 1) +
                    "% of its call is not latency.";
  if (const KernelModel* model = find_model(results, bound.kernel)) {
    const std::optional<BoundShares> shares = bound_shares(model->bound);
    if (shares && shares->backend >= 10) {
      why += " The model names " +
             (shares->resources >= shares->dependencies
                  ? "port pressure (resource pressure " + fixed(shares->resources, 1) + "%)"
                  : "register dependencies (" + fixed(shares->dependencies, 1) + "%)") +
             ", and gives a pass " + with_unit(model->cycles_per_pass, 1, "cycles") + ".";
    } else {
      why +=
          " The model finds no bottleneck of ports or dependencies, which leaves the front "
          "end and the branches.";
    }
  }
  for (const DividerFigures& divider : results.study.divider) {
    if (divider.kernel == bound.kernel && divider.unchained_cycles) {
      why += *divider.unchained_cycles < bound.cycles_per_pass
                 ? " Its divisions take " + with_unit(*divider.unchained_cycles, 1, "cycles") +
                       " each where none waits for another: the divider's throughput does not "
                       "hold a pass back."
                 : " Its divisions take " + with_unit(*divider.unchained_cycles, 1, "cycles") +
                       " each even where none waits for another: the divider's throughput "
                       "holds a pass back more than its latency.";
    }
  }
  if (bound.branches > 0) {
    why += " A pass of its loop runs " + std::to_string(bound.branches) +
           (bound.branches == 1 ? " branch." : " branches.");
  }
  return why;
}

void bound_section(std::string& out, const Results& results) {
  if (results.study.kernels.empty()) {
    return;
  }
  append(out, "What bounds a pass? (latencies timed here, the chains they make, LLVM's model)\n");
  latency_table(out, results.study.latencies);
  divider_table(out, results.study.divider);
  if (!results.bounds.empty() || results.model) {
    chain_table(out, results);
  } else {
    if (!results.bounds_left_out.empty()) {
      wrap(out, "No chain of a pass here: the kernels' machine code could not be read (" +
                    results.bounds_left_out + ").");
    }
    for (const std::string& left_out : results.chains_left_out) {
      wrap(out, left_out + ".");
    }
  }
  model_words(out, results);
  counters_table(out, results.study);
  out += '\n';
}
