// One of the four kit kernels by its name, its own loop run with an observer of its passes
// (kernels/steps.h): for the tools that look into the loops (the study's counts, the report's
// trace), never for the timed kernels.
#pragma once

#include <cstdint>
#include <string_view>

#include "kernels/binary.h"
#include "kernels/euclid.h"

// The result of the named kernel ("gcd_euclid_u", "gcd_euclid_s", "gcd_binary_u" or
// "gcd_binary_s", the last for any other name) on the words, its passes shown to the observer.
template <class Observer>
[[nodiscard]] constexpr std::uint32_t observed_kernel(std::string_view name, std::uint32_t first,
                                                      std::uint32_t second, Observer observer) {
  if (name == "gcd_euclid_u") {
    return euclid_u(first, second, observer);
  }
  if (name == "gcd_euclid_s") {
    return euclid_s(first, second, observer);
  }
  if (name == "gcd_binary_u") {
    return binary_u(first, second, observer);
  }
  return binary_s(first, second, observer);
}
