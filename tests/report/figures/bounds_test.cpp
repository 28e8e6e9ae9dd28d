// The latency bound of a pass: each instruction of a loop given its latency from the study's
// measurements, and the chain they make; made-up measurements, so that each is known by hand.
#include "report/figures/bounds.h"

#include <gtest/gtest.h>

namespace {

Study measured() {
  Study study;
  study.latencies.clock_before_ghz = 3.0;
  study.latencies.clock_after_ghz = 3.0;
  study.latencies.forms = {{"and", "and", 1.0, 0, true},        {"sub", "sub", 1.0, 0, true},
                           {"cmp_cmovbe", "c", 3.0, 0, true},   {"tzcnt", "t", 1.5, 1, true},
                           {"shr_cl_value", "s", 1.0, 0, true}, {"shr_cl_count", "s", 2.0, 2, true},
                           {"mov", "mov", 0.25, 0, true},       {"msub", "msub", 4.0, 0, true},
                           {"shr_1", "shr", 0.5, 0, false}};
  study.divider = {{"gcd_euclid_u", 100, 1000, 12.0, 6.0, {}}};
  return study;
}

double latency_of(const std::string& line, const std::string& kernel,
                  std::vector<std::string>& unmeasured) {
  return measured_latency(decode_loop(line).front(), kernel, measured(), unmeasured);
}

// A conditional move: its pair with a compare less a subtraction; a shift by %cl: the longer
// of its two edges; a division: the divider on the kernel's own operands (on aarch64 less
// msub, which its chain also ran through); an addition: the clock's own cycle; a form not
// timed, or not plausible: 1 cycle, named once.
TEST(MeasuredLatency, TakesEachFormFromItsMeasurement) {
  std::vector<std::string> unmeasured;
  EXPECT_EQ(latency_of("\tcmovbe %edi,%esi\n", "gcd_binary_u", unmeasured), 2.0);
  EXPECT_EQ(latency_of("\tcmp %esi,%edi\n", "gcd_binary_u", unmeasured), 1.0);
  EXPECT_EQ(latency_of("\tshr %cl,%esi\n", "gcd_binary_u", unmeasured), 2.0);
  EXPECT_EQ(latency_of("\tdiv %ecx\n", "gcd_euclid_u", unmeasured), 12.0);
  EXPECT_EQ(latency_of("\tudiv w3, w2, w1\n", "gcd_euclid_u", unmeasured), 8.0);
  EXPECT_EQ(latency_of("\tadd %edx,%r9d\n", "gcd_binary_u", unmeasured), 1.0);
  EXPECT_TRUE(unmeasured.empty());
  EXPECT_EQ(latency_of("\tshr %eax\n", "gcd_binary_u", unmeasured), 1.0);
  EXPECT_EQ(latency_of("\tcmova %eax,%edx\n", "gcd_binary_u", unmeasured), 1.0);
  EXPECT_EQ(latency_of("\tcmova %ecx,%edx\n", "gcd_binary_u", unmeasured), 1.0);
  EXPECT_EQ(latency_of("\tjne .Lloop\n", "gcd_binary_u", unmeasured), 1.0);  // no name: a branch
  EXPECT_EQ(unmeasured, (std::vector<std::string>{"shr_1", "cmova"}));
}

// g++'s Euclid loop: the move of the remainder (0.25) and the division on its operands (12).
TEST(LatencyBounds, ChainEachLoopAtTheMeasuredLatencies) {
  const std::vector<KernelBound> bounds = latency_bounds(
      {{"gcd_euclid_u",
        ".Lloop:\n\tmov    %edx,%ecx\n\txor    %edx,%edx\n\tdiv    %ecx\n\tmov    %ecx,%eax\n"
        "\ttest   %edx,%edx\n\tjne    .Lloop\n"},
       {"gcd_binary_u",
        ".Lloop:\n\tcmp %esi,%edi\n\tcmova %edi,%esi\x1b[2J\n\tmov %esi,%ecx\n\tshr %cl,%esi\n"
        "\tjne .Lloop\n"}},
      measured());
  ASSERT_EQ(bounds.size(), 2U);
  EXPECT_DOUBLE_EQ(bounds[0].cycles_per_pass, 12.25);
  EXPECT_EQ(bounds[0].chain, "mov %edx,%ecx (0.2) -> div %ecx (12.0)");
  EXPECT_EQ(bounds[0].branches, 1U);
  EXPECT_TRUE(bounds[0].unmeasured.empty());
  // cmp 1, cmova 1 (not timed, and its text filled by a hostile objdump), mov 0.25 and shr
  // by its count 2.
  EXPECT_DOUBLE_EQ(bounds[1].cycles_per_pass, 4.25);
  EXPECT_EQ(bounds[1].unmeasured, (std::vector<std::string>{"cmova"}));
  EXPECT_EQ(bounds[1].chain,
            "cmp %esi,%edi (1.0) -> cmova %edi,%esi\\x1b[2J (1.0) -> mov %esi,%ecx (0.2) -> shr "
            "%cl,%esi (2.0)");
}

// A long chain, as a hostile objdump may show: its first twelve steps, then how many more.
TEST(LatencyBounds, CutAChainsTextAfterItsFirstSteps) {
  std::string loop = ".Lloop:\n";
  for (int i = 0; i < 20; ++i) {
    loop += "\tadd %ecx,%eax\n";
  }
  loop += "\tjne .Lloop\n";
  const std::vector<KernelBound> bounds = latency_bounds({{"gcd_binary_u", loop}}, measured());
  ASSERT_EQ(bounds.size(), 1U);
  EXPECT_DOUBLE_EQ(bounds[0].cycles_per_pass, 20);
  std::string shown;
  for (int i = 0; i < 12; ++i) {
    shown += (i == 0 ? "" : " -> ") + std::string("add %ecx,%eax (1.0)");
  }
  EXPECT_EQ(bounds[0].chain, shown + " -> and 8 more");
  EXPECT_FALSE(bounds[0].divides);
}

// Without machine code: the division on its operands and the move of its remainder.
TEST(AlgorithmBounds, AreTheDivisionAndTheMoveOfItsRemainder) {
  const std::vector<KernelBound> bounds = algorithm_bounds(measured());
  ASSERT_EQ(bounds.size(), 3U);
  EXPECT_DOUBLE_EQ(bounds[0].cycles_per_pass, 12.25);
  EXPECT_FALSE(bounds[0].from_machine_code);
  EXPECT_EQ(bounds[0].chain,
            "the division on its operands (12.0) -> the move of its remainder to the divisor "
            "(0.2)");
}

// Without machine code, the binary kernels' chain is the algorithm's own steps: the compare
// and select (3.0), the count of the zeros (tzcnt 1.5; bsf where tzcnt was not timed) and the
// shift by the count (the longer of its edges, 2.0).
TEST(AlgorithmBounds, AreTheBinaryAlgorithmsCompareSelectCountAndShift) {
  const std::vector<KernelBound> bounds = algorithm_bounds(measured());
  ASSERT_EQ(bounds.size(), 3U);
  for (const std::size_t i : {1U, 2U}) {
    EXPECT_EQ(bounds[i].kernel, i == 1 ? "gcd_binary_u" : "gcd_binary_s");
    EXPECT_DOUBLE_EQ(bounds[i].cycles_per_pass, 6.5);
    EXPECT_FALSE(bounds[i].from_machine_code);
    EXPECT_EQ(bounds[i].chain,
              "the comparison and the conditional move that choose the smaller word (3.0) -> "
              "the count of the zeros of the next (tzcnt) (1.5) -> the shift by that count (2.0)");
  }
  Study without_tzcnt = measured();
  without_tzcnt.latencies.forms[3] = {"bsf", "b", 2.5, 0, true};
  EXPECT_DOUBLE_EQ(algorithm_bounds(without_tzcnt)[1].cycles_per_pass, 7.5);
  Study aarch64;
  aarch64.latencies.clock_before_ghz = 2.0;
  aarch64.latencies.clock_after_ghz = 2.0;
  aarch64.latencies.forms = {{"cmp_csel", "c", 2.0, 0, true},
                             {"rbit", "r", 1.0, 0, true},
                             {"clz", "z", 1.0, 0, true},
                             {"lsr", "l", 1.0, 0, true}};
  const std::vector<KernelBound> arm = algorithm_bounds(aarch64);
  ASSERT_EQ(arm.size(), 2U);
  EXPECT_DOUBLE_EQ(arm[0].cycles_per_pass, 5.0);
  // A step not timed: no chain of the binary kernels, rather than one that leaves it out.
  Study untimed = measured();
  untimed.latencies.forms[2].plausible = false;
  EXPECT_EQ(algorithm_bounds(untimed).size(), 1U);
}

}  // namespace
