// Rendering the results as text.
#include "report/text/report_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>

#include "report/figures/agreement.h"
#include "report/figures/disturbance.h"
#include "report/figures/findings.h"
#include "report/figures/limits.h"
#include "report/files/paths.h"
#include "report/text/bound_text.h"
#include "report/text/call_text.h"
#include "report/text/finding_words.h"
#include "report/text/quiet_text.h"
#include "report/text/spread_text.h"
#include "report/text/summary_text.h"
#include "report/words/layout.h"
#include "report/words/safe_text.h"
#include "study/fit.h"
#include "study/peers.h"
#include "study/stats.h"

namespace {

// A difference from a constant beyond this is a finding worth words.
constexpr double FAR_FROM_THEORY = 0.05;

// " (0.519-0.530)", " (-)" where there is none (too few repetitions), or nothing (the
// baseline, whose ratio is 1 by definition).
std::string interval_text(const Estimate& estimate, bool shown, int decimals) {
  if (!shown) {
    return "";
  }
  if (!estimate.has_interval) {
    return " (-)";
  }
  return " (" + range_text(estimate.low, estimate.high, decimals) + ")";
}

// "0.524 (0.519-0.530)".
std::string ratio_text(const Estimate& ratio, bool with_interval) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", ratio.value);
  return text + interval_text(ratio, with_interval, 3);
}

// Splits "gcd_euclid_u" into "gcd_" and "euclid_u" for a two-line column heading.
std::pair<std::string, std::string> heading(const std::string& name) {
  const std::size_t cut = name.find('_');
  if (cut == std::string::npos) {
    return {"", name};
  }
  return {name.substr(0, cut + 1), name.substr(cut + 1)};
}

std::vector<std::string> sweep_kernels(const Study& study) {
  std::vector<std::string> names;
  for (const SweepFigures& point : study.sweep) {
    if (std::find(names.begin(), names.end(), point.kernel) == names.end()) {
      names.push_back(point.kernel);
    }
  }
  return names;
}

// Why a table shows dashes for its intervals, once: what few repetitions give is no 95%
// interval.
void no_interval_note(std::string& out, std::size_t repetitions, std::size_t fewest_kept,
                      const char* option) {
  const bool runs = std::string_view(option) == "--runs";
  if (repetitions < BOOTSTRAP_MIN_SAMPLES) {
    wrap(out, "No intervals (-): with " +
                  counted(repetitions, runs ? "run" : "repetition", runs ? "runs" : "repetitions") +
                  " a bootstrap of the median is no 95% interval (with 2 it is only the range "
                  "of the two); " +
                  option + " " + std::to_string(BOOTSTRAP_MIN_SAMPLES) + " or more gives one.");
  } else if (fewest_kept < BOOTSTRAP_MIN_SAMPLES) {
    wrap(out, std::string("No interval (-) where fewer than ") +
                  std::to_string(BOOTSTRAP_MIN_SAMPLES) + (runs ? " runs" : " repetitions") +
                  " were kept: the interval, like the figure, rests on those kept alone.");
  }
}

// Under a table whose rows are marked: what the mark means.
void disturbed_mark_note(std::string& out, bool marked, const char* repeated) {
  if (marked) {
    wrap(out, std::string("*: its ") + repeated +
                  " spread more than a quiet run's, timed while the machine was disturbed (see "
                  "\"Was the machine quiet?\").");
  }
}

// How far the clock moved between its two measurements, as a share of the first.
constexpr double CLOCK_MOVED = 0.05;

