// Stand-ins for the four kernels, linked with a program's own entry file in place of the
// kernels library: each tells on standard error its first call and its ten millionth, with
// their arguments, and a call beyond that, so that a test sees which kernels a program binds,
// in which order, on which pairs and how often. No line ends, as the programs print none.
#include <cstdint>
#include <cstdio>

#include "kernels/gcd.h"
#include "kernels/rng.h"

namespace {

std::uint32_t record(const char* kernel, std::uint32_t& calls, std::uint32_t first,
                     std::uint32_t second) noexcept {
  ++calls;
  if (calls == 1 || calls == ITERATION_COUNT) {
    std::fprintf(stderr, "%s call %u: %u %u | ", kernel, calls, first, second);
  } else if (calls == ITERATION_COUNT + 1) {
    std::fprintf(stderr, "%s: more than %u calls | ", kernel, ITERATION_COUNT);
  }
  return first;  // the same word from every kernel: the cross-checks count no error
}

std::uint32_t euclid_u_calls = 0;
std::uint32_t euclid_s_calls = 0;
std::uint32_t binary_u_calls = 0;
std::uint32_t binary_s_calls = 0;

}  // namespace

std::uint32_t gcd_euclid_u(std::uint32_t first, std::uint32_t second) noexcept {
  return record("gcd_euclid_u", euclid_u_calls, first, second);
}
std::uint32_t gcd_euclid_s(std::uint32_t first, std::uint32_t second) noexcept {
  return record("gcd_euclid_s", euclid_s_calls, first, second);
}
std::uint32_t gcd_binary_u(std::uint32_t first, std::uint32_t second) noexcept {
  return record("gcd_binary_u", binary_u_calls, first, second);
}
std::uint32_t gcd_binary_s(std::uint32_t first, std::uint32_t second) noexcept {
  return record("gcd_binary_s", binary_s_calls, first, second);
}
