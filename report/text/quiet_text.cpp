// Rendering whether the machine was quiet.
#include "report/text/quiet_text.h"

#include <cmath>

#include "report/figures/disturbance.h"
#include "report/figures/limits.h"
#include "report/run/programs.h"
#include "report/text/finding_words.h"
#include "report/words/layout.h"

namespace {

// "gcd_euclid_u 98.0% above its fastest repetition (139.10 ns a call against 70.26)"; where
// the fastest is too small to time (a time net of the loop, under noise), of which neither a
// share nor a difference says anything, its median alone.
std::string figure_words(const DisturbedFigure& figure) {
  const std::string counts = std::to_string(figure.kept) + " of its " +
                             std::to_string(figure.repetitions) + " repetitions kept, " +
                             std::to_string(figure.needed) + " needed";
  if (figure.spread) {
    // "bench_binary_u's kept runs 12.5% apart, more than 10% (43.10 ns a call; 5 of ...)"
    return figure.figure + (figure.every_value_counts ? "'s runs " : "'s kept runs ") +
           percent(*figure.spread) + " apart, more than " + percent(NOISY_RUNS, 0) + " (" +
           with_unit(figure.median, 2, "ns") + " a call" +
           (figure.every_value_counts ? std::string() : "; " + counts) +
           (figure.timed_again > 0 ? ", " + std::to_string(figure.timed_again) + " timed again"
                                   : "") +
           ")";
  }
  if (figure.fastest < SMALLEST_TIMED_NS) {
    return figure.figure + " " + with_unit(figure.median, 2, "ns") +
           " a call, its fastest repetition too small to time";
  }
  const double beyond = figure.median - figure.fastest;
  return figure.figure + " " + percent(beyond / figure.fastest) +
         " above its fastest repetition (" + with_unit(figure.median, 2, "ns") +
         " a call against " + fixed(figure.fastest, 2) +
         // A report from before the rule left no value out: nothing to count.
         (figure.every_value_counts ? std::string() : "; " + counts) +
         (figure.lost > 0 ? ", " + std::to_string(figure.lost) + " lost the processor" : "") +
         (figure.timed_again > 0 ? ", " + std::to_string(figure.timed_again) + " timed again"
                                 : "") +
         ")";
}

// The phase's rounds of timing again, in words: "the sweep: 4 rounds, 1.3 s".
std::string again_words(const PhaseVerdict& verdict) {
  return phase_words(verdict.phase) + ", " + counted(verdict.rounds_again, "round", "rounds") +
         " (" + with_unit(verdict.seconds_again, 1, "s") + ")";
}

// What was timed again, and how it ended; where the work lost the processor in some
// repetitions, that they were left out.
void again_sentence(std::string& out, const Results& results) {
  std::vector<std::string> rounds;
  std::optional<double> lowest;
  bool still = false;
  for (const PhaseVerdict& verdict : results.worked_out.phases) {
    if (verdict.rounds_again > 0) {
      rounds.push_back(again_words(verdict));
      still = still || !verdict.figures.empty();
    }
    // Said only where some were: a figure that kept none is worked out from them all.
    if (verdict.lowest_cpu_share && results.study.signs_per_value && verdict.left_out > 0) {
      lowest = std::min(lowest.value_or(1.0), *verdict.lowest_cpu_share);
    }
  }
  std::string text;
  if (!rounds.empty()) {
    text = "Timed again within " + with_unit(results.study.settings.retime_seconds, 0, "s") +
           " (--retime), what did not hold: " + joined(rounds, "; ") + ". " +
           (still ? "What still does not hold is named above." : "All of it now holds.");
  }
  if (lowest) {
    text += (text.empty() ? "" : " ") + std::string("Repetitions whose work lost the processor ") +
            "(down to " + percent(*lowest) + " of the wall time) are left out of each figure.";
  }
  if (!text.empty()) {
    wrap(out, text);
  }
}

// What a reader of a disturbed run can do.
std::string again_advice(const Results& results) {
  if (!results.study.signs_per_value) {  // a report from before it timed anything again
    return "Run the report again on a quiet machine";
  }
  return results.study.settings.retime_seconds == 0
             ? "Run the report again on a quiet machine, or let it time again what was "
               "disturbed (--retime " +
                   std::to_string(DEFAULT_RETIME_SECONDS) + ")"
             : "Run the report again with more time to time again what was disturbed "
               "(--retime " +
                   std::to_string(MORE_RETIME_SECONDS) + "), or on a quieter machine";
}

// What the system says of the phase, beside its figures.
std::vector<std::string> signs_of(const PhaseVerdict& verdict) {
  std::vector<std::string> signs;
  if (verdict.lowest_cpu_share) {
    signs.push_back("its work ran " + percent(*verdict.lowest_cpu_share) +
                    " of the wall time in its slowest " +
                    (verdict.phase == "programs" ? "run" : "repetition"));
  }
  if (verdict.stolen_share) {
    signs.push_back("the host stole " + percent(*verdict.stolen_share) + " of the machine's time");
  }
  if (verdict.clock_moved) {
    signs.push_back("the clock " + change_words(*verdict.clock_moved));
  }
  return signs;
}

// ", and the findings drawn from its timings are withheld: what bounds ..." where any is.
std::string withheld_clause(const Results& results, const std::string& phase) {
  const std::string names = withheld_names(results, phase, 3);
  return names.empty()
             ? ""
             : std::string(", and the findings drawn from ") +
                   (phase == "programs" ? "their" : "its") + " timings are withheld: " + names;
}

void disturbed_phase(std::string& out, const Results& results, const PhaseVerdict& verdict) {
  const bool plural = verdict.phase == "programs";  // "the programs' runs were"
  std::string text =
      "Finding: " + phase_words(verdict.phase) + (plural ? " were" : " was") + " disturbed.";
  if (!verdict.figures.empty()) {
    std::vector<std::string> figures;
    bool lost = false;
    for (const DisturbedFigure& figure : verdict.figures) {
      figures.push_back(figure_words(figure));
      lost = lost || figure.lost > 0;
    }
    const std::size_t shown = std::min<std::size_t>(figures.size(), 4);
    text += std::string(plural ? " Their" : " Its") +
            " repetitions spread more than a quiet run's" +
            (lost ? std::string(", or lost the processor: ") : std::string(": ")) +
            joined({figures.begin(), figures.begin() + static_cast<std::ptrdiff_t>(shown)}, "; ") +
            (figures.size() > shown ? "; and " + std::to_string(figures.size() - shown) + " more"
                                    : "") +
            ".";
  }
  std::vector<std::string> signs = signs_of(verdict);
  // The repetitions whose work lost the processor are left out, and disturb the phase no more
  // (where its figures left them out: a report from before kept them).
  if (verdict.lowest_cpu_share && results.study.signs_per_value && verdict.left_out > 0) {
    signs.erase(signs.begin());
  }
  if (!signs.empty()) {
    text += " The system: " + joined(signs, ", ") + ".";
  }
  if (verdict.switches) {
    // Appended piece by piece: g++ 12 warns (-Wrestrict) of " " + a string here, wrongly.
    text.append(1, ' ')
        .append(counted(*verdict.switches, "involuntary switch", "involuntary switches"))
        .append(1, '.');
  }
  wrap(out, text + " Something else ran on the machine then: its figures are named where they " +
                "are used" + withheld_clause(results, verdict.phase) + ". " +
                again_advice(results) + ".");
}

// A phase whose figures were each timed once: no spread tells a busy spell from the figure.
void unjudged_phase(std::string& out, const Results& results, const PhaseVerdict& verdict) {
  const bool plural = verdict.phase == "programs";
  const std::string fewest =
      plural ? counted(fewest_runs(results), "run", "runs") + " of each program"
             : counted(results.study.settings.repetitions, "repetition", "repetitions");
  wrap(out, "Not judged: " + phase_words(verdict.phase) + " (" + fewest + "). A figure's spread " +
                "needs " + std::to_string(MIN_JUDGED_REPETITIONS) +
                " repetitions or more to tell a busy spell from the figure itself, so " +
                (plural ? "their" : "its") + " quiet could not be judged, nothing was timed again" +
                withheld_clause(results, verdict.phase) + ".");
}

}  // namespace

