// The comparison table.
#include "report/text/compare_text.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

#include "report/figures/comparison.h"
#include "report/text/quiet_text.h"
#include "report/words/layout.h"
#include "report/words/safe_text.h"
#include "study/stats.h"

namespace {

// The words of a change's verdict, as the table's last column gives them.
const char* verdict_words(ChangeVerdict verdict) {
  switch (verdict) {
    case ChangeVerdict::not_in_old: return "";
    case ChangeVerdict::disturbed: return "disturbed";
    case ChangeVerdict::one_figure: return "one figure";
    case ChangeVerdict::no_interval: return "-";
    case ChangeVerdict::apart: return "apart";
    case ChangeVerdict::within_noise: return "within noise";
  }
  return "";
}

void append_row(std::string& out, const ComparedFigure& row) {
  char line[160];
  if (!row.old_value) {
    std::snprintf(line, sizeof line, "  %-28s %9s %9.2f %9s\n", row.figure.c_str(), "-",
                  row.new_value.value, "-");
  } else {
    const std::optional<double> ratio = change_of(row);
    std::snprintf(line, sizeof line, "  %-28s %9.2f %9.2f %9s  %s\n", row.figure.c_str(),
                  row.old_value->value, row.new_value.value, ratio ? fixed(*ratio, 3).c_str() : "-",
                  verdict_words(change_verdict(row)));
  }
  out += line;
}

// The comparison in short: each speed-up's change with its verdict, and the kernel whose ns a
// call moved most among those apart.
void comparison_summary(std::string& out, const std::vector<ComparedFigure>& rows) {
  const ComparisonSummary summary = summarize_comparison(rows);
  std::vector<std::string> speedups;
  for (const ComparedFigure* row : summary.speedups) {
    const std::optional<double> change = change_of(*row);
    speedups.push_back(row->subject + ", " +
                       (row->old_value
                            ? fixed(row->old_value->value, 2) + " then and " +
                                  fixed(row->new_value.value, 2) + " now" +
                                  (change ? " (" + fixed(*change, 3) + ", " +
                                                verdict_words(change_verdict(*row)) + ")"
                                          : "")
                            : fixed(row->new_value.value, 2) + " now, not in the old report"));
  }
  std::string text;
  if (!speedups.empty()) {
    text = "In short: the binary speed-up, " + joined(speedups, "; ") + ".";
  }
  if (const ComparedFigure* moved = summary.moved_most) {
    text += (text.empty() ? "In short: " : " ") + std::string("Moved most of the kernels apart: ") +
            moved->subject + ", " + fixed(moved->old_value->value, 2) + " ns a call then and " +
            fixed(moved->new_value.value, 2) + " now (" + fixed(*change_of(*moved), 3) + ").";
  } else if (!text.empty()) {
    text += " No kernel's ns a call moved apart.";
  }
  if (!text.empty()) {
    wrap(out, text);
  }
}

std::string clock_text(const Study& study) {
  char text[48];
  if (const std::optional<double> ghz = study.ghz()) {
    std::snprintf(text, sizeof text, "%.2f GHz", *ghz);
    return text;
  }
  return "not measured";
}

// The phases of a report that were not quiet: "the study on the programs' pairs (disturbed)",
// "none".
std::string unquiet_phases(const Results& results) {
  std::vector<std::string> phases;
  for (const PhaseVerdict& verdict : results.worked_out.phases) {
    if (!verdict.quiet()) {
      phases.push_back(phase_words(verdict.phase) +
                       (verdict.disturbed ? " (disturbed)" : " (not judged)"));
    }
  }
  return phases.empty() ? "none" : joined(phases, ", ");
}

// Figures made on other pairs or with fewer repetitions are not the same measurement.
void settings_note(std::string& out, const Results& now, const Results& old) {
  const StudySettings& a = old.study.settings;
  const StudySettings& b = now.study.settings;
  const std::tuple<const char*, double, double> settings[] = {
      {"calls per benchmark run", old.calls_per_run, now.calls_per_run},
      {"pairs timed in process", a.drawn_pairs, b.drawn_pairs},
      {"repetitions in process", a.repetitions, b.repetitions},
      {"pairs per size in the sweep", static_cast<double>(a.sweep_pairs),
       static_cast<double>(b.sweep_pairs)},
  };
  std::string differences;
  char line[160];
  for (const auto& [name, before, after] : settings) {
    if (before != after) {
      std::snprintf(line, sizeof line, "    %-28s %10.0f old, %10.0f new\n", name, before, after);
      differences += line;
    }
  }
  if (!differences.empty()) {
    out += "  The two reports were made with other settings; figures compare less well:\n" +
           differences;
  }
}

}  // namespace

