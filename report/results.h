// Everything one report found: the machine, the programs' runs and the study. The text, the
// JSON file and the comparison with an earlier report are all made from this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "study/study.h"

struct Machine {
  std::string processor;
  std::string compiler;
  std::string build_type;
};

struct CrossCheckRow {
  std::string program;
  std::string under_test;
  std::string reference;
  std::uint32_t pairs;
  std::int32_t errors;
};

struct BenchmarkRow {
  std::string program;
  std::vector<double> runs_ms;  // at least one run
};

struct Results {
  Machine machine;
  std::uint32_t calls_per_run = 0;  // of each benchmark program
  std::vector<CrossCheckRow> checks;
  std::vector<BenchmarkRow> benchmarks;  // the first is the baseline of the ratios
  Study study;
  std::vector<std::string> notes;  // what was left out, and why
};