void machine_section(std::string& out, const Results& results) {
  const Machine& machine = results.machine;
  append(out, "GCD kit report\n");
  append(out, "  processor  %s\n", machine.processor.c_str());
  if (machine.x86) {
    append(out, "             %s, family %u, model %u, stepping %u\n", machine.x86->vendor.c_str(),
           machine.x86->family, machine.x86->model, machine.x86->stepping);
  }
  if (machine.virtual_machine) {
    if (*machine.virtual_machine) {
      const std::string under = machine.hypervisor.empty() ? "" : " (" + machine.hypervisor + ")";
      append(out, "  machine    virtual%s: its timings share a host with other machines\n",
             under.c_str());
    } else {
      append(out, "  machine    not virtual (no hypervisor bit)\n");
    }
  }
  const Study& study = results.study;
  if (const std::optional<double> ghz = study.ghz()) {
    append(out, "  clock      %.2f GHz, measured here (%.2f before the study, %.2f after)\n", *ghz,
           *study.clock_before_ghz, *study.clock_after_ghz);
  } else {
    append(out, "  clock      not measured on this processor: figures in ns only\n");
  }
  append(out, "  compiler   %s, %s build%s\n", machine.compiler.c_str(), machine.build_type.c_str(),
         machine.flags.empty() ? "" : (": " + machine.flags).c_str());
  if (study.ghz()) {
    const double moved =
        (*study.clock_after_ghz - *study.clock_before_ghz) / *study.clock_before_ghz;
    if (std::fabs(moved) > CLOCK_MOVED) {
      wrap(out, "The clock " + change_words(moved) + " during the report (" +
                    with_unit(*study.clock_before_ghz, 2, "GHz") + " before the study, " +
                    with_unit(*study.clock_after_ghz, 2, "GHz") +
                    " after): turbo or power limits at work. Cycles use the mean of the two, "
                    "and are as uncertain as the clock.");
    }
  }
  out += '\n';
}

void cross_check_section(std::string& out, const Results& results) {
  append(out, "Do the two algorithms agree? (the cross-check programs)\n");
  for (const CrossCheckRow& row : results.checks) {
    append(out, "  %-8s %s against %s on %u pairs: %d errors\n", row.program.c_str(),
           row.under_test.c_str(), row.reference.c_str(), row.pairs, row.errors);
  }
  out += '\n';
}

void benchmark_section(std::string& out, const Results& results) {
  if (results.benchmarks.empty()) {
    return;
  }
  const WorkedOut& worked_out = results.worked_out;
  append(out, "Which is faster here? (the benchmark programs, msec for %u calls)\n",
         results.calls_per_run);
  append(out, "  %-15s %4s %7s %6s %6s %7s  ratio to %s\n", "program", "runs", "median", "min",
         "max", "ns/call", results.benchmarks.front().program.c_str());
  std::vector<const ProgramCost*> noisy;
  const PhaseVerdict* programs = find_verdict(results, "programs");
  bool marked = false;
  for (std::size_t i = 0; i < results.benchmarks.size(); ++i) {
    const ProgramCost& cost = worked_out.programs[i];
    const bool disturbed = is_disturbed(programs, cost.program);
    marked = marked || disturbed;
    append(out, "  %-15s %4u %7.1f %6.0f %6.0f %7.1f  %s%s\n", cost.program.c_str(),
           static_cast<unsigned>(results.benchmarks[i].runs_ms.size()), cost.median_ms, cost.min_ms,
           cost.max_ms, cost.ns_per_call, ratio_text(cost.ratio, i != 0).c_str(),
           disturbed ? " *" : "");
    if (cost.spread > NOISY_RUNS) {
      noisy.push_back(&cost);
    }
  }
  disturbed_mark_note(out, marked, "runs");
  append(out, "  Unsigned: %s.\n", speedup_words(worked_out.unsigned_speedup).c_str());
  append(out, "  Signed:   %s.\n", speedup_words(worked_out.signed_speedup).c_str());
  std::size_t fewest_kept = SIZE_MAX;
  for (const BenchmarkRow& row : results.benchmarks) {
    fewest_kept = std::min(fewest_kept, estimated_runs(results, row).size());
  }
  no_interval_note(out, fewest_runs(results), fewest_kept, "--runs");
  for (const ProgramCost* cost : noisy) {
    const BenchmarkRow* row = find_benchmark(results, cost->program);
    const bool all_kept = estimated_runs(results, *row).size() == row->runs_ms.size();
    const std::size_t again = row->runs_ms.timed_again;
    wrap(out, "Noisy: the runs of " + cost->program + (all_kept ? "" : " kept") + " spread by " +
                  percent(cost->spread) + " of their median, more than " + percent(NOISY_RUNS, 0) +
                  (again > 0 ? ", after " + std::to_string(again) + " more" : "") +
                  ": the machine was busy. Run it again with more runs (--runs 15)" +
                  (again > 0 || results.study.settings.retime_seconds == 0
                       ? " or more time to run them again (--retime " +
                             std::to_string(MORE_RETIME_SECONDS) + ")"
                       : "") +
                  ".");
  }
  out += '\n';
}

