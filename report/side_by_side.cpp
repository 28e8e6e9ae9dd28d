// Several reports in one table, one JSON document and one picture.
#include "report/side_by_side.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "report/export.h"
#include "report/files.h"
#include "report/layout.h"
#include "report/mca.h"
#include "report/svg_panel.h"
#include "report/utf8.h"
#include "study/fit.h"
#include "study/stats.h"

namespace {

constexpr std::size_t WIDTH = 80;
constexpr std::size_t LABEL = 26;  // the label column, after two blanks
constexpr std::size_t CELL = 16;   // a report's column, after one blank

constexpr const char* KIT[] = {"gcd_euclid_u", "gcd_euclid_s", "gcd_binary_u", "gcd_binary_s"};

// A sweep's binary speed-up is left out where either time is below this: near 0 ns the
// ratio of two figures net of the loop is noise.
constexpr double SMALLEST_NS = 1.0;

// "1.23 (1.19-1.28)", or "1.23 (-)" with no interval.
std::string with_interval(const Estimate& estimate) {
  return fixed(estimate.value, 2) + (estimate.has_interval ? " (" + fixed(estimate.low, 2) + "-" +
                                                                 fixed(estimate.high, 2) + ")"
                                                           : " (-)");
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


// A kernel's ns per pass in one report; none where it was not measured or counted.
std::optional<double> ns_per_pass_of(const Results& results, const std::string& kernel) {
  const KernelFigures* figures = find_kernel(results.study, kernel);
  return figures != nullptr ? ns_per_pass(*figures) : std::nullopt;
}

// A kernel's median time over gcd_euclid_u's; none where either was not measured.
std::optional<double> ratio_to_euclid(const Results& results, const std::string& kernel) {
  const KernelFigures* figures = find_kernel(results.study, kernel);
  const KernelFigures* euclid = find_kernel(results.study, "gcd_euclid_u");
  if (figures == nullptr || euclid == nullptr) {
    return std::nullopt;
  }
  return median(figures->ns_per_call) / median(euclid->ns_per_call);
}

std::optional<double> passes_per_bit(const Study& study, const std::string& kernel) {
  for (const PassesPerBit& fit : study.passes_per_bit) {
    if (fit.kernel == kernel) {
      return fit.measured;
    }
  }
  return std::nullopt;
}

// The peers any of the reports measured, in the order first seen.
std::vector<std::string> peers_of(const std::vector<NamedReport>& reports) {
  std::vector<std::string> names;
  for (const NamedReport& report : reports) {
    for (const KernelFigures& kernel : report.results.study.kernels) {
      const bool kit = std::find(std::begin(KIT), std::end(KIT), kernel.name) != std::end(KIT);
      if (!kit && std::find(names.begin(), names.end(), kernel.name) == names.end()) {
        names.push_back(kernel.name);
      }
    }
  }
  return names;
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

std::vector<Row> rows_of(const std::vector<NamedReport>& reports) {
  std::vector<Row> rows;
  const auto add = [&](const std::string& label, const auto& cell) {
    Row row{label, {}};
    for (const NamedReport& report : reports) {
      row.cells.push_back(cell(report.results));
    }
    rows.push_back(row);
  };
  Row names{"report", {}};
  for (const NamedReport& report : reports) {
    names.cells.push_back(report.name);
  }
  rows.push_back(names);
  add("processor", [](const Results& r) { return r.machine.processor; });
  add("machine", [](const Results& r) -> std::string {
    if (!r.machine.virtual_machine) {
      return "-";
    }
    return *r.machine.virtual_machine
               ? "virtual" + (r.machine.hypervisor.empty() ? "" : " (" + r.machine.hypervisor + ")")
               : "not virtual";
  });
  add("clock", [](const Results& r) {
    return r.study.ghz() ? fixed(*r.study.ghz(), 2) + " GHz" : std::string("-");
  });
  add("compiler", [](const Results& r) { return r.machine.compiler; });
  add("build", [](const Results& r) {
    return r.machine.build_type + (r.machine.flags.empty() ? "" : ", " + r.machine.flags);
  });
  add("cross-checks", [](const Results& r) {
    const std::string failed = failed_cross_checks(r);
    return failed.empty() ? std::string(r.checks.empty() ? "-" : "0 errors") : failed;
  });
  add("runs, repetitions", [](const Results& r) {
    return std::to_string(fewest_runs(r)) + ", " + std::to_string(r.study.settings.repetitions);
  });
  rows.push_back({"", {}});
  for (const auto& [label, euclid_program, binary_program] :
       {std::tuple{"binary speed-up, unsigned", "bench_euclid_u", "bench_binary_u"},
        std::tuple{"binary speed-up, signed", "bench_euclid_s", "bench_binary_s"}}) {
    const char* euclid = euclid_program;  // no lambda captures a structured binding
    const char* binary = binary_program;  // in clang++ 14
    add(label, [&](const Results& r) {
      const std::optional<Estimate> speedup = binary_speedup(r, euclid, binary);
      return speedup ? with_interval(*speedup) : std::string("-");
    });
  }
  rows.push_back({"cycles per pass", {}});
  for (const char* kernel : KIT) {
    add(std::string("  ") + kernel, [&](const Results& r) -> std::string {
      const std::optional<double> ns = ns_per_pass_of(r, kernel);
      if (!ns) {
        return "-";
      }
      return r.study.ghz() ? fixed(*ns * *r.study.ghz(), 1) : fixed(*ns, 2) + " ns";
    });
  }
  rows.push_back({"division on its operands", {}});
  for (const char* kernel : {"gcd_euclid_u", "gcd_euclid_s"}) {
    add(std::string("  ") + kernel, [&](const Results& r) -> std::string {
      const std::optional<double> cycles = division_cycles(r, kernel);
      return cycles ? fixed(*cycles, 1) + " cycles" : std::string("-");
    });
  }
  rows.push_back({"chain / measured pass", {}});
  for (const char* kernel : KIT) {
    add(std::string("  ") + kernel, [&](const Results& r) -> std::string {
      const std::optional<double> chain = chain_cycles(r, kernel);
      const std::optional<double> ns = ns_per_pass_of(r, kernel);
      if (!chain || !ns || !r.study.ghz()) {
        return "-";
      }
      return fixed(*chain, 1) + " / " + fixed(*ns * *r.study.ghz(), 1);
    });
  }
  rows.push_back({"passes per call", {}});
  for (const char* kernel : KIT) {
    add(std::string("  ") + kernel, [&](const Results& r) -> std::string {
      const KernelFigures* figures = find_kernel(r.study, kernel);
      return figures != nullptr && figures->passes_per_call ? fixed(*figures->passes_per_call, 3)
                                                            : "-";
    });
  }
  rows.push_back({"passes per bit (theory)", {}});
  for (const char* kernel : KIT) {
    const double theory = std::string(kernel).find("euclid") != std::string::npos
                              ? EUCLID_PASSES_PER_BIT
                              : BINARY_PASSES_PER_BIT;
    add(std::string("  ") + kernel + " (" + fixed(theory, 4) + ")", [&](const Results& r) {
      const std::optional<double> fitted = passes_per_bit(r.study, kernel);
      return fitted ? fixed(*fitted, 4) : std::string("-");
    });
  }
  rows.push_back({"ratio to gcd_euclid_u", {}});
  for (const std::string& peer : peers_of(reports)) {
    add("  " + peer, [&](const Results& r) {
      const std::optional<double> ratio = ratio_to_euclid(r, peer);
      return ratio ? fixed(*ratio, 3) : std::string("-");
    });
  }
  const bool any_model = std::any_of(reports.begin(), reports.end(), [](const NamedReport& report) {
    return report.results.model.has_value();
  });
  if (!any_model) {
    return rows;
  }
  add("model (llvm-mca -mcpu)",
      [](const Results& r) { return r.model ? r.model->cpu : std::string("-"); });
  for (const char* kernel : KIT) {
    add(std::string("  ") + kernel, [&](const Results& r) -> std::string {
      const KernelModel* model = find_model(r, kernel);
      return model != nullptr ? fixed(model->cycles_per_pass, 1) + ", " + short_bound(model->bound)
                              : "-";
    });
  }
  return rows;
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

// The binary speed-up at each size of a report's sweep, where both times are large enough.
Series sweep_speedup(const Study& study, const char* euclid, const char* binary,
                     const std::string& name) {
  Series series{name, {}};
  for (const SweepFigures& point : study.sweep) {
    if (point.kernel != binary) {
      continue;
    }
    for (const SweepFigures& other : study.sweep) {
      if (other.kernel == euclid && other.bits == point.bits) {
        const double slow = median(other.ns_per_call);
        const double fast = median(point.ns_per_call);
        if (slow >= SMALLEST_NS && fast >= SMALLEST_NS) {
          series.points.push_back({static_cast<double>(point.bits), slow / fast});
        }
      }
    }
  }
  return series;
}

constexpr const char* COLOURS[] = {"#1f5fa8", "#d9661f", "#2e8b3a", "#7b3fa0",
                                   "#8c5a2b", "#c2185b", "#00838f", "#555555"};

// Each cross-check's count of errors, by program.
Json cross_check_errors(const Results& results) {
  Json::Object counts;
  for (const CrossCheckRow& row : results.checks) {
    counts.emplace_back(row.program, row.errors);
  }
  return counts;
}

}  // namespace

std::vector<std::string> report_names(const std::vector<std::string>& paths) {
  std::vector<std::filesystem::path> whole;
  for (const std::string& path : paths) {
    whole.push_back(file_path(path).lexically_normal());
  }
  std::vector<std::string> names(paths.size());
  for (std::size_t depth = 1; depth <= 8; ++depth) {
    for (std::size_t i = 0; i < whole.size(); ++i) {
      std::vector<std::filesystem::path> parts(whole[i].begin(), whole[i].end());
      std::filesystem::path tail;
      for (std::size_t j = parts.size() > depth ? parts.size() - depth : 0; j < parts.size(); ++j) {
        tail /= parts[j];
      }
      names[i] = utf8_of(tail);
      if (names[i].ends_with(".json")) {
        names[i].resize(names[i].size() - 5);  // every report is one
      }
    }
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) {
      break;
    }
  }
  return names;
}

std::string format_side_by_side(const std::vector<NamedReport>& reports) {
  const std::vector<Row> rows = rows_of(reports);
  const std::size_t per_block = (WIDTH - 2 - LABEL) / (CELL + 1);
  std::string out = "Side by side: " + std::to_string(reports.size()) + " reports\n";
  for (std::size_t first = 0; first < reports.size(); first += per_block) {
    print_block(out, rows, first, std::min(first + per_block, reports.size()));
    out += "\n";
  }
  std::vector<std::string> notes;
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

Json side_by_side_json(const std::vector<NamedReport>& reports) {
  const auto optional = [](const std::optional<double>& value) {
    return value ? Json(*value) : Json(nullptr);
  };
  const auto interval = [](const std::optional<Estimate>& estimate) {
    return estimate ? estimate_json(*estimate) : Json();
  };
  Json::Array all;
  for (const NamedReport& report : reports) {
    const Results& r = report.results;
    Json::Array kernels;
    for (const char* kernel : KIT) {
      const KernelFigures* figures = find_kernel(r.study, kernel);
      const KernelModel* model = find_model(r, kernel);
      const std::optional<double> ns = ns_per_pass_of(r, kernel);
      kernels.emplace_back(Json::Object{
          {"kernel", kernel},
          {"ns_per_pass", optional(ns)},
          {"cycles_per_pass", ns && r.study.ghz() ? Json(*ns * *r.study.ghz()) : Json(nullptr)},
          {"passes_per_call", figures != nullptr ? optional(figures->passes_per_call) : Json()},
          {"passes_per_bit", optional(passes_per_bit(r.study, kernel))},
          {"model_cycles_per_pass", model != nullptr ? Json(model->cycles_per_pass) : Json()},
          {"chain_cycles_per_pass", optional(chain_cycles(r, kernel))},
          {"division_cycles", optional(division_cycles(r, kernel))},
          {"model_bound", model != nullptr ? Json(model->bound) : Json()},
      });
    }
    Json::Array peers;
    for (const std::string& peer : peers_of(reports)) {
      const std::optional<double> ratio = ratio_to_euclid(r, peer);
      peers.emplace_back(
          Json::Object{{"name", peer}, {"ratio_to_gcd_euclid_u", ratio ? Json(*ratio) : Json()}});
    }
    Json::Array sweep;
    const Series unsigned_speedup = sweep_speedup(r.study, "gcd_euclid_u", "gcd_binary_u", "");
    const Series signed_speedup = sweep_speedup(r.study, "gcd_euclid_s", "gcd_binary_s", "");
    for (const Point& point : unsigned_speedup.points) {
      Json signed_value;
      for (const Point& other : signed_speedup.points) {
        if (other.bits == point.bits) {
          signed_value = other.value;
        }
      }
      sweep.emplace_back(
          Json::Object{{"bits", point.bits}, {"unsigned", point.value}, {"signed", signed_value}});
    }
    all.emplace_back(Json::Object{
        {"report", report.name},
        {"processor", r.machine.processor},
        {"virtual_machine", r.machine.virtual_machine ? Json(*r.machine.virtual_machine) : Json()},
        {"clock_ghz", optional(r.study.ghz())},
        {"compiler", r.machine.compiler},
        {"build_type", r.machine.build_type},
        {"flags", r.machine.flags},
        {"cross_check_errors", cross_check_errors(r)},
        {"binary_speedup_unsigned",
         interval(binary_speedup(r, "bench_euclid_u", "bench_binary_u"))},
        {"binary_speedup_signed", interval(binary_speedup(r, "bench_euclid_s", "bench_binary_s"))},
        {"kernels", std::move(kernels)},
        {"peers", std::move(peers)},
        {"sweep_binary_speedup", std::move(sweep)},
    });
  }
  return Json::Object{{"format", "gcd-kit side by side 1"}, {"reports", std::move(all)}};
}

std::string draw_side_by_side(const std::vector<NamedReport>& reports) {
  const double height = 510 + static_cast<double>((reports.size() + 1) / 2) * 22 + 10;
  std::vector<Series> unsigned_lines;
  std::vector<Series> signed_lines;
  for (const NamedReport& report : reports) {
    unsigned_lines.push_back(
        sweep_speedup(report.results.study, "gcd_euclid_u", "gcd_binary_u", report.name));
    signed_lines.push_back(
        sweep_speedup(report.results.study, "gcd_euclid_s", "gcd_binary_s", report.name));
  }
  std::vector<Series> both = unsigned_lines;
  both.insert(both.end(), signed_lines.begin(), signed_lines.end());
  const auto [low, high] = value_range(both);
  std::string out = svg_start(
      height, "Binary against Euclid, side by side: " + std::to_string(reports.size()) + " reports",
      "Euclid's ns per call over binary's at each operand size, from each report's "
      "sweep (above 1: binary is faster)");
  for (const auto& [left, title, lines] : {std::tuple{80.0, "Unsigned", &unsigned_lines},
                                           std::tuple{600.0, "Signed", &signed_lines}}) {
    const Panel panel(left, low, high);
    panel.axes(out, title, "binary speed-up (times as fast)");
    for (std::size_t i = 0; i < lines->size(); ++i) {
      panel.line(out, (*lines)[i], {COLOURS[i % std::size(COLOURS)], ""}, "speedup");
    }
  }
  out += "<g class=\"legend\" font-size=\"12\" fill=\"#333\">\n";
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const Results& r = reports[i].results;
    legend_entry(out, 80 + static_cast<double>(i % 2) * 460, 510 + static_cast<double>(i / 2) * 22,
                 {COLOURS[i % std::size(COLOURS)], ""}, 2,
                 reports[i].name + ": " + r.machine.compiler + ", " + r.machine.build_type +
                     (r.machine.flags.empty() ? "" : ", " + r.machine.flags));
  }
  out += "</g>\n</svg>\n";
  return out;
}
