// Everything one report found: the machine, the programs' runs and the study. The text, the
// JSON file and the comparison with an earlier report are all made from this.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "study/stats.h"
#include "study/study.h"

// The kit's programs that the report runs, with the kernels each one binds.
struct CrossCheckProgram {
  const char* program;
  const char* under_test;
  const char* reference;
};
inline constexpr CrossCheckProgram CROSS_CHECK_PROGRAMS[] = {
    {"check_u", "gcd_binary_u", "gcd_euclid_u"},
    {"check_s", "gcd_binary_s", "gcd_euclid_s"},
};
struct BenchmarkProgram {
  const char* program;
  const char* kernel;
};
// The first is the baseline of the ratios.
inline constexpr BenchmarkProgram BENCHMARK_PROGRAMS[] = {
    {"bench_euclid_u", "gcd_euclid_u"},
    {"bench_euclid_s", "gcd_euclid_s"},
    {"bench_binary_u", "gcd_binary_u"},
    {"bench_binary_s", "gcd_binary_s"},
};

// What cpuid says of an x86 processor, family and model as the vendors combine their base
// and extended fields.
struct X86Signature {
  std::string vendor;  // "GenuineIntel", "AuthenticAMD"
  unsigned family = 0;
  unsigned model = 0;
  unsigned stepping = 0;
};

struct Machine {
  std::string processor;
  std::string compiler;
  std::string build_type;
  std::optional<X86Signature> x86;      // on x86 only
  std::optional<bool> virtual_machine;  // where it can be told (the hypervisor bit on x86)
  std::string hypervisor;               // the hypervisor's name, where cpuid gives one
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

// The row of a benchmark program, or of a kernel, by name; nullptr if it was not measured.
[[nodiscard]] const BenchmarkRow* find_benchmark(const Results& results, std::string_view program);
[[nodiscard]] const KernelFigures* find_kernel(const Study& study, std::string_view name);

// How many times as fast the binary program is as the Euclidean one: the ratio of their
// medians, with its interval; none if either was not run.
[[nodiscard]] std::optional<Estimate> binary_speedup(const Results& results,
                                                     std::string_view euclid,
                                                     std::string_view binary);