void kernel_table(std::string& out, const Results& results) {
  const Study& study = results.study;
  const PhaseVerdict* verdict = find_verdict(results, "study");
  bool marked = false;
  const bool ghz = study.ghz().has_value();
  if (ghz) {
    append(out, "  %-14s %-22s %s\n", "", "per call", "per pass");
    append(out, "  %-14s %6s %7s %7s %5s %7s  ratio to gcd_euclid_u\n", "kernel", "ns", "cycles",
           "passes", "ns", "cycles");
  } else {
    append(out, "  %-14s %7s %11s %7s  ratio to gcd_euclid_u\n", "kernel", "ns/call", "passes/call",
           "ns/pass");
  }
  for (std::size_t i = 0; i < study.kernels.size(); ++i) {
    const KernelCost& cost = results.worked_out.kernels[i];
    const std::string ratio =
        !cost.ratio_to_euclid
            ? (cost.ns_per_call < SMALLEST_TIMED_NS ? "- (too small to time)" : "-")
            : ratio_text(*cost.ratio_to_euclid, cost.kernel != "gcd_euclid_u");
    const std::optional<double> passes = study.kernels[i].passes_per_call;
    const std::string per_pass = cost.ns_per_pass ? fixed(*cost.ns_per_pass, 2) : "-";
    const bool disturbed = is_disturbed(verdict, cost.kernel);
    marked = marked || disturbed;
    const std::string ratio_marked = ratio + (disturbed ? " *" : "");
    if (ghz) {
      append(out, "  %-14s %6.1f %7.1f %7s %5s %7s  %s\n", cost.kernel.c_str(), cost.ns_per_call,
             *cost.cycles_per_call, passes ? fixed(*passes, 3).c_str() : "-", per_pass.c_str(),
             cost.cycles_per_pass ? fixed(*cost.cycles_per_pass, 2).c_str() : "-",
             ratio_marked.c_str());
    } else {
      append(out, "  %-14s %7.1f %11s %7s  %s\n", cost.kernel.c_str(), cost.ns_per_call,
             passes ? fixed(*passes, 3).c_str() : "-", per_pass.c_str(), ratio_marked.c_str());
    }
  }
  disturbed_mark_note(out, marked, "repetitions");
}

// The peers that take two pairs at once are timed otherwise: say how, where there are any.
void two_pair_note(std::string& out, const Study& study) {
  std::vector<std::string> names;
  for (const TwoPairPeer& peer : two_pair_peers()) {
    if (find_kernel(study, peer.name) != nullptr) {
      names.push_back(peer.name);
    }
  }
  if (!names.empty()) {
    wrap(out, joined(names, " and ") +
                  " take two pairs at once, in one loop: their figures are per pair, the "
                  "programs' pairs taken two at a time from a table, net of that loop with an "
                  "empty kernel.");
  }
}

