// Several reports in one table.
#include "report/text/side_by_side_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>

#include "report/figures/disturbance.h"
#include "report/figures/limits.h"
#include "report/figures/summary.h"
#include "report/machine/mca.h"
#include "report/run/kit.h"
#include "report/words/layout.h"
#include "report/words/utf8.h"
#include "study/fit.h"
#include "study/stats.h"

namespace {

constexpr std::size_t WIDTH = 80;
constexpr std::size_t LABEL = 26;  // the label column, after two blanks
constexpr std::size_t CELL = 16;   // a report's column, after one blank

// "1.23 (1.19-1.28)", or "1.23 (-)" with no interval.
std::string with_interval(const Estimate& estimate) {
  return fixed(estimate.value, 2) +
         (estimate.has_interval ? " (" + range_text(estimate.low, estimate.high, 2) + ")" : " (-)");
}

// The model's bound in two words, from its bottleneck analysis: the larger of its resource
// pressure ("ports") and its register dependencies ("deps"), as the model gives them.
std::string short_bound(const std::string& bound) {
  const std::optional<BoundShares> shares = bound_shares(bound);
  if (!shares || shares->backend < 10) {
    return "no bound";
  }
  return shares->dependencies >= shares->resources ? "deps " + fixed(shares->dependencies, 0) + "%"
                                                   : "ports " + fixed(shares->resources, 0) + "%";
}

// A cell's text on as many lines of the column's width as it needs, broken at blanks; a word
// longer than the column is cut, after whole characters.
std::vector<std::string> cell_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(' ', start);
    end = end == std::string::npos ? text.size() : end;
    std::string word = text.substr(start, end - start);
    if (characters(word) > CELL) {
      word = std::string(first_characters(word, CELL - 3)) + "...";
    }
    if (!line.empty() && characters(line) + 1 + characters(word) > CELL) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  lines.push_back(line);
  return lines;
}

struct Row {
  std::string label;
  std::vector<std::string> cells;  // one per report; empty for a heading row
};

// The table's rows, built one by one: each row a label and a cell per report.
struct Table {
  const std::vector<NamedReport>& reports;
  std::vector<Row> rows;

  void heading(const std::string& label) { rows.push_back({label, {}}); }
  template <class Cell>
  void add(const std::string& label, const Cell& cell) {
    Row row{label, {}};
    for (const NamedReport& report : reports) {
      row.cells.push_back(cell(report.results));
    }
    rows.push_back(row);
  }
  // Under a heading, a row per kernel: cell(results, kernel).
  template <class Cell>
  void per_kernel(const std::string& label, const std::vector<const char*>& kernels,
                  const Cell& cell) {
    heading(label);
    for (const char* kernel : kernels) {
      add(std::string("  ") + kernel, [&](const Results& r) { return cell(r, kernel); });
    }
  }
};

const std::vector<const char*> KIT(std::begin(KIT_KERNELS), std::end(KIT_KERNELS));

// A report's phases that are disturbed, or whose quiet could not be judged; "-" where none was
// watched.
std::string phases_that_were(const Results& r, bool disturbed) {
  if (r.worked_out.phases.empty()) {
    return "-";
  }
  std::vector<std::string> phases;
  for (const PhaseVerdict& verdict : r.worked_out.phases) {
    if (disturbed ? verdict.disturbed : !verdict.disturbed && !verdict.judged) {
      phases.push_back(verdict.phase);
    }
  }
  return phases.empty() ? "none" : joined(phases, ", ");
}

// A cell drawn from a phase that was not quiet, marked so: "209.6 / 229.3 *".
std::string marked(const Results& r, const char* phase, const std::string& cell) {
  const PhaseVerdict* verdict = find_verdict(r, phase);
  return cell != "-" && verdict != nullptr && !verdict->quiet() ? cell + " *" : cell;
}

// Whether any report has a phase of which the test holds.
template <class Test>
bool any_phase(const std::vector<NamedReport>& reports, const Test& test) {
  return std::any_of(reports.begin(), reports.end(), [&](const NamedReport& report) {
    const std::vector<PhaseVerdict>& phases = report.results.worked_out.phases;
    return std::any_of(phases.begin(), phases.end(), test);
  });
}

