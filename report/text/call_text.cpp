// Rendering what bounds a call.
#include "report/text/call_text.h"

#include <cmath>

#include "report/figures/call_bounds.h"
#include "report/figures/findings.h"
#include "report/machine/mca.h"
#include "report/text/finding_words.h"
#include "report/words/layout.h"

namespace {

std::string cell(const std::optional<double>& value) { return value ? fixed(*value, 1) : "-"; }

void bound_table(std::string& out, const std::vector<CallBound>& calls) {
  append(out, "  %-14s %-20s %s\n", "", "cycles a pass", "cycles a call");
  append(out, "  %-14s %6s %10s  %9s %8s %13s\n", "kernel", "chain", "overlapped", "predicted",
         "measured", "exit in place");
  for (const CallBound& bound : calls) {
    append(out, "  %-14s %6s %10s  %9s %8.1f %13.1f\n", bound.kernel.c_str(),
           cell(bound.chain).c_str(), cell(bound.overlapped_pass).c_str(),
           cell(bound.prediction).c_str(), bound.measured, bound.exit_in_place);
  }
}

void line_table(std::string& out, const std::vector<CallBound>& calls) {
  append(out, "  Lines of cycles a call against passes, one per exit:\n");
  append(out, "  %-14s %-11s %6s %6s %8s %7s  %s\n", "kernel", "exit", "groups", "pairs",
         "per pass", "at none", "largest departure");
  for (const CallBound& bound : calls) {
    for (const OverlapLine& line : bound.lines) {
      const std::string departure = fixed(line.largest_departure * 100, 1) + "% (" +
                                    std::to_string(line.departing_passes) + " passes)";
      append(out, "  %-14s %-11s %6zu %6llu %8.2f %7.1f  %s\n", bound.kernel.c_str(),
             line.exit == CallExit::one ? "-" : call_exit_name(line.exit), line.groups,
             static_cast<unsigned long long>(line.pairs), line.cycles_per_pass, line.intercept,
             departure.c_str());
    }
  }
}

// Why a pass sits on its bound, in words.
std::string sits_on(const Results& results, const CallBound& bound) {
  if (bound.sits_on == PassBound::chain && !bound.overlapped_pass) {
    return bound.kernel + ": its chain (" + with_unit(*bound.chain, 1, "cycles") +
           ") is the one bound of a pass measured here: no line of its groups holds to give "
           "its overlapped pass.";
  }
  if (bound.sits_on == PassBound::chain) {
    return bound.kernel + ": a pass sits on its chain (" + with_unit(*bound.chain, 1, "cycles") +
           " against " + fixed(*bound.overlapped_pass, 1) +
           " overlapped): each mispredicted exit ends the overlap, so a call waits for its own "
           "chain.";
  }
  std::string model;
  if (const KernelModel* kernel = find_model(results, bound.kernel)) {
    if (const std::optional<BoundShares> shares = bound_shares(kernel->bound)) {
      model = "; LLVM's model gives its ports a pressure of " + fixed(shares->resources, 1) + "%";
    }
  }
  return bound.kernel + ": a pass sits on the core's throughput (" +
         with_unit(*bound.overlapped_pass, 1, "cycles") + " overlapped" +
         (bound.chain ? " against a chain of " + fixed(*bound.chain, 1) : ", no chain here") +
         model + "): the calls overlap as far as the core's units allow, exits and all.";
}

// What the prediction leaves out of the call: where the call runs slower, the exit in place
// beside one mispredicted branch, both measured apart from the prediction.
std::string the_rest(const CallBound& bound) {
  const double rest = bound.measured - *bound.prediction;
  if (rest < 0) {
    return "The call runs " + with_unit(-rest, 1, "cycles") +
           " faster than predicted: the core overlaps more of a call than its bound allows for.";
  }
  if (bound.exit_in_place < bound.smallest_timed) {
    return "The exit in place is too small to time here (" +
           with_unit(bound.exit_in_place, 1, "cycles") + ").";
  }
  return "The exit in place costs " + with_unit(bound.exit_in_place, 1, "cycles") +
         " a call, against " + fixed(bound.mispredicted_branch, 1) +
         " for a mispredicted branch on random bytes.";
}

// Why a line's slope is not used, where it is not.
std::string line_sentence(const CallBound& bound, const OverlapLine& line) {
  const std::string groups =
      "The groups of " + bound.kernel +
      (line.exit == CallExit::one ? ""
                                  : " that leave by " + std::string(call_exit_name(line.exit)));
  switch (line.fault) {
    case LineFault::none: return "";
    case LineFault::few_groups:
      return groups + " make no line to use: " + counted(line.groups, "group", "groups") + " of " +
             std::to_string(MIN_GROUP_PAIRS) + " pairs or more, fewer than " +
             std::to_string(MIN_LINE_GROUPS) + "; its slope is not used.";
    case LineFault::narrow:
      return groups + " make no line to use: they span " + counted(line.span, "pass", "passes") +
             ", fewer than " + std::to_string(MIN_LINE_SPAN) + "; its slope is not used.";
    case LineFault::departs:
      return groups + " are not a line: the group of " + std::to_string(line.departing_passes) +
             " passes departs from it by " + fixed(line.largest_departure * 100, 1) +
             "%, more than " + fixed(LINE_HOLDS * 100, 0) + "%; its slope is not used.";
  }
  return "";
}

// "1.52 times as fast"; "0.96 times as fast, slower".
std::string times(double gain) {
  return fixed(gain, 2) + " times as fast" + (gain < 1 ? ", slower" : "");
}

}  // namespace

