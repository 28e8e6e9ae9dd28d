// One pair traced pass by pass: the worked example and the edge words, by hand.
#include "report/figures/trace.h"

#include <gtest/gtest.h>

#include <string>

#include "report/files/trace_file.h"
#include "report/options.h"
#include "report/text/trace_text.h"
#include "tests/report/key_table.h"

namespace {

constexpr std::uint32_t word(std::int32_t value) { return static_cast<std::uint32_t>(value); }

bool same(const TracedDivision& a, const TracedDivision& b) {
  return a.dividend == b.dividend && a.divisor == b.divisor && a.quotient == b.quotient &&
         a.remainder == b.remainder;
}

bool same(const TracedStrip& a, const TracedStrip& b) {
  return a.u == b.u && a.v == b.v && a.u_zeros == b.u_zeros && a.v_zeros == b.v_zeros &&
         a.odd_u == b.odd_u && a.odd_v == b.odd_v && a.k == b.k;
}

template <class Pass>
void expect_passes(const std::vector<Pass>& got, const std::vector<Pass>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_TRUE(same(got[i], want[i])) << "pass " << i + 1;
  }
}

// 48 = 2 * 18 + 12, 18 = 12 + 6, 12 = 2 * 6. Binary: 48 strips to 3 (4 zeros), 18 to 9 (1),
// k = 1; u = (9 - 3) >> 1 = 3, v = 3; then u equals v: 3 << 1 = 6.
TEST(TracePair, FollowsTheWorkedExamplePassByPass) {
  const Trace trace = trace_pair(48, 18);
  ASSERT_EQ(trace.kernels.size(), 4U);
  for (const std::size_t euclid : {0U, 1U}) {
    expect_passes(trace.kernels[euclid].divisions,
                  {{48, 18, 2, 12}, {18, 12, 1, 6}, {12, 6, 2, 0}});
    EXPECT_EQ(trace.kernels[euclid].result, 6U);
  }
  for (const std::size_t binary : {2U, 3U}) {
    expect_passes(trace.kernels[binary].strips, {{48, 18, 4, 1, 3, 9, 1}, {3, 3, 0, 0, 3, 3, 1}});
    EXPECT_EQ(trace.kernels[binary].exit, BinaryExit::u_equals_v);
    EXPECT_EQ(trace.kernels[binary].result, 6U);
  }
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

// The signed readings: remainders with the dividend's sign, quotients truncated; magnitudes
// for the binary loop; the words where the readings part.
TEST(TracePair, ReadsTheWordsAsEachKernelDoes) {
  const Trace negative = trace_pair(word(-12), 18);
  expect_passes(negative.kernels[1].divisions,
                {{-12, 18, 0, -12}, {18, -12, -1, 6}, {-12, 6, -2, 0}});
  EXPECT_EQ(negative.kernels[1].result, 6U);
  expect_passes(negative.kernels[3].strips, {{12, 18, 2, 1, 3, 9, 1}, {3, 3, 0, 0, 3, 3, 1}});

  // -2^31 and 6: Euclid's signed remainder -2, its last divisor -2 as its magnitude.
  const Trace smallest = trace_pair(0x80000000U, 6);
  expect_passes(smallest.kernels[0].divisions, {{2147483648, 6, 357913941, 2}, {6, 2, 3, 0}});
  expect_passes(smallest.kernels[1].divisions,
                {{-2147483648LL, 6, -357913941, -2}, {6, -2, -3, 0}});
  EXPECT_EQ(smallest.kernels[1].result, 2U);
  expect_passes(smallest.kernels[2].strips, {{2147483648U, 6, 31, 1, 1, 3, 1}});
  EXPECT_EQ(smallest.kernels[2].exit, BinaryExit::u_is_one);

  // 2^31 and 2^31: both strip to 1 with k = 31.
  const Trace power = trace_pair(0x80000000U, 0x80000000U);
  expect_passes(power.kernels[2].strips, {{0x80000000U, 0x80000000U, 31, 31, 1, 1, 31}});
  EXPECT_EQ(power.kernels[2].result, 0x80000000U);

  // (-1, 3): 3 unsigned, 1 signed, answered before the loop.
  const Trace parting = trace_pair(word(-1), 3);
  EXPECT_EQ(parting.kernels[0].result, 3U);
  EXPECT_EQ(parting.kernels[1].result, 1U);
  EXPECT_TRUE(parting.kernels[1].divisions.empty());
  EXPECT_TRUE(parting.kernels[1].before_loop.starts_with("a word is -1"));
  EXPECT_NE(
      format_trace(parting).find("  The readings part: unsigned 4294967295 and 3, signed -1 and "
                                 "3: other numbers,\n  so their greatest common divisors "
                                 "differ, 3 against 1.\n"),
      std::string::npos)
      << format_trace(parting);
}

// The pairs whose signed remainder step would overflow: traced as the kernel computes them,
// with one line saying how.
TEST(TracePair, SaysHowTheOverflowingPairsAreAnswered) {
  for (const auto& [first, second] :
       {std::pair{0x80000000U, word(-1)}, std::pair{word(-1), 0x80000000U}}) {
    const Trace trace = trace_pair(first, second);
    EXPECT_EQ(trace.kernels[1].result, 1U);
    EXPECT_TRUE(trace.kernels[1].divisions.empty());
    EXPECT_EQ(trace.kernels[3].result, 1U);
    EXPECT_NE(format_trace(trace).find("divide -2147483648 by -1, which overflows: gcd_euclid_s"),
              std::string::npos);
  }
  // Zeros: no pass, and why.
  const Trace zeros = trace_pair(0, 0);
  for (const KernelTrace& kernel : zeros.kernels) {
    EXPECT_EQ(kernel.result, 0U);
    EXPECT_FALSE(kernel.before_loop.empty()) << kernel.kernel;
  }
  expect_passes(trace_pair(0, 7).kernels[0].divisions, {{0, 7, 0, 0}});  // 0 mod 7 swaps them
}

TEST(ParseTraceWord, TakesDecimalAndHexadecimalWordsInEitherRange) {
  std::string error;
  EXPECT_EQ(parse_trace_word("48", error), 48U);
  EXPECT_EQ(parse_trace_word("+48", error), 48U);
  EXPECT_EQ(parse_trace_word("-1", error), 0xFFFFFFFFU);
  EXPECT_EQ(parse_trace_word("-2147483648", error), 0x80000000U);
  EXPECT_EQ(parse_trace_word("4294967295", error), 0xFFFFFFFFU);
  EXPECT_EQ(parse_trace_word("0x80000000", error), 0x80000000U);
  EXPECT_EQ(parse_trace_word("-0x10", error), word(-16));
  for (const char* bad : {"", "-", "0x", "12x", " 12", "1e3", "0x1g", "--1"}) {
    EXPECT_FALSE(parse_trace_word(bad, error)) << bad;
    EXPECT_NE(error.find("is no number"), std::string::npos) << error;
  }
  for (const char* far : {"4294967296", "-2147483649", "0x100000000", "99999999999999999999999"}) {
    EXPECT_FALSE(parse_trace_word(far, error)) << far;
    EXPECT_EQ(error, std::string(1, '\'').append(far).append(
                         "' is outside both 32-bit ranges, signed and unsigned (-2147483648 to "
                         "4294967295)"));
  }
}

TEST(TraceJson, KeepsEveryPass) {
  const Json json = trace_json(trace_pair(48, 18));
  EXPECT_EQ(*json.find("format")->get<std::string>(), "gcd-kit trace 1");
  EXPECT_EQ(*json.find("second")->find("word")->get<std::string>(), "0x00000012");
  const Json::Array& kernels = *json.find("kernels")->get<Json::Array>();
  ASSERT_EQ(kernels.size(), 4U);
  const Json& binary = kernels[2];
  EXPECT_EQ(*binary.find("exit")->get<std::string>(), "u equals v");
  const Json::Array& strips = *binary.find("strips")->get<Json::Array>();
  ASSERT_EQ(strips.size(), 2U);
  EXPECT_EQ(*strips[0].find("u_zeros")->get<double>(), 4);
  EXPECT_EQ(
      *kernels[0].find("divisions")->get<Json::Array>()->at(1).find("remainder")->get<double>(), 6);
}

// The guide's table of the trace file's keys against the file, on a pair that both divides
// and strips.
TEST(TraceJson, HasExactlyTheKeysTheGuideLists) {
  expect_keys_as_documented(trace_json(trace_pair(48, 18)),
                            key_table(GCD_KIT_JSON_GUIDE, "## The trace file"));
}

}  // namespace
