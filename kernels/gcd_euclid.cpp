// Euclid's remainder algorithm, unsigned and signed.
#include "kernels/euclid.h"
#include "kernels/gcd.h"
#include "kernels/no_pass.h"

std::uint32_t gcd_euclid_u(std::uint32_t first, std::uint32_t second) noexcept {
  return euclid_u(first, second, no_pass);
}

std::uint32_t gcd_euclid_s(std::uint32_t first, std::uint32_t second) noexcept {
  return euclid_s(first, second, no_pass);
}
