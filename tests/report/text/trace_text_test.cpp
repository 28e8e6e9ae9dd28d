// One pair traced, as text: the worked example's tables, where the readings part, and the
// pairs whose signed remainder step would overflow.
#include "report/text/trace_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::uint32_t word(std::int32_t value) { return static_cast<std::uint32_t>(value); }

TEST(FormatTrace, ShowsEachPassOfTheWorkedExample) {
  const Trace trace = trace_pair(48, 18);
  const std::string text = format_trace(trace);
  for (const char* part : {
           "gcd_euclid_u: Euclid's remainder steps on the unsigned words\n"
           "  pass     dividend      divisor    quotient    remainder\n"
           "     1           48           18           2           12\n"
           "     2           18           12           1            6\n"
           "     3           12            6           2            0\n"
           "  6, after 3 passes: the last divisor, once the remainder is 0.\n",
           "gcd_binary_u: the binary loop on the unsigned words\n"
           "  pass           u           v   zeros       odd u       odd v   k\n"
           "     1          48          18    4, 1           3           9   1\n"
           "       u = (9 - 3) >> 1 = 3, v = 3\n"
           "     2           3           3    0, 0           3           3   1\n"
           "       exit: u equals v\n"
           "  6 = 3 << 1, after 2 passes.\n",
           "  Both readings are the same numbers here, and all four kernels give 6.\n",
       }) {
    EXPECT_NE(text.find(part), std::string::npos) << "missing:\n" << part << "\nin:\n" << text;
  }
}

TEST(FormatTrace, SaysWhereTheReadingsPart) {
  const Trace parting = trace_pair(word(-1), 3);
  EXPECT_NE(
      format_trace(parting).find("  The readings part: unsigned 4294967295 and 3, signed -1 and "
                                 "3: other numbers,\n  so their greatest common divisors "
                                 "differ, 3 against 1.\n"),
      std::string::npos)
      << format_trace(parting);
}

TEST(FormatTrace, SaysHowTheOverflowingPairsAreAnswered) {
  for (const auto& [first, second] :
       {std::pair{0x80000000U, word(-1)}, std::pair{word(-1), 0x80000000U}}) {
    EXPECT_NE(format_trace(trace_pair(first, second))
                  .find("divide -2147483648 by -1, which overflows: gcd_euclid_s"),
              std::string::npos);
  }
}

}  // namespace