// Whether any report has a phase that was not quiet: its cells are marked.
bool any_not_quiet(const std::vector<NamedReport>& reports) {
  return any_phase(reports, [](const PhaseVerdict& verdict) { return !verdict.quiet(); });
}

// The reports' names, machines and builds, and what their figures rest on.
void machine_rows(Table& table) {
  Row names{"report", {}};
  for (const NamedReport& report : table.reports) {
    names.cells.push_back(report.name);
  }
  table.rows.push_back(names);
  table.add("processor", [](const Results& r) { return r.machine.processor; });
  table.add("machine", [](const Results& r) -> std::string {
    if (!r.machine.virtual_machine) {
      return "-";
    }
    return *r.machine.virtual_machine
               ? "virtual" + (r.machine.hypervisor.empty() ? "" : " (" + r.machine.hypervisor + ")")
               : "not virtual";
  });
  table.add("clock", [](const Results& r) {
    return r.study.ghz() ? fixed(*r.study.ghz(), 2) + " GHz" : std::string("-");
  });
  table.add("compiler", [](const Results& r) { return r.machine.compiler; });
  table.add("build", [](const Results& r) {
    return r.machine.build_type + (r.machine.flags.empty() ? "" : ", " + r.machine.flags);
  });
  table.add("cross-checks", [](const Results& r) {
    const std::string failed = failed_cross_checks(r);
    return failed.empty() ? std::string(r.checks.empty() ? "-" : "0 errors") : failed;
  });
  table.add("runs, repetitions", [](const Results& r) {
    return std::to_string(fewest_runs(r)) + ", " + std::to_string(r.study.settings.repetitions);
  });
  table.add("pairs in process",
            [](const Results& r) { return std::to_string(r.study.settings.drawn_pairs); });
  table.add("disturbed", [](const Results& r) { return phases_that_were(r, true); });
  // Where the reports worked their figures out by different rules, which rule each used.
  if (std::any_of(table.reports.begin(), table.reports.end(), [&](const NamedReport& report) {
        return estimator_of(report.results) != estimator_of(table.reports.front().results);
      })) {
    table.add("figures: median of", [](const Results& r) {
      return estimator_of(r) == ESTIMATOR ? std::string("quiet repetitions")
                                          : std::string("every repetition");
    });
  }
  if (any_phase(table.reports, [](const PhaseVerdict& verdict) { return !verdict.judged; })) {
    table.add("not judged", [](const Results& r) { return phases_that_were(r, false); });
  }
  table.heading("");
}

void speedup_rows(Table& table) {
  for (const auto& [label, signedness] :
       {std::pair{"binary speed-up, unsigned", &WorkedOut::unsigned_speedup},
        std::pair{"binary speed-up, signed", &WorkedOut::signed_speedup}}) {
    const auto speedup_of = signedness;  // no lambda captures a structured binding in clang++ 14
    table.add(label, [&](const Results& r) {
      const std::optional<Estimate>& speedup = r.worked_out.*speedup_of;
      return marked(r, "programs", speedup ? with_interval(*speedup) : std::string("-"));
    });
  }
}

// Each kit kernel's pass: its cycles, what bounds it, and how many a call makes.
void pass_rows(Table& table) {
  table.per_kernel("cycles per pass", KIT, [](const Results& r, const char* kernel) {
    const std::optional<double> ns = ns_per_pass_of(r, kernel);
    const std::optional<double> cycles = cycles_per_pass_of(r, kernel);
    if (!ns) {
      return std::string("-");
    }
    if (find_cost(r, kernel)->ns_per_call < SMALLEST_TIMED_NS) {
      return marked(r, "study", "too small to time");
    }
    return marked(r, "study", cycles ? fixed(*cycles, 1) : fixed(*ns, 2) + " ns");
  });
  table.per_kernel("division on its operands", {"gcd_euclid_u", "gcd_euclid_s"},
                   [](const Results& r, const char* kernel) {
                     const std::optional<double> cycles = division_cycles(r, kernel);
                     return cycles ? fixed(*cycles, 1) + " cycles" : std::string("-");
                   });
  table.per_kernel("chain / measured pass", KIT, [](const Results& r, const char* kernel) {
    const std::optional<double> chain = chain_cycles(r, kernel);
    const std::optional<double> cycles = cycles_per_pass_of(r, kernel);
    if (!chain || !cycles) {
      return std::string("-");
    }
    return marked(r, "study", fixed(*chain, 1) + " / " + fixed(*cycles, 1));
  });
  table.per_kernel("passes per call", KIT, [](const Results& r, const char* kernel) {
    const KernelFigures* figures = find_kernel(r.study, kernel);
    return figures != nullptr && figures->passes_per_call ? fixed(*figures->passes_per_call, 3)
                                                          : std::string("-");
  });
  table.heading("passes per bit (theory)");
  for (const char* kernel : KIT) {
    const double theory = std::string(kernel).find("euclid") != std::string::npos
                              ? EUCLID_PASSES_PER_BIT
                              : BINARY_PASSES_PER_BIT;
    table.add(std::string("  ") + kernel + " (" + fixed(theory, 4) + ")", [&](const Results& r) {
      const std::optional<double> fitted = passes_per_bit(r.study, kernel);
      return fitted ? fixed(*fitted, 4) : std::string("-");
    });
  }
}

