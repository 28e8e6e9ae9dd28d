// The binary (shift-and-subtract) GCD, unsigned and signed.
#include "kernels/binary.h"
#include "kernels/gcd.h"
#include "kernels/no_pass.h"

std::uint32_t gcd_binary_u(std::uint32_t first, std::uint32_t second) noexcept {
  return binary_u(first, second, no_pass);
}

std::uint32_t gcd_binary_s(std::uint32_t first, std::uint32_t second) noexcept {
  return binary_s(first, second, no_pass);
}
