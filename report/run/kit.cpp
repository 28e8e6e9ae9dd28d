// The kit's programs and kernels by name.
#include "report/run/kit.h"

#include <algorithm>
#include <iterator>

#include "study/peers.h"

bool is_kit_kernel(std::string_view name) {
  return std::any_of(std::begin(BENCHMARK_PROGRAMS), std::end(BENCHMARK_PROGRAMS),
                     [&](const BenchmarkProgram& program) { return name == program.kernel; });
}

bool is_known_kernel(std::string_view name) {
  return is_kit_kernel(name) || std::any_of(std::begin(PEER_NAMES), std::end(PEER_NAMES),
                                            [&](const char* peer) { return name == peer; });
}
