// The summary: the figures chosen by figures/summary.h, in the words of their sections.
#include "report/text/summary_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report/figures/summary.h"
#include "report/text/finding_words.h"
#include "report/text/quiet_text.h"
#include "report/words/layout.h"

namespace {

// At most this many withheld findings are named; the rest are counted.
constexpr std::size_t NAMED_WITHHELD = 3;

std::string faster_line(const Summary& summary) {
  std::vector<std::string> parts;
  for (const SpeedupAnswer& answer : summary.speedups) {
    parts.push_back(std::string(answer.signedness) + ", " + speedup_words(answer.times) +
                    (answer.disturbed ? ", its runs disturbed" : ""));
  }
  return "Which is faster here: " + joined(parts, "; ") + ".";
}

// "Why: binary makes 1.09 times as many passes as Euclid, at 0.50 of the cycles of a pass (6.0
// against 12.0), unsigned; 1.09 times, at 0.52 (6.2 against 11.9), signed."
std::string why_line(const Summary& summary) {
  std::vector<std::string> parts;
  for (const WhyAnswer& answer : summary.why) {
    const WhyFaster& why = *answer.why;
    const bool first = parts.empty();
    std::string part =
        fixed(why.passes_ratio, 2) + " times" + (first ? " as many passes as Euclid" : "");
    if (answer.withheld != Withheld::no) {
      part += ", the cost of a pass withheld";
    } else if (why.pass_ratio) {
      const bool cycles = why.binary_pass_cycles && why.euclid_pass_cycles;
      part += ", at " + fixed(*why.pass_ratio, 2) +
              (first ? cycles ? " of the cycles of a pass" : " of the cost of a pass" : "") + " (" +
              (cycles ? fixed(*why.binary_pass_cycles, 1) + " against " +
                            fixed(*why.euclid_pass_cycles, 1)
                      : with_unit(why.binary_pass_ns, 2, "ns") + " against " +
                            with_unit(why.euclid_pass_ns, 2, "ns")) +
              ")";
    }
    parts.push_back(part + ", " + why.signedness);
  }
  return "Why: binary makes " + joined(parts, "; ") + ".";
}

// What bounds each algorithm, as a small table: what a pass sits on, its chain and its
// overlapped pass, and the call predicted from them against the call measured.
void bounds_table(std::string& out, const Summary& summary) {
  if (summary.bounds.empty()) {
    return;
  }
  constexpr const char* ROW = "  %-14s %-11s %5s %10s %14s %9s %6s\n";
  append(out, ROW, "in cycles", "a pass on", "chain", "overlapped", "call predicted", "measured",
         "off");
  for (const BoundAnswer& answer : summary.bounds) {
    const CallBound& bound = *answer.bound;
    if (answer.withheld != Withheld::no) {
      // In a row's width: the section's words for a phase not judged run past 80 columns.
      append(out, "  %-14s withheld, %s\n", bound.kernel.c_str(),
             answer.withheld == Withheld::not_judged ? "timed in too few repetitions to judge"
                                                     : withheld_words(answer.withheld).c_str());
      continue;
    }
    const auto cell = [](const std::optional<double>& value) {
      return value ? fixed(*value, 1) : std::string("-");
    };
    // The departure as the section gives it, signed: below the measured call is minus.
    const std::string off = bound.departure ? fixed(*bound.departure * 100, 1) + "%" : "-";
    append(out, ROW, bound.kernel.c_str(),
           bound.sits_on == PassBound::chain ? "its chain" : "throughput",
           cell(bound.chain).c_str(), cell(bound.overlapped_pass).c_str(),
           cell(bound.prediction).c_str(), bound.departure ? fixed(bound.measured, 1).c_str() : "-",
           off.c_str());
  }
}

std::string help_line(const Summary& summary) {
  std::vector<std::string> parts;
  std::vector<std::string> pairs;
  for (const TwoPairAnswer& answer : summary.two_pairs) {
    const TwoPairGain& gain = *answer.gain;
    pairs.push_back(gain.peer + (answer.withheld != Withheld::no
                                     ? " withheld"
                                     : " " + fixed(gain.gain, 2) + " times as fast as " +
                                           gain.kernel + (gain.gain < 1 ? ", slower" : "")));
  }
  if (!pairs.empty()) {
    parts.push_back("two pairs in flight, " + joined(pairs, ", "));
  }
  if (const KernelCost* peer = summary.fastest_peer) {
    const Estimate& ratio = *peer->ratio_to_euclid;
    const std::string figure =
        fixed(ratio.value, 3) +
        (ratio.has_interval ? " (" + range_text(ratio.low, ratio.high, 3) + ")" : "") +
        " of gcd_euclid_u's time" +
        (summary.fastest_peer_withheld == Withheld::disturbed    ? ", disturbed"
         : summary.fastest_peer_withheld == Withheld::not_judged ? ", not judged"
                                                                 : "");
    parts.push_back(ratio.value < 1 ? "the fastest peer, " + peer->kernel + ", at " + figure
                                    : "no peer faster than gcd_euclid_u (the fastest, " +
                                          peer->kernel + ", at " + figure + ")");
  }
  return parts.empty() ? "" : "What would help: " + joined(parts, "; ") + ".";
}

// The machine in two lines at the most: the phases not quiet, and the findings withheld, as
// many named as fit (NAMED_WITHHELD at the most), the rest counted.
std::string machine_line(const Results& results, const Summary& summary) {
  if (summary.unquiet.empty()) {
    return results.worked_out.phases.empty() ? "" : "The machine was quiet in every phase.";
  }
  std::vector<std::string> phases;
  for (const PhaseVerdict* verdict : summary.unquiet) {
    phases.push_back("the " + verdict->phase + (verdict->disturbed ? " disturbed" : " not judged"));
  }
  const std::string start = "The machine: " + joined(phases, ", ");
  const std::string end = " (see \"Was the machine quiet?\").";
  const std::size_t count = summary.withheld.size();
  std::string text;
  for (std::size_t named = std::min(count, NAMED_WITHHELD) + 1; named-- > 0;) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < named; ++i) {
      names.push_back(finding_name(*summary.withheld[i]));
    }
    if (count > named) {
      names.push_back(named > 0 ? "and " + std::to_string(count - named) + " more"
                                : counted(count, "finding", "findings"));
    }
    text = start + (count > 0 ? "; withheld: " + joined(names, "; ") : "") + end;
    std::string lines;
    wrap(lines, text);
    if (std::count(lines.begin(), lines.end(), '\n') <= 2) {
      break;
    }
  }
  return text;
}

}  // namespace

std::string speedup_words(const std::optional<Estimate>& times) {
  if (!times) {
    return "not measured";
  }
  return "binary is " + fixed(times->value, 2) + " times as fast as Euclid" +
         (times->has_interval ? " (" + range_text(times->low, times->high, 2) + ")" : "");
}

void summary_section(std::string& out, const Results& results) {
  const Summary summary = summarize(results);
  std::vector<std::string> lines;
  if (!summary.speedups.empty()) {
    lines.push_back(faster_line(summary));
  }
  if (!summary.why.empty()) {
    lines.push_back(why_line(summary));
  }
  const std::string help = help_line(summary);
  const std::string machine = machine_line(results, summary);
  if (lines.empty() && summary.bounds.empty() && help.empty() && machine.empty()) {
    return;
  }
  out += "In short (each answer from the section below that says more)\n";
  for (const std::string& line : lines) {
    wrap(out, line);
  }
  bounds_table(out, summary);
  for (const std::string& line : {help, machine}) {
    if (!line.empty()) {
      wrap(out, line);
    }
  }
  out += '\n';
}