// What one mispredicted branch is, and what share of each kit kernel's call the one at the
// exit of its loop takes.
void mispredict_paragraph(std::string& out, const Study& study) {
  if (!study.mispredicted_branch_ns) {
    return;
  }
  const double branch_ns = *study.mispredicted_branch_ns;
  const std::optional<double> ghz = study.ghz();
  std::string text = "A mispredicted branch costs " +
                     (ghz ? with_unit(branch_ns * *ghz, 1, "cycles") + " here (" +
                                with_unit(branch_ns, 2, "ns") + "; "
                          : with_unit(branch_ns, 2, "ns") + " here (") +
                     "a branch on random bytes against the same branch on alternating ones). Each "
                     "call ends its loop with one that cannot be predicted:";
  std::vector<std::string> shares;
  for (const KernelFigures& kernel : study.kernels) {
    // No share is made of a call too small to time.
    if (kernel.passes_per_call && estimate(kernel.ns_per_call) >= SMALLEST_TIMED_NS) {
      shares.push_back(fixed(branch_ns / estimate(kernel.ns_per_call) * 100, 1) + "% of " +
                       (!shares.empty() ? ""
                        : ghz           ? "the cycles per call of "
                                        : "the time per call of ") +
                       kernel.name);
    }
  }
  for (std::size_t i = 0; i < shares.size(); ++i) {
    text += (i == 0 ? " " : i + 1 == shares.size() ? " and " : ", ") + shares[i];
  }
  wrap(out, text + ".");
}

// The three phases that measure each kit kernel, held against each other: one sentence where
// they agree, one finding per phase that stands apart.
void agreement_paragraph(std::string& out, const Results& results) {
  const std::vector<Agreement>& agreements = results.worked_out.agreements;
  if (agreements.empty()) {
    return;
  }
  if (const Withheld why = withheld(results, FindingKind::agreement); why != Withheld::no) {
    wrap(out,
         "Whether the programs, the study on their pairs and the sweep at 32 bits agree on each "
         "kit kernel's ns a pass: withheld, " +
             withheld_words(why) + ".");
    return;
  }
  const auto figures_of = [](const Agreement& agreement, std::optional<Phase> first) {
    std::string text;
    std::vector<PhaseFigure> ordered = agreement.figures;
    std::stable_partition(ordered.begin(), ordered.end(),
                          [&](const PhaseFigure& figure) { return figure.phase == first; });
    for (std::size_t i = 0; i < ordered.size(); ++i) {
      text += (i == 0                    ? ""
               : i + 1 == ordered.size() ? " and "
                                         : ", ") +
              fixed(ordered[i].ns_per_pass.value, 2) + " by " + phase_name(ordered[i].phase);
    }
    return text;
  };
  bool any = false;
  for (const Phase phase : {Phase::programs, Phase::study, Phase::sweep}) {
    std::string kernels;
    for (const Agreement& agreement : agreements) {
      if (agreement.apart == phase) {
        kernels +=
            (kernels.empty() ? "" : "; ") + agreement.kernel + " " + figures_of(agreement, phase);
      }
    }
    if (!kernels.empty()) {
      any = true;
      std::string stands = phase_name(phase);
      stands[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(stands[0])));
      // "The programs stand apart", "The sweep at 32 bits stands apart".
      stands += phase == Phase::programs ? " stand" : " stands";
      wrap(out, "Finding: the report's own measurements part: ns a pass of " + kernels + ". " +
                    stands +
                    " apart, by more than the intervals and the known difference of the "
                    "phases allow: something else ran on the machine then, or the clock changed. "
                    "Run the report again on a quiet machine.");
    }
  }
  for (const Agreement& agreement : agreements) {
    if (agreement.all_part) {
      any = true;
      wrap(out, "Finding: the report's own measurements of " + agreement.kernel +
                    " part, by more than their intervals and the known difference of the phases "
                    "allow: ns a pass of " +
                    figures_of(agreement, std::nullopt) +
                    ". The machine was busy; run the report again on a quiet one.");
    }
  }
  if (!any) {
    wrap(out,
         "The programs, the study on their pairs and the sweep at 32 bits agree on each kit "
         "kernel's ns a pass, within their intervals and " +
             fixed(PHASES_MAY_PART * 100, 0) + "% (" + fixed(SWEEP_MAY_PART * 100, 0) +
             "% for the sweep, which times other pairs in another loop).");
  }
}

