// How the passes spread, as text: the figures of sample_results() give every line by hand.
#include "report/text/spread_text.h"

#include <gtest/gtest.h>

#include "tests/report/sample_results.h"

namespace {

void expect_whole(const std::string& text, std::initializer_list<const char*> parts) {
  for (const char* part : parts) {
    EXPECT_NE(text.find(part), std::string::npos) << "missing:\n" << part << "\nin:\n" << text;
  }
}

// gcd_euclid_u: 18 and 20 passes, half each: a mean of 19, a deviation of sqrt(100 / 99).
// Its quotients on the law; gcd_binary_u's zeros 6000 of 11000 with 1 (54.55%, four standard
// errors 1.9%) and 2500 with 2 (22.73%, 1.65%), the rest within the sample.
TEST(SpreadSection, SetsEachDistributionAgainstItsLaw) {
  std::string out;
  spread_section(out, sample_results().study);
  expect_whole(
      out,
      {
          "How do the passes spread? (the programs' first 100 pairs, against the laws)\n",
          "  gcd_euclid_u    19.00  1.01  18  20   0.0%   0.0% 100.0%   0.0%   0.0%   0.0%\n"
          "  gcd_binary_u    20.00  0.00  20  20   0.0%   0.0% 100.0%   0.0%   0.0%   0.0%\n",
          "a mean of 18.69 (12\n  ln 2 / pi^2 ln N; Heilbronn 1969, Dixon 1970) and a standard "
          "deviation of 3.38\n",
          "  quotient            1      2      3      4      5      6      7     8+\n"
          "  gcd_euclid_u    41.5%  17.0%   9.3%   5.9%   4.1%   3.0%   2.3%  16.9%\n"
          "  Gauss-Kuzmin    41.5%  17.0%   9.3%   5.9%   4.1%   3.0%   2.3%  17.0%\n",
          "  zeros               1      2      3      4      5     6+\n"
          "  gcd_binary_u    54.5%  22.7%  11.4%   5.7%   2.8%   2.8%\n"
          "  geometric       50.0%  25.0%  12.5%   6.2%   3.1%   3.1%\n"
          "  Finding: the zeros part from the geometric law by more than the sample can\n"
          "  explain: gcd_binary_u: 1 54.55% against 50.00%, 2 22.73% against 25.00%. The\n",
          "  gcd_binary_u      80.0%     0.0%       20.0%     0.0%\n",
      });
  EXPECT_EQ(out.find("the quotients part from Gauss-Kuzmin"), std::string::npos) << out;
}

}  // namespace
