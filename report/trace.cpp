// Tracing one pair through the kit kernels' own loops, and showing it.
#include "report/trace.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "kernels/binary.h"
#include "kernels/euclid.h"
#include "kernels/magnitude.h"
#include "report/layout.h"
#include "report/safe_text.h"

namespace {

constexpr std::uint32_t MINUS_ONE = 0xFFFFFFFFU;
constexpr std::uint32_t INT_MIN_WORD = 0x80000000U;

std::int64_t as_signed(std::uint32_t word) { return static_cast<std::int32_t>(word); }

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
  if (trace.kernel == "gcd_euclid_s" && (first == MINUS_ONE || second == MINUS_ONE)) {
    return "a word is -1, and gcd(x, -1) = 1 is answered before the loop: so the one division "
           "that overflows, -2147483648 by -1 (its quotient 2147483648 is no signed 32-bit "
           "number, and x86 traps on it), never runs";
  }
  if (trace.kernel.starts_with("gcd_euclid")) {
    return "the second word is 0: the loop divides by no 0, and gcd(x, 0) is x";
  }
  return "a word is 0: the result is the other word's " +
         std::string(trace.is_signed ? "magnitude" : "value") + ", with no strip";
}

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

std::size_t passes_of(const KernelTrace& trace) {
  return trace.divisions.size() + trace.strips.size();
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

std::optional<std::uint32_t> parse_trace_word(std::string_view text, std::string& error) {
  std::string shown(1, '\'');
  shown.append(safe_text(text, 40)).append(1, '\'');
  std::string_view digits = text;
  const bool negative = digits.starts_with('-');
  if (negative || digits.starts_with('+')) {
    digits.remove_prefix(1);
  }
  const bool hexadecimal = digits.starts_with("0x") || digits.starts_with("0X");
  if (hexadecimal) {
    digits.remove_prefix(2);
  }
  std::uint64_t magnitude = 0;
  const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(),
                                              magnitude, hexadecimal ? 16 : 10);
  if (digits.empty() || end != digits.data() + digits.size() ||
      (failure != std::errc{} && failure != std::errc::result_out_of_range)) {
    error = shown +
            " is no number: give a decimal one, with an optional sign, or a hexadecimal one "
            "after 0x";
    return std::nullopt;
  }
  if (failure == std::errc::result_out_of_range || (negative && magnitude > INT_MIN_WORD) ||
      (!negative && magnitude > MINUS_ONE)) {
    error =
        shown + " is outside both 32-bit ranges, signed and unsigned (-2147483648 to 4294967295)";
    return std::nullopt;
  }
  const auto word = static_cast<std::uint32_t>(magnitude);
  return negative ? 0U - word : word;
}

Trace trace_pair(std::uint32_t first, std::uint32_t second) {
  Trace trace{first, second, {}};
  for (const char* kernel : {"gcd_euclid_u", "gcd_euclid_s", "gcd_binary_u", "gcd_binary_s"}) {
    KernelTrace traced;
    traced.kernel = kernel;
    traced.is_signed = traced.kernel.ends_with("_s");
    const Recorder record{&traced};
    if (traced.kernel == "gcd_euclid_u") {
      traced.result = euclid_u(first, second, record);
    } else if (traced.kernel == "gcd_euclid_s") {
      traced.result = euclid_s(first, second, record);
    } else if (traced.kernel == "gcd_binary_u") {
      traced.result = binary_u(first, second, record);
    } else {
      traced.result = binary_s(first, second, record);
    }
    if (passes_of(traced) == 0) {
      traced.before_loop = before_the_loop(traced, first, second);
    }
    trace.kernels.push_back(std::move(traced));
  }
  return trace;
}

std::string format_trace(const Trace& trace) {
  const std::uint32_t a = trace.first;
  const std::uint32_t b = trace.second;
  std::string out =
      "One pair, pass by pass: the words " + word_text(a) + " and " + word_text(b) + "\n";
  wrap(out, "Read as unsigned they are " + number(a) + " and " + number(b) + "; read as signed, " +
                number(as_signed(a)) + " and " + number(as_signed(b)) + ".");
  if ((a == INT_MIN_WORD && b == MINUS_ONE) || (a == MINUS_ONE && b == INT_MIN_WORD)) {
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

Json trace_json(const Trace& trace) {
  const auto word = [](std::uint32_t value) {
    return Json::Object{
        {"word", word_text(value)}, {"unsigned", value}, {"signed", as_signed(value)}};
  };
  Json::Array kernels;
  for (const KernelTrace& kernel : trace.kernels) {
    Json::Array divisions;
    for (const TracedDivision& d : kernel.divisions) {
      divisions.emplace_back(Json::Object{{"dividend", d.dividend},
                                          {"divisor", d.divisor},
                                          {"quotient", d.quotient},
                                          {"remainder", d.remainder}});
    }
    Json::Array strips;
    for (const TracedStrip& s : kernel.strips) {
      strips.emplace_back(Json::Object{{"u", s.u},
                                       {"v", s.v},
                                       {"u_zeros", s.u_zeros},
                                       {"v_zeros", s.v_zeros},
                                       {"odd_u", s.odd_u},
                                       {"odd_v", s.odd_v},
                                       {"k", s.k}});
    }
    kernels.emplace_back(Json::Object{
        {"kernel", kernel.kernel},
        {"reading", kernel.is_signed ? "signed" : "unsigned"},
        {"result", kernel.result},
        {"passes", passes_of(kernel)},
        {"divisions", std::move(divisions)},
        {"strips", std::move(strips)},
        {"exit", kernel.exit ? Json(exit_name(*kernel.exit)) : Json(nullptr)},
        {"before_loop", kernel.before_loop.empty() ? Json(nullptr) : Json(kernel.before_loop)}});
  }
  return Json::Object{{"format", "gcd-kit trace 1"},
                      {"first", word(trace.first)},
                      {"second", word(trace.second)},
                      {"kernels", std::move(kernels)}};
}