// Why binary is faster, in one sentence: "gcd_binary_u makes 1.09 times as many passes as
// gcd_euclid_u, at 0.50 of the cycles of a pass (6.0 against 12.0)."
std::string why_sentence(const WhyFaster& why, Withheld withheld_as) {
  const std::string passes = why.binary + " makes " + fixed(why.passes_ratio, 2) +
                             " times as many passes as " + why.euclid;
  if (withheld_as != Withheld::no) {
    return passes + "; the cycles of their passes, set against each other: withheld, " +
           withheld_words(withheld_as) + ".";
  }
  if (!why.pass_ratio) {
    return passes +
           "; a call of one of them is too small to time here, so their passes are not set "
           "against each other.";
  }
  const std::string cost = why.binary_pass_cycles && why.euclid_pass_cycles
                               ? "the cycles of a pass (" + fixed(*why.binary_pass_cycles, 1) +
                                     " against " + fixed(*why.euclid_pass_cycles, 1) + ")"
                               : "the cost of a pass (" + with_unit(why.binary_pass_ns, 2, "ns") +
                                     " against " + with_unit(why.euclid_pass_ns, 2, "ns") + ")";
  return passes + ", at " + fixed(*why.pass_ratio, 2) + " of " + cost + ".";
}

void kernel_section(std::string& out, const Results& results) {
  const Study& study = results.study;
  const KernelFigures* baseline = find_kernel(study, "gcd_euclid_u");
  if (study.kernels.empty() || baseline == nullptr) {
    return;
  }
  const std::optional<double> ghz = study.ghz();
  append(out, "Why? (the kernels in this process, on the programs' first %u pairs)\n",
         study.settings.drawn_pairs);
  kernel_table(out, results);
  std::size_t fewest_kept = SIZE_MAX;
  bool all_kept = true;
  for (const KernelFigures& kernel : study.kernels) {
    fewest_kept = std::min(fewest_kept, estimated_from(kernel.ns_per_call).size());
    all_kept = all_kept && kept(kernel.ns_per_call).size() == kernel.ns_per_call.size();
  }
  no_interval_note(out, study.settings.repetitions, fewest_kept, "--repetitions");
  wrap(out,
       (study.settings.repetitions == 1 ? std::string("ns are of one repetition")
        : all_kept
            ? "ns are medians of " + std::to_string(study.settings.repetitions) + " repetitions"
            : "ns are medians of each figure's quiet repetitions (of " +
                  std::to_string(study.settings.repetitions) +
                  ", and those timed again: " + "those within " + fixed(QUIET_SPREAD * 100, 0) +
                  "%, and " + with_unit(QUIET_SPREAD_NS, 0, "ns") +
                  ", of its fastest, its work on the processor; a busy spell slows some "
                  "repetitions and speeds none up)") +
           ", net of the programs' loop itself (two draws and the call of an "
           "empty kernel: " +
           with_unit(estimate(study.loop_ns_per_call), 1, "ns") + " per call)" +
           (ghz ? "; cycles are ns times the clock, " + with_unit(*ghz, 2, "GHz.") : "."));
  two_pair_note(out, study);
  // The answer to "why", in one sentence per signedness.
  for (const WhyFaster& why : results.worked_out.why) {
    wrap(out, why_sentence(why, withheld(results, FindingKind::why, why.signedness)));
  }
  mispredict_paragraph(out, study);
  agreement_paragraph(out, results);
  for (const std::string& note : results.notes) {
    wrap(out, note + ".");
  }
  out += '\n';
}

using SweepFigure = std::function<std::optional<double>(const std::string&, unsigned)>;