std::string phase_words(const std::string& phase) {
  if (phase == "programs") {
    return "the programs' runs";
  }
  if (phase == "study") {
    return "the study on the programs' pairs";
  }
  return "the sweep";
}

void quiet_section(std::string& out, const Results& results) {
  const std::vector<PhaseVerdict>& verdicts = results.worked_out.phases;
  if (verdicts.empty()) {
    return;
  }
  append(out, "Was the machine quiet? (each phase watched, against what a quiet run shows)\n");
  std::vector<std::string> quiet;
  std::uint64_t switches = 0;
  bool any_counted = false;
  std::size_t values = 0;
  std::size_t left_out = 0;
  for (const PhaseVerdict& verdict : verdicts) {
    if (verdict.disturbed) {
      disturbed_phase(out, results, verdict);
      continue;
    }
    if (!verdict.judged) {
      unjudged_phase(out, results, verdict);
      continue;
    }
    quiet.push_back(phase_words(verdict.phase));
    values += verdict.values;
    // A repetition whose work lost the processor was left out where values carry their signs.
    left_out += verdict.left_out;
    if (verdict.switches) {
      switches += *verdict.switches;
      any_counted = true;
    }
  }
  if (!quiet.empty()) {
    const std::string within = fixed(QUIET_SPREAD * 100, 0) + "% (and " +
                               fixed(QUIET_SPREAD_NS, 0) + " ns a call) of its fastest";
    const std::string share = fixed(QUIET_CPU_SHARE * 100, 0) + "% of the wall time";
    wrap(
        out,
        "Quiet: " + joined(quiet, ", ") + ". " +
            (left_out == 0
                 ? "Every figure's median there stands within " + within +
                       " repetition, as on a quiet machine; the work ran at least " + share
                 : "Every figure there kept a majority of its repetitions, those within " + within +
                       " whose work ran at least " + share + " (" + std::to_string(left_out) +
                       " of " + std::to_string(values) + " left out), and is their median") +
            ", the host stole at most " + fixed(QUIET_STOLEN * 100, 0) +
            "% and the clock held within " + fixed(QUIET_CLOCK * 100, 0) +
            "%, where the system tells" +
            (any_counted ? "; " + counted(switches, "involuntary switch", "involuntary switches") +
                               " in all."
                         : "."));
  }
  again_sentence(out, results);
  out += '\n';
}
