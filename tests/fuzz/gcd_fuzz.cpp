// libFuzzer target: two words from the fuzzer's bytes; every kernel must give the GCD of
// their magnitudes, computed another way, as a 32-bit word.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kernels/gcd.h"
#include "tests/reference_gcd.h"

namespace {

void expect(const char* kernel, std::uint32_t first, std::uint32_t second, std::uint32_t got,
            std::uint32_t want) {
  if (got != want) {
    std::fprintf(stderr, "%s(%u, %u) gave %u, expected %u\n", kernel, first, second, got, want);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) {
    return 0;
  }
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  std::memcpy(&first, data, 4);
  std::memcpy(&second, data + 4, 4);

  const std::uint32_t unsigned_gcd = reference_gcd_u(first, second);
  const std::uint32_t signed_gcd = reference_gcd_s(first, second);
  expect("gcd_euclid_u", first, second, gcd_euclid_u(first, second), unsigned_gcd);
  expect("gcd_binary_u", first, second, gcd_binary_u(first, second), unsigned_gcd);
  expect("gcd_euclid_s", first, second, gcd_euclid_s(first, second), signed_gcd);
  expect("gcd_binary_s", first, second, gcd_binary_s(first, second), signed_gcd);
  return 0;
}
