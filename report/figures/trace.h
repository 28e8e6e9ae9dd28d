// One pair of words traced pass by pass through the four kit kernels' own loops (their pass
// observer: no second copy of a loop), for people learning the two algorithms: Euclid's
// divisions, the binary loop's strips and exits, and where the two readings of the words part.
// The text and the JSON file show it (text/trace_text.h, files/trace_file.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kernels/steps.h"

// A pass of Euclid's loop, in the reading of its kernel (signed words as negative numbers).
struct TracedDivision {
  std::int64_t dividend;
  std::int64_t divisor;
  std::int64_t quotient;  // truncated toward zero
  std::int64_t remainder;
};

// A pass of the binary loop: u and v before the strip, the zeros stripped from each, the odd
// words after it, and k.
struct TracedStrip {
  std::uint32_t u;
  std::uint32_t v;
  std::uint32_t u_zeros;
  std::uint32_t v_zeros;
  std::uint32_t odd_u;
  std::uint32_t odd_v;
  std::uint32_t k;
};

struct KernelTrace {
  std::string kernel;
  bool is_signed = false;
  std::vector<TracedDivision> divisions;  // Euclid
  std::vector<TracedStrip> strips;        // binary
  std::optional<BinaryExit> exit;         // binary, where its loop ran
  std::uint32_t result = 0;
  std::string before_loop;  // why the call made no pass, where it made none
};

struct Trace {
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  std::vector<KernelTrace> kernels;  // gcd_euclid_u, gcd_euclid_s, gcd_binary_u, gcd_binary_s
};

// The pair through the four kit kernels, each as it reads the words.
[[nodiscard]] Trace trace_pair(std::uint32_t first, std::uint32_t second);

// The two words whose signed reading makes Euclid's one overflowing division, -2147483648 by -1.
inline constexpr std::uint32_t MINUS_ONE_WORD = 0xFFFFFFFFU;
inline constexpr std::uint32_t INT_MIN_WORD = 0x80000000U;

// The word read as signed.
[[nodiscard]] inline std::int64_t as_signed(std::uint32_t word) {
  return static_cast<std::int32_t>(word);
}

// The word as eight hexadecimal digits: "0x00000030".
[[nodiscard]] std::string word_text(std::uint32_t word);

// The passes a kernel's call made.
[[nodiscard]] std::size_t passes_of(const KernelTrace& trace);

// The exit in words: "u is 1", "v is 1", "u equals v".
[[nodiscard]] const char* exit_name(BinaryExit exit);