// What bounds each kit kernel's call, where a report measured it.
void call_rows(Table& table) {
  const auto any = [&] {
    return std::any_of(table.reports.begin(), table.reports.end(), [](const NamedReport& report) {
      return !report.results.worked_out.calls.empty();
    });
  };
  if (!any()) {
    return;
  }
  table.per_kernel("overlapped pass (cycles)", KIT, [](const Results& r, const char* kernel) {
    const CallBound* bound = call_bound_of(r, kernel);
    return marked(r, "study",
                  bound != nullptr && bound->overlapped_pass ? fixed(*bound->overlapped_pass, 1)
                                                             : std::string("-"));
  });
  table.per_kernel("exit in place (cycles)", KIT, [](const Results& r, const char* kernel) {
    const CallBound* bound = call_bound_of(r, kernel);
    return marked(r, "study", bound != nullptr ? fixed(bound->exit_in_place, 1) : "-");
  });
  table.per_kernel("predicted / measured call", KIT, [](const Results& r, const char* kernel) {
    const CallBound* bound = call_bound_of(r, kernel);
    return marked(r, "study",
                  bound != nullptr && bound->prediction
                      ? fixed(*bound->prediction, 1) + " / " + fixed(bound->measured, 1)
                      : std::string("-"));
  });
}

void peer_rows(Table& table) {
  table.heading("ratio to gcd_euclid_u");
  for (const std::string& peer : peers_of(table.reports)) {
    table.add("  " + peer, [&](const Results& r) {
      const std::optional<double> ratio = ratio_to_euclid(r, peer);
      return marked(r, "study", ratio ? fixed(*ratio, 3) : std::string("-"));
    });
  }
}

// LLVM's model, where any report has one.
void model_rows(Table& table) {
  const bool any_model =
      std::any_of(table.reports.begin(), table.reports.end(),
                  [](const NamedReport& report) { return report.results.model.has_value(); });
  if (!any_model) {
    return;
  }
  table.add("model (llvm-mca -mcpu)",
            [](const Results& r) { return r.model ? r.model->cpu : std::string("-"); });
  for (const char* kernel : KIT) {
    table.add(std::string("  ") + kernel, [&](const Results& r) -> std::string {
      const KernelModel* model = find_model(r, kernel);
      return model != nullptr ? fixed(model->cycles_per_pass, 1) + ", " + short_bound(model->bound)
                              : "-";
    });
  }
}

std::vector<Row> rows_of(const std::vector<NamedReport>& reports) {
  Table table{reports, {}};
  machine_rows(table);
  speedup_rows(table);
  pass_rows(table);
  call_rows(table);
  peer_rows(table);
  model_rows(table);
  return table.rows;
}

