// The four GCD kernels of the kit and the shape that every driver calls them through.
#pragma once

#include <cstdint>

// Two 32-bit words in, one out. The signed kernels read their words as std::int32_t
// and return the magnitude of the GCD, so a result of 2^31 is the word 0x80000000.
using gcd_kernel = std::uint32_t (*)(std::uint32_t first, std::uint32_t second) noexcept;

[[nodiscard]] std::uint32_t gcd_euclid_u(std::uint32_t first, std::uint32_t second) noexcept;
[[nodiscard]] std::uint32_t gcd_euclid_s(std::uint32_t first, std::uint32_t second) noexcept;
[[nodiscard]] std::uint32_t gcd_binary_u(std::uint32_t first, std::uint32_t second) noexcept;
[[nodiscard]] std::uint32_t gcd_binary_s(std::uint32_t first, std::uint32_t second) noexcept;
