// A cross-check whose kernel under test is wrong exactly on the poisoned pairs.
#include "check/cross_check.h"
#include "tests/check/faulty_kernels.h"

namespace {

std::uint32_t faulty_gcd(std::uint32_t first, std::uint32_t second) noexcept {
  const std::uint32_t right = gcd_euclid_u(first, second);
  return is_poisoned(first, second) ? right ^ 0x80000000U : right;
}

}  // namespace

int main() { run_cross_check(faulty_gcd, gcd_euclid_u); }