// One block of a table of the sweep, every 4 bits, one column per kernel.
void sweep_block(std::string& out, const std::vector<std::string>& kernels,
                 const SweepFigure& figure, int decimals) {
  std::string top = "      ";
  std::string bottom = "  bits";
  for (const std::string& kernel : kernels) {
    const auto [first, second] = heading(kernel);
    append(top, " %8s", first.c_str());
    append(bottom, " %8s", second.c_str());
  }
  out += top + "\n" + bottom + "\n";
  for (unsigned bits = 4; bits <= 32; bits += 4) {
    std::string row;
    bool any = false;
    append(row, "  %4u", bits);
    for (const std::string& kernel : kernels) {
      const std::optional<double> value = figure(kernel, bits);
      any = any || value.has_value();
      if (value) {
        append(row, " %8.*f", decimals, *value);
      } else {
        append(row, " %8s", "-");
      }
    }
    if (any) {
      out += row + "\n";
    }
  }
}

// The columns that fit 80 characters beside the sizes.
constexpr std::size_t SWEEP_COLUMNS = 8;

// One table of the sweep, one column per kernel that has the figure, in blocks one below the
// other where they do not fit.
void sweep_table(std::string& out, const std::vector<std::string>& kernels,
                 const SweepFigure& figure, int decimals) {
  for (std::size_t first = 0; first < kernels.size(); first += SWEEP_COLUMNS) {
    if (first > 0) {
      out += '\n';
    }
    const auto from = kernels.begin() + static_cast<std::ptrdiff_t>(first);
    const auto to = kernels.begin() +
                    static_cast<std::ptrdiff_t>(std::min(first + SWEEP_COLUMNS, kernels.size()));
    sweep_block(out, {from, to}, figure, decimals);
  }
}

// The sweep's points timed while the machine was disturbed, named beside the table.
void disturbed_points(std::string& out, const Results& results) {
  const PhaseVerdict* verdict = find_verdict(results, "sweep");
  if (verdict == nullptr || verdict->figures.empty()) {
    return;
  }
  // Each kernel's points in one list: "gcd_euclid_u at 4, 10 and 11 bits".
  std::vector<std::string> points;
  if (is_disturbed(verdict, "the loop")) {
    points.emplace_back("the loop");
  }
  for (const std::string& kernel : sweep_kernels(results.study)) {
    std::vector<std::string> sizes;
    for (unsigned bits = 1; bits <= 32; ++bits) {
      if (is_disturbed(verdict, sweep_point_name(kernel, bits))) {
        sizes.push_back(std::to_string(bits));
      }
    }
    if (!sizes.empty()) {
      const std::string last = sizes.back();
      sizes.pop_back();
      points.push_back(kernel + " at " + (sizes.empty() ? "" : joined(sizes, ", ") + " and ") +
                       last + (last == "1" && sizes.empty() ? " bit" : " bits"));
    }
  }
  wrap(out, "Disturbed: " + joined(points, "; ") + " (a median more than " +
                fixed(QUIET_SPREAD * 100, 0) +
                "% above its fastest repetition): the lines through them in the picture stand on "
                "points a quiet run may move.");
}

void sweep_section(std::string& out, const Results& results) {
  const Study& study = results.study;
  if (study.sweep.empty()) {
    return;
  }
  const std::vector<std::string> all = sweep_kernels(study);
  append(out, "When? (ns per call against operand size: %u uniform pairs per size)\n",
         static_cast<unsigned>(study.settings.sweep_pairs));
  sweep_table(
      out, all,
      [&](const std::string& kernel, unsigned bits) { return sweep_ns(study, kernel, bits); }, 1);
  if (const Withheld why = withheld(results, FindingKind::crossover, "unsigned");
      why != Withheld::no) {
    wrap(out, "From which size on each binary kernel is the faster: withheld, " +
                  withheld_words(why) + ".");
  } else {
    append(out,
           "  gcd_binary_u is the faster of the unsigned kernels %s;\n"
           "  gcd_binary_s the faster of the signed ones %s.\n",
           crossover_text(results.worked_out.unsigned_crossover).c_str(),
           crossover_text(results.worked_out.signed_crossover).c_str());
  }
  disturbed_points(out, results);
  out += '\n';

  std::vector<std::string> counted;
  for (const std::string& kernel : all) {
    for (const SweepFigures& point : study.sweep) {
      if (point.kernel == kernel && point.passes_per_call) {
        counted.push_back(kernel);
        break;
      }
    }
  }
  append(out, "  Passes per call against operand size\n");
  sweep_table(
      out, counted,
      [&](const std::string& kernel, unsigned bits) -> std::optional<double> {
        const SweepFigures* point = find_sweep_point(study, kernel, bits);
        return point != nullptr ? point->passes_per_call : std::nullopt;
      },
      2);
  out += '\n';
}

