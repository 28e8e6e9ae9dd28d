// What the kernels' loops tell an observer of their passes: the observer is called with one of
// these once per pass (and, in the binary loop, once at its exit, if it asks for it). The timed kernels pass one
// that does nothing (kernels/no_pass.h), which compiles away; the pass counts, the report's
// study of the divider and its trace of one pair observe the same loops.
#pragma once

#include <cstdint>

// A pass of Euclid's loop, before its division: the word divided and the word it is divided
// by, std::uint32_t in the unsigned kernel and std::int32_t in the signed one.
template <class Word>
struct EuclidStep {
  Word dividend;
  Word divisor;
};

// A pass of the binary loop, after its strip: u and v, both odd now, the trailing zeros
// stripped from each (so u << u_zeros and v << v_zeros were the words before it), and k, the
// common power of two so far.
struct BinaryStep {
  std::uint32_t u;
  std::uint32_t v;
  std::uint32_t u_zeros;
  std::uint32_t v_zeros;
  std::uint32_t k;
};

// The exit the binary loop takes, after the strip of its last pass; only an observer that can
// be called with it is told (kernels/binary.h).
enum class BinaryExit { u_is_one, v_is_one, u_equals_v };
