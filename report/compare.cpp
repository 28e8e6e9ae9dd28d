// The comparison table.
#include "report/compare.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "study/stats.h"

namespace {

struct Row {
  std::string figure;
  std::optional<Estimate> old_value;
  Estimate new_value;
};

void append_row(std::string& out, const Row& row) {
  char line[160];
  if (!row.old_value) {
    std::snprintf(line, sizeof line, "  %-28s %9s %9.2f %9s\n", row.figure.c_str(), "-",
                  row.new_value.value, "-");
  } else {
    const double change =
        row.old_value->value != 0 ? row.new_value.value / row.old_value->value : 0.0;
    std::snprintf(line, sizeof line, "  %-28s %9.2f %9.2f %9.3f  %s\n", row.figure.c_str(),
                  row.old_value->value, row.new_value.value, change,
                  row.new_value.apart_from(*row.old_value) ? "apart" : "within noise");
  }
  out += line;
}

template <class Item, class Key, class Samples>
std::optional<Estimate> find_median(const std::vector<Item>& items, Key key, Samples samples,
                                    const std::string& name) {
  for (const Item& item : items) {
    if (key(item) == name) {
      return median_estimate(samples(item));
    }
  }
  return std::nullopt;
}

std::optional<Estimate> speedup(const Results& results, const char* euclid, const char* binary) {
  const std::vector<double>* slow = nullptr;
  const std::vector<double>* fast = nullptr;
  for (const BenchmarkRow& row : results.benchmarks) {
    slow = row.program == euclid ? &row.runs_ms : slow;
    fast = row.program == binary ? &row.runs_ms : fast;
  }
  if (slow == nullptr || fast == nullptr) {
    return std::nullopt;
  }
  return ratio_estimate(*slow, *fast);
}

}  // namespace

std::string format_comparison(const Results& now, const Results& old, const std::string& old_name) {
  std::vector<Row> rows;
  const auto program = [](const BenchmarkRow& row) { return row.program; };
  const auto runs = [](const BenchmarkRow& row) -> const std::vector<double>& {
    return row.runs_ms;
  };
  for (const BenchmarkRow& row : now.benchmarks) {
    rows.push_back({row.program + " msec", find_median(old.benchmarks, program, runs, row.program),
                    median_estimate(row.runs_ms)});
  }
  for (const auto& [label, euclid, binary] :
       {std::tuple{"binary speed-up, unsigned", "bench_euclid_u", "bench_binary_u"},
        std::tuple{"binary speed-up, signed", "bench_euclid_s", "bench_binary_s"}}) {
    if (const std::optional<Estimate> new_value = speedup(now, euclid, binary)) {
      rows.push_back({label, speedup(old, euclid, binary), *new_value});
    }
  }
  const auto name = [](const KernelFigures& kernel) { return kernel.name; };
  const auto ns = [](const KernelFigures& kernel) -> const std::vector<double>& {
    return kernel.ns_per_call;
  };
  for (const KernelFigures& kernel : now.study.kernels) {
    rows.push_back({kernel.name + " ns/call", find_median(old.study.kernels, name, ns, kernel.name),
                    median_estimate(kernel.ns_per_call)});
  }

  std::string out = "Against an earlier report: " + old_name + "\n";
  out += "  (" + old.machine.processor + ", " + old.machine.compiler + ", " +
         old.machine.build_type + " build)\n";
  char line[160];
  std::snprintf(line, sizeof line, "  %-28s %9s %9s %9s  %s\n", "figure", "old", "new", "new/old",
                "95% intervals");
  out += line;
  for (const Row& row : rows) {
    append_row(out, row);
  }
  out += '\n';
  return out;
}
