// Tracing one pair through the kit kernels' own loops.
#include "report/figures/trace.h"

#include <cstdio>

#include "kernels/observed.h"
#include "report/run/kit.h"

namespace {

// Records what each pass of a loop does, as the loop tells it.
struct Recorder {
  KernelTrace* trace;
  template <class Word>
  void operator()(const EuclidStep<Word>& step) const {
    const std::int64_t a = step.dividend;
    const std::int64_t b = step.divisor;
    trace->divisions.push_back({a, b, a / b, a % b});
  }
  void operator()(const BinaryStep& step) const {
    trace->strips.push_back({step.u << step.u_zeros, step.v << step.v_zeros, step.u_zeros,
                             step.v_zeros, step.u, step.v, step.k});
  }
  void operator()(BinaryExit exit) const { trace->exit = exit; }
};

// Why a call made no pass, as its kernel decides it.
std::string before_the_loop(const KernelTrace& trace, std::uint32_t first, std::uint32_t second) {
  if (trace.kernel == "gcd_euclid_s" && (first == MINUS_ONE_WORD || second == MINUS_ONE_WORD)) {
    return "a word is -1, and gcd(x, -1) = 1 is answered before the loop: so the one division "
           "that overflows, -2147483648 by -1 (its quotient 2147483648 is no signed 32-bit "
           "number, and x86 traps on it), never runs";
  }
  if (trace.kernel.starts_with("gcd_euclid")) {
    return std::string("the second word is 0: the loop divides by no 0, and gcd(x, 0) is ") +
           (trace.is_signed ? "|x|" : "x");
  }
  return "a word is 0: the result is the other word's " +
         std::string(trace.is_signed ? "magnitude" : "value") + ", with no strip";
}

}  // namespace

const char* exit_name(BinaryExit exit) {
  switch (exit) {
    case BinaryExit::u_is_one: return "u is 1";
    case BinaryExit::v_is_one: return "v is 1";
    case BinaryExit::u_equals_v: return "u equals v";
  }
  return "";
}

std::string word_text(std::uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", word);
  return text;
}

std::size_t passes_of(const KernelTrace& trace) {
  return trace.divisions.size() + trace.strips.size();
}

Trace trace_pair(std::uint32_t first, std::uint32_t second) {
  Trace trace{first, second, {}};
  for (const char* kernel : KIT_KERNELS) {
    KernelTrace traced;
    traced.kernel = kernel;
    traced.is_signed = traced.kernel.ends_with("_s");
    const Recorder record{&traced};
    traced.result = observed_kernel(kernel, first, second, record);
    if (passes_of(traced) == 0) {
      traced.before_loop = before_the_loop(traced, first, second);
    }
    trace.kernels.push_back(std::move(traced));
  }
  return trace;
}
