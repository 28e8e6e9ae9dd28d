// The millisecond tick counter that the benchmarks read.
#pragma once

#include <cstdint>

// Milliseconds of a counter that never goes backwards, reduced to its low 32 bits (so it
// wraps at 2^32, like a Windows tick count).
[[nodiscard]] std::uint32_t tick_count_ms() noexcept;

// Milliseconds from start to end. Modulo 2^32, so a counter that wrapped in between still
// gives the true duration.
[[nodiscard]] constexpr std::uint32_t elapsed_ms(std::uint32_t start, std::uint32_t end) noexcept {
  return end - start;
}