std::string format_comparison(const Results& now, const Results& old, const std::string& old_name) {
  const std::vector<ComparedFigure> rows = compared_figures(now, old);
  const std::optional<double> old_ghz = old.study.ghz();
  const std::optional<double> new_ghz = now.study.ghz();
  std::string out = "Against an earlier report: " + safe_text(old_name, 60) + "\n";
  out += "  (" + old.machine.processor + ", " + old.machine.compiler + ", " +
         old.machine.build_type + " build" +
         (old.machine.flags.empty() ? "" : ": " + old.machine.flags) + ")\n";
  out += "  clock: " + clock_text(old.study) + " then, " + clock_text(now.study) + " now" +
         (old_ghz && new_ghz ? "\n" : "; kernels compared in ns only\n");
  comparison_summary(out, rows);
  const bool watched = !old.worked_out.phases.empty() || !now.worked_out.phases.empty();
  if (watched && (unquiet_phases(old) != "none" || unquiet_phases(now) != "none")) {
    wrap(out, "Not quiet then: " + unquiet_phases(old) + "; now: " + unquiet_phases(now) + ".");
  }
  settings_note(out, now, old);
  if (estimator_of(now) != estimator_of(old)) {
    wrap(out, "The two reports' figures were worked out by different rules: the old one's as the " +
                  std::string(estimator_of(old)) + ", the new one's as the " +
                  std::string(estimator_of(now)) + " (those within " +
                  fixed(QUIET_SPREAD * 100, 0) +
                  "% of the fastest, the disturbed ones timed again); where a "
                  "run was disturbed, the two may differ by more than the machine did.");
  }
  if (const std::string failed = failed_cross_checks(old); !failed.empty()) {
    wrap(out, "Its cross-checks found errors (" + failed +
                  "): its kernels disagreed, so its figures time kernels that do not compute the "
                  "same thing.");
  }
  char line[160];
  std::snprintf(line, sizeof line, "  %-28s %9s %9s %9s  %s\n", "figure", "old", "new", "new/old",
                "95% intervals");
  out += line;
  bool dashes = false;
  bool one_figures = false;
  bool disturbed = false;
  bool missing = false;
  for (const ComparedFigure& row : rows) {
    append_row(out, row);
    missing = missing || !row.old_value;
    disturbed = disturbed || (row.old_value && row.disturbed);
    one_figures = one_figures || (row.old_value && !row.disturbed && row.one_figure);
    dashes = dashes || (row.old_value && !row.disturbed && !row.one_figure &&
                        !(row.new_value.has_interval && row.old_value->has_interval));
  }
  if (missing) {
    out += "  - in the old column: a figure not in the old report, so nothing to compare.\n";
  }
  if (disturbed) {
    out +=
        "  disturbed: timed in a phase that was not quiet in one of the reports (above), so no\n"
        "  telling a change from what else ran on the machine.\n";
  }
  if (dashes) {
    out +=
        "  - : no 95% interval on one side (fewer than 5 runs or repetitions), so no telling\n"
        "  a change from the noise.\n";
  }
  if (one_figures) {
    out +=
        "  one figure: a division, a chain or a call's bound (its overlapped pass, its exit in\n"
        "  place and its prediction, in cycles) is one figure of each report, with no interval;\n"
        "  a change of a few percent may be the noise.\n";
  }
  out += '\n';
  return out;
}
