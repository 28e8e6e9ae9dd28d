// What bounds a pass, as text: the figures of sample_results() give every sentence by hand.
#include "report/text/bound_text.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/report/sample_results.h"

namespace {

std::string section(const Results& results) {
  std::string out;
  bound_section(out, results);
  return out;
}

void expect_whole(const std::string& text, std::initializer_list<const char*> parts) {
  for (const char* part : parts) {
    EXPECT_NE(text.find(part), std::string::npos) << "missing:\n" << part << "\nin:\n" << text;
  }
}

// The latencies in two columns, one not used; the divider by quotient beside Gauss-Kuzmin
// (150000 of 379312 passes: 39.5%; of the 369312 with a quotient of 1 or more, 40.6%; log2(4/3)
// = 41.5%, log2(1.2) = 26.3%, log2(9/8) = 17.0%).
TEST(BoundSection, ShowsTheLatenciesAndTheDividerByQuotient) {
  expect_whole(section(sample_results()),
               {
                   "  Latencies timed here, in cycles of the clock at 3.00 GHz (2.99 before, "
                   "3.01\n",
                   "  div r32, quotient 1             10.0  shr r32 (by 1)                     -\n"
                   "  cmp and cmovbe                   3.0  mov r32, r32                     0.2\n",
                   "  Not used: shr r32 (by 1) (0.50), below 0.8 cycles, is no latency of an\n",
                   "  0               2.6%    10.1      2.7%    10.0  -\n"
                   "  1              39.5%    10.0     40.8%    10.0  41.5%\n"
                   "  2 to 3         26.4%    10.0     27.2%    10.0  26.3%\n"
                   "  4 to 7         15.8%    12.0     16.3%    10.0  15.2%\n"
                   "  8 or more      15.6%    14.0     15.9%    10.0  17.0%\n"
                   "  all                     10.5              10.0\n"
                   "  none waiting             6.0               6.1\n",
                   "are short ones: 40.6% of the others\n  have a quotient of 1 here, 41.5% by "
                   "the law.\n",
                   "  The divider of gcd_euclid_u takes longer on larger quotients here: 10.0 "
                   "cycles\n  for a quotient of 1, 14.0 for 8 or more.\n",
                   "  The divider of gcd_euclid_s takes about the same time on every size of\n"
                   "  quotient here (10.0 to 10.0 cycles).\n",
               });
}

// Per call, the passes times the chain plus the mispredicted exit of 14.4 cycles: gcd_euclid_u
// 19 * 12 + 14.4 = 242.4 against 240 measured, within 10%; gcd_binary_u 20.7 * 4 + 14.4 =
// 97.2 against 120, 23.5% more, 19.0% of 120 not latency; gcd_euclid_s 18.4 * 15 + 14.4 =
// 290.4 against 234, faster.
TEST(BoundSection, SetsEachChainBesideTheModelAndTheMeasurement) {
  expect_whole(section(sample_results()),
               {
                   "                 cycles per pass        cycles per call\n"
                   "  kernel          chain  model measured    chain   model measured\n"
                   "  gcd_euclid_u     12.0   14.0     12.6    242.4   280.4    240.0\n"
                   "  gcd_euclid_s     15.0   15.0     12.7    290.4   290.4    234.0\n"
                   "  gcd_binary_u      4.0   13.0      5.8     97.2   283.5    120.0\n"
                   "  gcd_binary_s        -   13.0      6.8        -   274.4    135.0\n",
                   "  gcd_euclid_s: mov %edx,%edi (0.2) -> idiv %edi (14.8); not timed here: "
                   "xchg.\n",
                   "  gcd_euclid_u is its chain: 240.0 cycles a call against 242.4 (within 10%).\n",
                   "  gcd_euclid_s runs faster than its chain (234.0 cycles a call against 290.4): "
                   "a\n",
                   "  gcd_binary_u costs 23.5% more than its chain (120.0 cycles a call against\n"
                   "  97.2): 19.0% of its call is not latency. The model names register "
                   "dependencies\n"
                   "  (60.0%), and gives a pass 13.0 cycles. A pass of its loop runs 3 branches.\n",
               });
}

// A Euclidean kernel that costs more than its chain: what its divisions take where none waits
// for another says whether the divider's throughput holds a pass back (19 * 10 + 14.4 = 204.4
// against 240: 17.4% more).
TEST(ChainSentence, SaysWhetherTheDividersThroughputHoldsAPassBack) {
  Results results = sample_results();
  results.bounds[0].cycles_per_pass = 10.0;
  results.model.reset();
  EXPECT_EQ(chain_sentence(worked(results), results.bounds[0]),
            "gcd_euclid_u costs 17.4% more than its chain (240.0 cycles a call against 204.4): "
            "14.8% of its call is not latency. Its divisions take 6.0\x1f"
            "cycles each where none waits for another: the divider's throughput does not hold a "
            "pass back. A pass of its loop runs 1 branch.");
  results.study.divider[0].unchained_cycles = 11.0;
  EXPECT_NE(chain_sentence(worked(results), results.bounds[0])
                .find("even where none waits for another: the divider's throughput holds a pass "
                      "back more than its latency."),
            std::string::npos);
}

// Where no machine code can be read: Euclid's chain from the algorithm's steps, named so, and
// one note for the binary kernels.
TEST(BoundSection, NamesTheAlgorithmsOwnStepsWhereNoMachineCodeIsRead) {
  Results results = sample_results();
  results.model.reset();
  results.bounds = {{"gcd_euclid_u",
                     10.7,
                     "the division on its operands (10.5) -> the move of its remainder to the "
                     "divisor (0.2)",
                     {},
                     0,
                     false},
                    {"gcd_binary_u",
                     4.0,
                     "the comparison and the conditional move that choose the smaller word (2.0) "
                     "-> the count of the zeros of the next (tzcnt) (1.0) -> the shift by that "
                     "count (1.0)",
                     {},
                     0,
                     false}};
  results.bounds_left_out = "objdump not found: could not be started: No such file or directory";
  expect_whole(section(worked(results)),
               {"  gcd_euclid_u, the algorithm's own steps: the division on its operands (10.5)\n"
                "  -> the move of its remainder to the divisor (0.2).\n",
                "  gcd_binary_u, the algorithm's own steps: the comparison and the conditional\n"
                "  move that choose the smaller word (2.0) -> the count of the zeros of the next\n"
                "  (tzcnt) (1.0) -> the shift by that count (1.0).\n",
                "  The kernels' machine code could not be read here (objdump not found: could not\n"
                "  be started: No such file or directory): each chain above is its algorithm's\n"
                "  own steps, at the latencies timed here.\n"});
  results.bounds.clear();
  expect_whole(section(worked(results)),
               {"  No chain of a pass here: the kernels' machine code could not be read (objdump\n"
                "  not found: could not be started: No such file or directory).\n"});
}

// The model and the measurement part where they differ by more than a fifth of the measured
// pass (gcd_euclid_u's: 80 / 19 ns at 3 GHz, 12.63 cycles): 19% is no finding, 21% is one; a
// model far below the measurement keeps its digits, and one cycle is one.
TEST(BoundSection, SaysWhereTheModelPartsFromTheMeasurementByMoreThanAFifth) {
  const double measured = 80.0 / 19 * 3;
  Results results = sample_results();
  KernelModel& euclid = results.model->kernels[0];
  euclid.cycles_per_pass = measured * 1.19;
  EXPECT_EQ(section(worked(results)).find("part for gcd_euclid_u"), std::string::npos);
  euclid.cycles_per_pass = measured * 0.81;
  EXPECT_EQ(section(worked(results)).find("part for gcd_euclid_u"), std::string::npos);
  euclid.cycles_per_pass = measured * 1.21;
  EXPECT_NE(section(worked(results)).find("part for gcd_euclid_u"), std::string::npos);
  euclid.cycles_per_pass = 0.5;
  euclid.slowest_latency = 1;
  expect_whole(section(worked(results)),
               {"  Finding: the model and the measurement part for gcd_euclid_u: the model gives\n"
                "  a pass 0.5 cycles, 0.04 times the 12.6 measured here; the longest latency on\n"
                "  its critical sequence is tzcntl %eax, %eax, 1 cycle.\n"});
  // No finding on a pass timed while the machine was disturbed.
  results.study.kernels[0].ns_per_call = {80, 160, 160, 80, 160};
  EXPECT_EQ(section(worked(results)).find("part for gcd_euclid_u"), std::string::npos);
}

}  // namespace
