// Showing one pair traced through the kit kernels' loops.
#include "report/text/trace_text.h"

#include <algorithm>

#include "kernels/magnitude.h"
#include "report/words/layout.h"

namespace {

std::string number(std::int64_t value) { return std::to_string(value); }

// "u = (9 - 3) >> 1 = 3, v = 3": the next pass's words, from this pass's odd ones.
std::string next_words(const TracedStrip& now, const TracedStrip& next) {
  const std::uint32_t high = std::max(now.odd_u, now.odd_v);
  const std::uint32_t low = std::min(now.odd_u, now.odd_v);
  return "u = (" + number(high) + " - " + number(low) + ") >> 1 = " + number(next.u) +
         ", v = " + number(next.v);
}

void euclid_text(std::string& out, const KernelTrace& trace) {
  append(out, "  %4s %12s %12s %11s %12s\n", "pass", "dividend", "divisor", "quotient",
         "remainder");
  for (std::size_t i = 0; i < trace.divisions.size(); ++i) {
    const TracedDivision& d = trace.divisions[i];
    append(out, "  %4zu %12s %12s %11s %12s\n", i + 1, number(d.dividend).c_str(),
           number(d.divisor).c_str(), number(d.quotient).c_str(), number(d.remainder).c_str());
  }
}

void binary_text(std::string& out, const KernelTrace& trace) {
  append(out, "  %4s %11s %11s %7s %11s %11s %3s\n", "pass", "u", "v", "zeros", "odd u", "odd v",
         "k");
  for (std::size_t i = 0; i < trace.strips.size(); ++i) {
    const TracedStrip& s = trace.strips[i];
    const std::string zeros = number(s.u_zeros) + ", " + number(s.v_zeros);
    append(out, "  %4zu %11u %11u %7s %11u %11u %3u\n", i + 1, s.u, s.v, zeros.c_str(), s.odd_u,
           s.odd_v, s.k);
    if (i + 1 < trace.strips.size()) {
      out += "       " + next_words(s, trace.strips[i + 1]) + "\n";
    } else if (trace.exit) {
      out += std::string("       exit: ") + exit_name(*trace.exit) + "\n";
    }
  }
}

std::string passes_text(std::size_t passes) {
  return passes == 1 ? "1 pass" : std::to_string(passes) + " passes";
}

// The last line of a kernel's trace: its result, and how the loop made it.
std::string result_line(const KernelTrace& trace) {
  const std::string result = number(trace.result);
  if (!trace.before_loop.empty()) {
    return result + ", with no pass: " + trace.before_loop + ".";
  }
  if (!trace.divisions.empty()) {
    const std::int64_t last = trace.divisions.back().divisor;
    return result + ", after " + passes_text(passes_of(trace)) + ": the last divisor" +
           (trace.is_signed && last < 0 ? ", " + number(last) + ", as its magnitude" : "") +
           ", once the remainder is 0.";
  }
  const TracedStrip& last = trace.strips.back();
  const std::uint32_t odd = trace.exit == BinaryExit::v_is_one ? last.odd_v : last.odd_u;
  return result + " = " + number(odd) + " << " + number(last.k) + ", after " +
         passes_text(passes_of(trace)) + ".";
}

const char* heading_of(const KernelTrace& trace) {
  if (trace.kernel == "gcd_euclid_u") return "Euclid's remainder steps on the unsigned words";
  if (trace.kernel == "gcd_euclid_s") return "Euclid's remainder steps on the signed words";
  if (trace.kernel == "gcd_binary_u") return "the binary loop on the unsigned words";
  return "the binary loop on the magnitudes of the signed words";
}

}  // namespace

std::string format_trace(const Trace& trace) {
  const std::uint32_t a = trace.first;
  const std::uint32_t b = trace.second;
  std::string out =
      "One pair, pass by pass: the words " + word_text(a) + " and " + word_text(b) + "\n";
  wrap(out, "Read as unsigned they are " + number(a) + " and " + number(b) + "; read as signed, " +
                number(as_signed(a)) + " and " + number(as_signed(b)) + ".");
  if ((a == INT_MIN_WORD && b == MINUS_ONE_WORD) || (a == MINUS_ONE_WORD && b == INT_MIN_WORD)) {
    wrap(out,
         "Signed, this is one of the two pairs on which Euclid's remainder step would "
         "divide -2147483648 by -1, which overflows: gcd_euclid_s answers it before its loop.");
  }
  out += '\n';
  for (const KernelTrace& kernel : trace.kernels) {
    out += kernel.kernel + ": " + heading_of(kernel) + "\n";
    if (kernel.kernel == "gcd_binary_s") {
      out += "  their magnitudes: " + number(magnitude(a)) + " and " + number(magnitude(b)) + "\n";
    }
    if (!kernel.divisions.empty()) {
      euclid_text(out, kernel);
    } else if (!kernel.strips.empty()) {
      binary_text(out, kernel);
    }
    wrap(out, result_line(kernel));
    out += '\n';
  }
  out += "Results\n";
  for (const KernelTrace& kernel : trace.kernels) {
    append(out, "  %-14s %11u  (%s)\n", kernel.kernel.c_str(), kernel.result,
           passes_text(passes_of(kernel)).c_str());
  }
  const std::uint32_t unsigned_gcd = trace.kernels[0].result;
  const std::uint32_t signed_gcd = trace.kernels[1].result;
  if ((a | b) < INT_MIN_WORD) {
    wrap(out, "Both readings are the same numbers here, and all four kernels give " +
                  number(unsigned_gcd) + ".");
  } else {
    wrap(out, "The readings part: unsigned " + number(a) + " and " + number(b) + ", signed " +
                  number(as_signed(a)) + " and " + number(as_signed(b)) +
                  (unsigned_gcd == signed_gcd
                       ? ": other numbers, with the same greatest common divisor, " +
                             number(unsigned_gcd) + "."
                       : ": other numbers, so their greatest common divisors differ, " +
                             number(unsigned_gcd) + " against " + number(signed_gcd) + "."));
  }
  return out;
}
