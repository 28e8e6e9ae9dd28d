// A cross-check whose two kernels agree only if each reference call follows a call of the
// kernel under test with the same arguments, and both get the poisoned pairs wrong alike.
#include <cstdint>

#include "check/cross_check.h"
#include "tests/check/faulty_kernels.h"

namespace {

std::uint32_t awaited_first = 0;
std::uint32_t awaited_second = 0;
bool awaiting_reference = false;

std::uint32_t poisoned_gcd(std::uint32_t first, std::uint32_t second) noexcept {
  const std::uint32_t right = gcd_euclid_u(first, second);
  return is_poisoned(first, second) ? right + 1 : right;
}

std::uint32_t under_test(std::uint32_t first, std::uint32_t second) noexcept {
  awaited_first = first;
  awaited_second = second;
  awaiting_reference = true;
  return poisoned_gcd(first, second);
}

std::uint32_t reference(std::uint32_t first, std::uint32_t second) noexcept {
  const bool in_step = awaiting_reference && first == awaited_first && second == awaited_second;
  awaiting_reference = false;
  return in_step ? poisoned_gcd(first, second) : ~poisoned_gcd(first, second);
}

}  // namespace

int main() { run_cross_check(under_test, reference); }
