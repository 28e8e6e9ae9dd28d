// The report's text: its verdicts, its warnings, the crossover and the width of its lines.
#include "report/text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/report/sample_results.h"

namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every sentence that compares two figures, whole: the figures of sample_results() give
// each by hand (binary_u 400 ms against euclid_u 800: 2.00 times as fast; signed 780 against
// 300: 2.60; a pass of gcd_binary_u 40 / 20.7 = 1.93 ns against 80 / 19 = 4.21 ns: 0.46).
// The intervals lie within the ratios of the extreme runs (790 / 405 to 810 / 395).
TEST(FormatReport, AnswersEachQuestionInWholeSentences) {
  const std::string text = format_report(sample_results());
  for (const char* sentence : {
           "  processor  Test CPU\n  compiler   g++ 12, Release build\n",
           "  check_s  gcd_binary_s against gcd_euclid_s on 10000000 pairs: 0 errors\n",
           "Which is faster here? (the benchmark programs, msec for 10000000 calls)\n",
           "  bench_binary_u     5   400.0    395    405    40.0  0.500 (0.494-0.509)\n",
           "  bench_binary_s     5   300.0    295    305    30.0  0.375 (0.369-0.382)\n",
           "  Unsigned: binary is 2.00 times as fast as Euclid (1.97-2.04).\n"
           "  Signed:   binary is 2.60 times as fast as Euclid (2.56-2.65).\n",
           "  gcd_binary_u      40.0      20.700    1.93  0.500 (0.481-0.519)\n",
           "  gcd_binary_s      45.0      20.000    2.25  0.562 (0.543-0.582)\n",
           "  fast_binary_u     30.0           -       -  0.375 (0.358-0.392)\n",
           "  ns are medians of 3 repetitions, net of the programs' loop itself (two\n"
           "  draws and the call of an empty kernel: 2.1 ns per call).\n",
           "  gcd_binary_u makes 1.09 times as many passes as gcd_euclid_u, at 0.46 of\n"
           "  the cost of a pass (1.93 ns against 4.21 ns).\n",
           "  gcd_binary_s makes 1.09 times as many passes as gcd_euclid_s, at 0.53 of\n"
           "  the cost of a pass (2.25 ns against 4.24 ns).\n",
           "  mpn_gcd_1_u left out: GMP was not found at build time (Debian libgmp-dev).\n",
           "  gcd_binary_u is the faster of the unsigned kernels from 7 bits on;\n"
           "  gcd_binary_s the faster of the signed ones at every size.\n",
           "  gcd_euclid_u      0.5850  0.5842       +0.1%\n",
       }) {
    EXPECT_TRUE(contains(text, sentence)) << "missing:\n" << sentence << "\nin:\n" << text;
  }
  EXPECT_FALSE(contains(text, "Noisy")) << text;
  EXPECT_FALSE(contains(text, "Finding")) << text;
}

TEST(FormatReport, FitsAnEightyColumnTerminal) {
  std::istringstream lines(format_report(sample_results()));
  std::string line;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 80U) << line;
  }
}

TEST(FormatReport, NamesAProgramWhoseRunsSpreadMoreThanATenth) {
  Results results = sample_results();
  results.benchmarks[1].runs_ms = {780, 790, 870, 785, 775};  // (870 - 775) / 785 > 0.1
  results.benchmarks[2].runs_ms = {400, 430, 395, 402, 398};  // (430 - 395) / 400 < 0.1
  const std::string text = format_report(results);
  EXPECT_TRUE(
      contains(text,
               "  Noisy: the runs of bench_euclid_s spread by 12.1% of their median, more than\n"
               "  10%: the machine was busy. Run it again with more runs (--runs 15).\n"))
      << text;
  EXPECT_FALSE(contains(text, "the runs of bench_binary_u")) << text;
  EXPECT_TRUE(contains(text, "  bench_euclid_s     5   785.0")) << "still printed:\n" << text;
}

TEST(FormatReport, SaysSoWhenAKernelLandsFarFromItsConstant) {
  Results results = sample_results();
  results.study.passes_per_bit[1].measured = 0.80;
  const std::string text = format_report(results);
  EXPECT_TRUE(
      contains(text,
               "  Finding: gcd_binary_u lands 13.3% from its constant: its loop does not make the\n"
               "  passes of the textbook algorithm, or the sweep is too small to tell.\n"))
      << text;
}

TEST(Crossover, IsTheSizeFromWhichOnBinaryStaysFaster) {
  const Study study = sample_results().study;
  EXPECT_EQ(crossover(study, "gcd_euclid_u", "gcd_binary_u"), "from 7 bits on");
  EXPECT_EQ(crossover(study, "gcd_euclid_s", "gcd_binary_s"), "at every size");
  EXPECT_EQ(crossover(study, "gcd_binary_s", "gcd_euclid_s"), "at no size");
  // A size where binary is slower again moves the crossover past it.
  Study later = study;
  for (SweepFigures& point : later.sweep) {
    if (point.kernel == "gcd_binary_s" && point.bits == 20) {
      point.ns_per_call = {100, 100, 100};
    }
  }
  EXPECT_EQ(crossover(later, "gcd_euclid_s", "gcd_binary_s"), "from 21 bits on");
}

TEST(FormatFiles, SaysWhereTheProgramsAndFilesAre) {
  const std::string text = format_files({{"bench_euclid_u", "/b/bench/bench_euclid_u"},
                                         {"bench_binary_u", "/b/bench/bench_binary_u"},
                                         {"check_u", "/b/check/check_u"}},
                                        "/b/report.json", "/b/report.svg");
  EXPECT_EQ(text,
            "Where things are\n"
            "  programs  /b/bench\n"
            "            /b/check\n"
            "  JSON      /b/report.json\n"
            "  SVG       /b/report.svg\n");
}

}  // namespace
