// The GCD computed otherwise than by the kit's kernels, to check them against: std::gcd on
// 64-bit magnitudes, where no word (not even -2^31) can overflow.
#pragma once

#include <cstdint>
#include <numeric>

[[nodiscard]] inline std::uint32_t reference_gcd_u(std::uint32_t first, std::uint32_t second) {
  return static_cast<std::uint32_t>(std::gcd(std::uint64_t{first}, std::uint64_t{second}));
}

// Both words read as signed; the result is the magnitude of the GCD as a 32-bit word.
[[nodiscard]] inline std::uint32_t reference_gcd_s(std::uint32_t first, std::uint32_t second) {
  const auto magnitude = [](std::uint32_t word) {
    const std::int64_t value = static_cast<std::int32_t>(word);
    return static_cast<std::uint64_t>(value < 0 ? -value : value);
  };
  return static_cast<std::uint32_t>(std::gcd(magnitude(first), magnitude(second)));
}
