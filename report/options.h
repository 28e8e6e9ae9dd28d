// The report's command line.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "study/study.h"

struct Options {
  unsigned runs = 5;         // of each benchmark program
  StudySettings study;       // --repetitions, --pairs and --sweep-pairs
  unsigned timeout_s = 120;  // a program or tool still running after this is stopped
  std::string json_path = "report.json";
  std::string svg_path = "report.svg";  // "" for no picture (--no-svg)
  bool json_given = false;              // on the command line
  bool svg_given = false;
  std::optional<std::string> compare_path;
  std::string mcpu;                             // the processor of LLVM's model; "" for this one
  std::map<std::string, std::string> programs;  // NAME=PATH given on the command line
  bool side_by_side = false;                    // nothing is run: the reports given, compared
  std::vector<std::string> side_by_side_files;
  std::optional<std::string> show_path;  // nothing is run: a report file's text printed
  bool trace = false;  // nothing is run: one pair traced through the kernels' loops
  std::uint32_t trace_first = 0;
  std::uint32_t trace_second = 0;
  bool help = false;
};

// Reads GNU-style options (--runs N, --runs=N, -r N, -rN ...); the environment
// (GCD_REPORT_RUNS, GCD_REPORT_TIMEOUT) sets what the command line leaves unset. Numbers are
// digits only. On a bad one, nullopt with the reason in error.
[[nodiscard]] std::optional<Options> parse_options(
    const std::vector<std::string>& arguments,
    const std::map<std::string, std::string>& environment, std::string& error);

// A whole number of digits only, in [low, high].
[[nodiscard]] std::optional<unsigned> parse_number(const std::string& text, unsigned low,
                                                   unsigned high);

// A word of --trace: decimal with an optional sign, or hexadecimal after 0x (a sign before it
// too), from -2147483648 to 4294967295, read as the two's complement word; nullopt with the
// reason in error.
[[nodiscard]] std::optional<std::uint32_t> parse_trace_word(std::string_view text,
                                                            std::string& error);

// The variables of the environment that set options: "GCD_REPORT_RUNS", ...
[[nodiscard]] std::vector<std::string> option_variables();

[[nodiscard]] std::string usage();