void print_block(std::string& out, const std::vector<Row>& rows, std::size_t first,
                 std::size_t last) {
  for (const Row& row : rows) {
    if (row.cells.empty()) {
      out += row.label.empty() ? "\n" : "  " + row.label + "\n";
      continue;
    }
    std::vector<std::vector<std::string>> lines;
    std::size_t height = 1;
    for (std::size_t i = first; i < last; ++i) {
      lines.push_back(cell_lines(row.cells[i]));
      height = std::max(height, lines.back().size());
    }
    for (std::size_t line = 0; line < height; ++line) {
      std::string text(2, ' ');
      text += padded(line == 0 ? row.label : "", LABEL);
      for (const std::vector<std::string>& cell : lines) {
        text += ' ';
        text += padded(line < cell.size() ? cell[line] : "", CELL);
      }
      while (!text.empty() && text.back() == ' ') {
        text.pop_back();
      }
      out += text + "\n";
    }
  }
}

}  // namespace

// One line per report, before the table: the faster algorithm and by how much (unsigned, the
// programs'), and what a pass of each algorithm sits on ("-" where the report did not measure
// its calls).
void short_lines(std::string& out, const std::vector<NamedReport>& reports) {
  constexpr const char* LINE = "  %-16s %-26s  %-13s  %s\n";
  out += "In short: the faster algorithm, and what a pass of each sits on\n";
  append(out, LINE, "", "faster, unsigned", "Euclid's pass", "binary's pass");
  for (const NamedReport& report : reports) {
    const Summary summary = summarize(report.results);
    std::string faster = "-";
    if (!summary.speedups.empty() && summary.speedups.front().times) {
      const double times = summary.speedups.front().times->value;
      faster = times >= 1 ? "binary, " + fixed(times, 2) + " times as fast"
                          : "Euclid, " + fixed(1 / times, 2) + " times as fast";
    }
    std::vector<std::string> bounds;
    for (const char* algorithm : {"Euclid", "binary"}) {
      // Its unsigned kernel's: the first of the summary's for the algorithm.
      const auto first = std::find_if(
          summary.bounds.begin(), summary.bounds.end(),
          [&](const BoundAnswer& answer) { return answer.algorithm == std::string(algorithm); });
      bounds.emplace_back(first == summary.bounds.end()               ? "-"
                          : first->withheld != Withheld::no           ? "withheld"
                          : first->bound->sits_on == PassBound::chain ? "its chain"
                                                                      : "throughput");
    }
    append(out, LINE, report.name.substr(0, 16).c_str(), faster.c_str(), bounds[0].c_str(),
           bounds[1].c_str());
  }
  out += "\n";
}

std::string format_side_by_side(const std::vector<NamedReport>& reports) {
  const std::vector<Row> rows = rows_of(reports);
  const std::size_t per_block = (WIDTH - 2 - LABEL) / (CELL + 1);
  std::string out = "Side by side: " + std::to_string(reports.size()) + " reports\n";
  short_lines(out, reports);
  for (std::size_t first = 0; first < reports.size(); first += per_block) {
    print_block(out, rows, first, std::min(first + per_block, reports.size()));
    out += "\n";
  }
  std::vector<std::string> notes;
  if (any_not_quiet(reports)) {
    notes.emplace_back(
        "* timed in a phase that was disturbed, or whose quiet could not be judged (the rows "
        "\"disturbed\" and \"not judged\"): a quiet run's figure may differ, and the report "
        "withholds the findings drawn from it.");
  }
  for (const NamedReport& report : reports) {
    const Results& results = report.results;
    if (!results.study.ghz()) {
      notes.push_back(report.name +
                      " has no clock (a report from before the cycles, or from a "
                      "processor the clock cannot be measured on): its passes are "
                      "in ns.");
    }
    if (const std::string failed = failed_cross_checks(results); !failed.empty()) {
      notes.push_back(report.name + ": its cross-checks found errors (" + failed +
                      "): its binary and Euclidean kernels disagree, so its figures time kernels "
                      "that do not compute the same thing.");
    }
    const std::size_t runs = fewest_runs(results);
    if (runs < BOOTSTRAP_MIN_SAMPLES) {
      notes.push_back(report.name + " has " + std::to_string(runs) +
                      (runs == 1 ? " run" : " runs") + " of each benchmark: below " +
                      std::to_string(BOOTSTRAP_MIN_SAMPLES) +
                      " a bootstrap of the median is no 95% interval, so its speed-ups show none "
                      "(-).");
    }
  }
  for (const std::string& note : notes) {
    wrap(out, note);
  }
  if (!notes.empty()) {
    out += "\n";
  }
  return out;
}
