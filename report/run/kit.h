// The kit's programs that the report runs, the kernels each one binds, and the names a report
// may hold: the kit's four kernels and the peers.
#pragma once

#include <string_view>

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

// The two algorithms of each signedness, with their kernels and programs.
struct Signedness {
  const char* name;  // "unsigned", "signed"
  const char* euclid;
  const char* binary;
  const char* euclid_program;
  const char* binary_program;
};
inline constexpr Signedness SIGNEDNESSES[] = {
    {"unsigned", "gcd_euclid_u", "gcd_binary_u", "bench_euclid_u", "bench_binary_u"},
    {"signed", "gcd_euclid_s", "gcd_binary_s", "bench_euclid_s", "bench_binary_s"},
};

// The kit's four kernels, in the order of the programs above.
inline constexpr const char* KIT_KERNELS[] = {"gcd_euclid_u", "gcd_euclid_s", "gcd_binary_u",
                                              "gcd_binary_s"};

// Whether a kernel is one of the kit's four, or one of the kit's four or a peer.
[[nodiscard]] bool is_kit_kernel(std::string_view name);
[[nodiscard]] bool is_known_kernel(std::string_view name);
