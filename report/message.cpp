// Parsing, medians and the report table.
#include "report/report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

std::optional<std::int32_t> parse_message(std::string_view output, std::string_view prefix,
                                          std::string_view suffix) {
  if (output.size() < prefix.size() + suffix.size() || !output.starts_with(prefix) ||
      !output.ends_with(suffix)) {
    return std::nullopt;
  }
  std::string_view number =
      output.substr(prefix.size(), output.size() - prefix.size() - suffix.size());
  const bool negative = number.starts_with('-');
  if (negative) {
    number.remove_prefix(1);
  }
  if (number.empty() || number.size() > 10) {
    return std::nullopt;
  }
  std::int64_t magnitude = 0;
  for (const char c : number) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    magnitude = magnitude * 10 + (c - '0');
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

double median(std::vector<std::uint32_t> values) {
  if (values.empty()) {
    return 0.0;
  }
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) {
    return values[middle];
  }
  return (static_cast<double>(values[middle - 1]) + values[middle]) / 2.0;
}

namespace {

constexpr int BAR_WIDTH = 40;

[[gnu::format(printf, 2, 3)]] void append(std::string& out, const char* format, ...) {
  char line[256];  // every line of the table is shorter
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (length > 0) {
    out.append(line, std::min(static_cast<std::size_t>(length), sizeof line - 1));
  }
}

}  // namespace

std::string format_report(std::string_view processor, std::string_view compiler,
                          const std::vector<CrossCheckRow>& checks,
                          const std::vector<BenchmarkRow>& benchmarks,
                          std::uint32_t calls_per_run) {
  std::string out;
  append(out, "GCD kit report: %.*s, %.*s\n\n", static_cast<int>(processor.size()),
         processor.data(), static_cast<int>(compiler.size()), compiler.data());

  append(out, "%-16s %-18s %-18s %10s\n", "cross-check", "kernel under test", "reference",
         "errors");
  for (const CrossCheckRow& row : checks) {
    append(out, "%-16s %-18s %-18s %10d\n", row.program.c_str(), row.under_test.c_str(),
           row.reference.c_str(), row.errors);
  }
  if (benchmarks.empty()) {
    return out;
  }

  std::vector<double> medians;
  for (const BenchmarkRow& row : benchmarks) {
    medians.push_back(median(row.runs_ms));
  }
  const double baseline = medians.front();
  const double slowest = *std::max_element(medians.begin(), medians.end());

  append(out, "\n%-16s %5s %8s %6s %6s %8s %9s\n", "benchmark", "runs", "median", "min", "max",
         "ns/call", "ratio");
  for (std::size_t i = 0; i < benchmarks.size(); ++i) {
    const BenchmarkRow& row = benchmarks[i];
    const auto [low, high] = std::minmax_element(row.runs_ms.begin(), row.runs_ms.end());
    const double ns_per_call = medians[i] * 1e6 / calls_per_run;
    const double ratio = baseline > 0 ? medians[i] / baseline : 0.0;
    const int bar = slowest > 0 ? static_cast<int>(medians[i] / slowest * BAR_WIDTH + 0.5) : 0;
    append(out, "%-16s %5zu %8.1f %6u %6u %8.1f %8.2fx  %s\n", row.program.c_str(),
           row.runs_ms.size(), medians[i], *low, *high, ns_per_call, ratio,
           std::string(static_cast<std::size_t>(bar), '#').c_str());
  }
  append(out, "\nmedian, min and max in msec for %u calls; ratio to %s; ns/call from the median\n",
         calls_per_run, benchmarks.front().program.c_str());
  return out;
}
