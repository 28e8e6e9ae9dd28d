// One pair of words traced pass by pass through the four kit kernels' own loops (their pass
// observer: no second copy of a loop), for people learning the two algorithms: Euclid's
// divisions, the binary loop's strips and exits, and where the two readings of the words part.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kernels/steps.h"
#include "report/json.h"

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

// A word from the command line: decimal with an optional sign, or hexadecimal after 0x (a sign
// before it too), from -2147483648 to 4294967295, read as the two's complement word; nullopt
// with the reason in error.
[[nodiscard]] std::optional<std::uint32_t> parse_trace_word(std::string_view text,
                                                            std::string& error);

// The pair through the four kit kernels, each as it reads the words.
[[nodiscard]] Trace trace_pair(std::uint32_t first, std::uint32_t second);

// The trace for a terminal of 80 columns.
[[nodiscard]] std::string format_trace(const Trace& trace);

// The trace as JSON ("format": "gcd-kit trace 1").
[[nodiscard]] Json trace_json(const Trace& trace);
