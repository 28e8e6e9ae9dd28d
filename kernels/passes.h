// Passes per call of the four kernels, counted by the kernels' own loops (kernels/euclid.h
// and kernels/binary.h, which the kernels instantiate with an observer that does nothing).
// A pass of Euclid's algorithm is one remainder step, a pass of the binary algorithm one
// strip-and-test step; a call that returns before its loop makes 0 passes.
#pragma once

#include <cstdint>

#include "kernels/binary.h"
#include "kernels/euclid.h"

// The shape of a pass counter: a kernel's two words in, the number of its passes out.
using pass_counter = std::uint32_t (*)(std::uint32_t first, std::uint32_t second) noexcept;

namespace passes_detail {

// One count per pass of a loop; it asks for no exits.
struct Count {
  std::uint32_t* passes;
  template <class Word>
  constexpr void operator()(const EuclidStep<Word>& /*step*/) const noexcept {
    ++*passes;
  }
  constexpr void operator()(const BinaryStep& /*step*/) const noexcept { ++*passes; }
};

template <std::uint32_t (*algorithm)(std::uint32_t, std::uint32_t, Count) noexcept>
[[nodiscard]] constexpr std::uint32_t passes(std::uint32_t first, std::uint32_t second) noexcept {
  std::uint32_t count = 0;
  static_cast<void>(algorithm(first, second, Count{&count}));
  return count;
}

}  // namespace passes_detail

[[nodiscard]] constexpr std::uint32_t passes_euclid_u(std::uint32_t first,
                                                      std::uint32_t second) noexcept {
  return passes_detail::passes<euclid_u<passes_detail::Count>>(first, second);
}
[[nodiscard]] constexpr std::uint32_t passes_euclid_s(std::uint32_t first,
                                                      std::uint32_t second) noexcept {
  return passes_detail::passes<euclid_s<passes_detail::Count>>(first, second);
}
[[nodiscard]] constexpr std::uint32_t passes_binary_u(std::uint32_t first,
                                                      std::uint32_t second) noexcept {
  return passes_detail::passes<binary_u<passes_detail::Count>>(first, second);
}
[[nodiscard]] constexpr std::uint32_t passes_binary_s(std::uint32_t first,
                                                      std::uint32_t second) noexcept {
  return passes_detail::passes<binary_s<passes_detail::Count>>(first, second);
}