void theory_section(std::string& out, const Study& study) {
  if (study.passes_per_bit.empty()) {
    return;
  }
  append(out, "Theory: passes per bit (least squares over %u to 32 bits)\n",
         study.settings.fit_from_bits);
  append(out, "  %-14s %9s %7s %11s\n", "kernel", "measured", "theory", "difference");
  std::vector<std::string> findings;
  for (const PassesPerBit& fit : study.passes_per_bit) {
    const double difference = (fit.measured - fit.theory) / fit.theory;
    append(out, "  %-14s %9.4f %7.4f %+10.1f%%\n", fit.kernel.c_str(), fit.measured, fit.theory,
           difference * 100);
    if (std::fabs(difference) > FAR_FROM_THEORY) {
      char finding[256];
      std::snprintf(finding, sizeof finding,
                    "  Finding: %s lands %.1f%% from its constant: its loop does not make the\n"
                    "  passes of the textbook algorithm, or the sweep is too small to tell.\n",
                    fit.kernel.c_str(), std::fabs(difference) * 100);
      findings.emplace_back(finding);
    }
  }
  append(out,
         "  Euclid: 12 (ln 2)^2 / pi^2 = %.4f division steps per bit (Heilbronn 1969,\n"
         "  Dixon 1970; Knuth, TAOCP vol. 2, 4.5.3). Binary: Brent's constant %.4f\n"
         "  subtract-and-shift steps per bit (Brent 1976; Knuth, TAOCP vol. 2, 4.5.2).\n",
         EUCLID_PASSES_PER_BIT, BINARY_PASSES_PER_BIT);
  for (const std::string& finding : findings) {
    out += finding;
  }
  out += '\n';
}

}  // namespace

std::string crossover_text(const Crossover& crossover) {
  if (!crossover.measured) {
    return "(not measured)";
  }
  if (crossover.from_bits == 0) {
    return "at no size";
  }
  if (crossover.every_size) {
    return "at every size";
  }
  return "from " + std::to_string(crossover.from_bits) + " bits on";
}

std::string format_report(const Results& results) {
  std::string out;
  machine_section(out, results);
  summary_section(out, results);
  cross_check_section(out, results);
  benchmark_section(out, results);
  quiet_section(out, results);
  kernel_section(out, results);
  bound_section(out, results);
  call_section(out, results);
  sweep_section(out, results);
  theory_section(out, results.study);
  spread_section(out, results.study);
  return out;
}

std::string format_files(const std::map<std::string, std::string>& program_paths,
                         const std::vector<WrittenFile>& files, const std::string& working_folder) {
  std::vector<std::string> folders;
  for (const auto& [name, path] : program_paths) {
    const std::u8string parent = file_path(path).parent_path().u8string();
    const std::string folder =
        shown_path(std::string(parent.begin(), parent.end()), working_folder);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(safe_text(folder, 200));
    }
  }
  std::string out = "Where things are\n";
  for (std::size_t i = 0; i < folders.size(); ++i) {
    append(out, "  %-9s %s\n", i == 0 ? "programs" : "", folders[i].c_str());
  }
  for (const WrittenFile& file : files) {
    out += format_written(file, working_folder);
  }
  return out;
}

std::string format_written(const WrittenFile& file, const std::string& working_folder) {
  std::string line;
  append(line, "  %-9s %s%s\n", file.label.c_str(),
         safe_text(shown_path(file.path, working_folder), 200).c_str(),
         file.error.empty() ? "" : (" (not written: " + file.error + ")").c_str());
  return line;
}
