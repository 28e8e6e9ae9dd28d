// The report's own logic: reading the programs' messages, medians, and the table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The number in a program's whole output, which must be exactly prefix, a signed decimal
// 32-bit number and suffix (the programs end their messages with no line end).
[[nodiscard]] std::optional<std::int32_t> parse_message(std::string_view output,
                                                        std::string_view prefix,
                                                        std::string_view suffix);

// The middle value, or the mean of the two middle values for an even count; 0 for none.
[[nodiscard]] double median(std::vector<std::uint32_t> values);

struct CrossCheckRow {
  std::string program;
  std::string under_test;
  std::string reference;
  std::int32_t errors;
};

struct BenchmarkRow {
  std::string program;
  std::vector<std::uint32_t> runs_ms;  // at least one run
};

// The report as a readable text table. The first benchmark row is the baseline of the
// ratio column, and bars are scaled to the slowest median.
[[nodiscard]] std::string format_report(std::string_view processor, std::string_view compiler,
                                        const std::vector<CrossCheckRow>& checks,
                                        const std::vector<BenchmarkRow>& benchmarks,
                                        std::uint32_t calls_per_run);
