// The magnitude of a word read as signed; internal to the kernels.
#pragma once

#include <cstdint>

// Two's complement with wrap-around (-2^31 gives the word 2^31), formed from the sign mask:
// random signs would mispredict a branch half the time.
[[nodiscard]] constexpr std::uint32_t magnitude(std::uint32_t word) noexcept {
  const std::uint32_t sign_mask = 0U - (word >> 31);
  return (word ^ sign_mask) - sign_mask;
}