std::string two_pair_sentence(const TwoPairGain& two) {
  const bool on_chain = two.sits_on == PassBound::chain;
  const double apart = two.predicted_gain > 0 ? two.gain / two.predicted_gain - 1 : 0;
  return "Two pairs in flight: " + two.peer + ", " + two.kernel +
         "'s algorithm on two pairs at once in one loop, takes " +
         with_unit(two.cycles_per_pair, 1, "cycles") + " a pair against " +
         fixed(two.cycles_per_call, 1) + " a call of " + two.kernel +
         " (each in a loop over a table of pairs, net of its own): " + times(two.gain) +
         ". The bounds above predict " + fixed(two.predicted_gain, 2) +
         ": a loop's pass takes the larger of the chain and two overlapped passes, " +
         with_unit(two.loop_pass, 1, "cycles") + ", over the larger of the two pairs' passes (" +
         fixed(two.passes_of_two, 1) + "), with one mispredicted exit for both: " +
         with_unit(two.predicted_per_pair, 1, "cycles") + " a pair. " +
         (on_chain ? "A kernel on its chain gains: the two chains run side by side."
                   : "A kernel on the core's throughput gains little: two pairs take twice its "
                     "units.") +
         " The gain measured is " +
         (std::fabs(apart) <= PREDICTION_HOLDS
              ? "within " + fixed(PREDICTION_HOLDS * 100, 0) + "% of the prediction."
              : fixed(std::fabs(apart) * 100, 1) + "% " + (apart < 0 ? "below" : "above") +
                    " it: the peer's loop is not the kernel's, pass for pass.");
}

std::string call_sentence(const Results& results, const CallBound& bound) {
  if (!bound.prediction) {
    return bound.kernel + ": no bound to predict its call by (no chain and no line that holds).";
  }
  if (const Withheld why = withheld(results, FindingKind::call, bound.kernel);
      why != Withheld::no) {
    return bound.kernel + ": withheld, its calls were " + withheld_words(why) + ".";
  }
  if (!bound.departure) {
    return sits_on(results, bound) + " Predicted " + with_unit(*bound.prediction, 1, "cycles") +
           " a call; the call measured is too small to time here (" +
           with_unit(bound.measured, 1, "cycles") + "), so nothing is held against it.";
  }
  std::string text = sits_on(results, bound) + " Predicted " +
                     with_unit(*bound.prediction, 1, "cycles") + " a call against " +
                     fixed(bound.measured, 1) + " measured: ";
  const double off = std::fabs(*bound.departure) * 100;
  const char* side = *bound.departure < 0 ? " below" : " above";
  if (std::fabs(*bound.departure) <= PREDICTION_HOLDS) {
    return text + "within " + fixed(PREDICTION_HOLDS * 100, 0) + "% (" + fixed(off, 1) + "%" +
           side + ").";
  }
  return text + fixed(off, 1) + "%" + side + ". " + the_rest(bound);
}

void call_section(std::string& out, const Results& results) {
  const std::vector<CallBound>& calls = results.worked_out.calls;
  if (calls.empty()) {
    return;
  }
  append(out, "What bounds a call? (calls of one kind, timed where they may overlap)\n");
  wrap(out, "The programs' first " + std::to_string(calls.front().pairs) +
                " pairs, each kit kernel's calls grouped by the passes they make and, in the "
                "binary loop, the exit they leave by; each group timed on its own in a loop over a "
                "table of its pairs, where its calls make the same passes and leave at a branch "
                "the core learns to predict, so that successive calls overlap; and the same "
                "pairs in the programs' order, in the same loop. A line of least squares through "
                "the groups of each exit (those of " +
                std::to_string(MIN_GROUP_PAIRS) +
                " pairs or more, each weighted by its pairs): its slope is the overlapped "
                "pass.");
  bound_table(out, calls);
  wrap(out,
       "Predicted: the passes a call makes times the larger of the chain and the "
       "overlapped pass, plus one mispredicted branch on random bytes. The exit in place: "
       "the programs' order less the groups at the same mix, what the unpredictable exits "
       "cost a call here, with the overlap they stop.");
  line_table(out, calls);
  for (const CallBound& bound : calls) {
    // Whether a line holds is no finding on calls that may have been disturbed: the call's
    // sentence below says it is withheld.
    if (withheld(results, FindingKind::lines, bound.kernel) != Withheld::no) {
      continue;
    }
    for (const OverlapLine& line : bound.lines) {
      if (!line.holds()) {
        wrap(out, line_sentence(bound, line));
      }
    }
  }
  for (const CallBound& bound : calls) {
    wrap(out, call_sentence(results, bound));
  }
  for (const TwoPairGain& two : results.worked_out.two_pairs) {
    if (const Withheld why = withheld(results, FindingKind::two_pairs, two.peer);
        why != Withheld::no) {
      wrap(out, "Two pairs in flight, " + two.peer + " against " + two.kernel + ": withheld, " +
                    withheld_words(why) + ".");
    } else if (!two.timed) {
      wrap(out, "Two pairs in flight, " + two.peer + " against " + two.kernel + ": " +
                    with_unit(two.cycles_per_pair, 1, "cycles") + " a pair against " +
                    fixed(two.cycles_per_call, 1) +
                    " a call, one of them too small to time here: no gain to tell.");
    } else {
      wrap(out, two_pair_sentence(two));
    }
  }
  out += '\n';
}
