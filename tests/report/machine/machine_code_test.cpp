// The kernels' loops found in objdump's disassembly: fixed texts, as objdump prints them.
#include "report/machine/machine_code.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "tests/report/tool_texts.h"

namespace {

TEST(LoopAssembly, RunsFromTheBackwardBranchesTargetToIt) {
  std::string error;
  EXPECT_EQ(loop_assembly(BINARY_U, error),
            ".Lloop:\n"
            "\tcmp    %esi,%edi\n"
            "\tje     .Lexit\n"
            "\tcmovbe %edi,%esi\n"
            "\tshr    %cl,%esi\n"
            "\tje     .Lexit\n"
            "\tcmp    $0x1,%esi\n"
            "\tjne    .Lloop\n")
      << error;
}

TEST(LoopAssembly, TakesTheOuterOfTwoLoopsAndTellsWhenThereIsNone) {
  std::string error;
  EXPECT_EQ(loop_assembly("  10:\tadd %eax,%ebx\n"
                          "  12:\tsub $1,%ecx\n"
                          "  14:\tjne 12 <f+0x2>\n"
                          "  16:\tdec %edx\n"
                          "  18:\tjne 10 <f>\n"
                          "  1a:\tret\n",
                          error),
            ".Lloop:\n\tadd %eax,%ebx\n\tsub $1,%ecx\n\tjne .Lexit\n\tdec %edx\n\tjne .Lloop\n");
  // aarch64's branches name their target the same way, with objdump's comment after them.
  EXPECT_EQ(loop_assembly("  400: udiv w2, w0, w1\n  404: msub w2, w2, w1, w0\n"
                          "  408: b.ne 400 <gcd+0x0>  // b.any\n  40c: ret\n",
                          error),
            ".Lloop:\n\tudiv w2, w0, w1\n\tmsub w2, w2, w1, w0\n\tb.ne .Lloop\n");
  // An address in x86's comment is no branch.
  EXPECT_FALSE(loop_assembly("  10:\tlea 0x8(%rip),%rdi        # 8 <f+0x0>\n  18:\tret\n", error));
  EXPECT_FALSE(loop_assembly("  10:\tmov %edi,%eax\n  12:\tje 20 <f+0x10>\n  14:\tret\n", error));
  EXPECT_EQ(error, "no loop");
  EXPECT_FALSE(loop_assembly("objdump: 'x': No such file\n", error));
  EXPECT_EQ(error, "no instructions");
}

// The loops of the kit's kernels as the compilers made them, with latencies made up so that
// the longest chain is known by hand: a form not in the table takes 1 cycle.
LatencyOf made_up(std::map<std::string, double> latencies) {
  return [latencies](const DecodedInstruction& instruction) {
    const auto found = latencies.find(instruction.form);
    return found != latencies.end() ? found->second : 1.0;
  };
}

std::string steps_of(const LatencyChain& chain) {
  std::string text;
  for (const ChainStep& step : chain.steps) {
    char cycles[32];
    std::snprintf(cycles, sizeof cycles, "%g", step.cycles);
    text += (text.empty() ? "" : " -> ") + step.text + " (" + cycles + ")";
  }
  return text;
}

// g++ 12's gcd_euclid_u: the remainder is moved into the divisor and divided again.
TEST(LongestChain, RunsThroughTheDivisionAndTheMoveOfTheRemainder) {
  const std::vector<DecodedInstruction> loop = decode_loop(
      ".Lloop:\n\tmov    %edx,%ecx\n\txor    %edx,%edx\n\tdiv    %ecx\n\tmov    %ecx,%eax\n"
      "\ttest   %edx,%edx\n\tjne    .Lloop\n");
  ASSERT_EQ(loop.size(), 6U);
  EXPECT_EQ(loop[2].reads, (std::vector<std::string>{"c", "a", "d"}));  // div: implicit too
  EXPECT_EQ(loop[2].writes, (std::vector<std::string>{"a", "d", "flags"}));
  EXPECT_TRUE(loop[1].reads.empty());  // xor of a register with itself waits for nothing
  const std::optional<LatencyChain> chain = longest_chain(loop, made_up({{"div", 20}, {"mov", 3}}));
  ASSERT_TRUE(chain);
  EXPECT_DOUBLE_EQ(chain->cycles_per_pass, 23);
  EXPECT_EQ(steps_of(*chain), "mov %edx,%ecx (3) -> div %ecx (20)");
}

// cltd reads eax and writes edx. In g++ 12's gcd_euclid_s the eax it reads is the divisor,
// ready a pass early, so the chain is the remainder's move into the divisor and idiv; where
// edx's sign goes back into eax, the chain runs through cltd.
TEST(LongestChain, TakesCltdFromEaxToEdx) {
  const std::vector<DecodedInstruction> loop = decode_loop(
      ".Lloop:\n\tmov    %edx,%edi\n\tcltd\n\tidiv   %edi\n\tmov    %edi,%eax\n"
      "\ttest   %edx,%edx\n\tjne    .Lloop\n");
  ASSERT_EQ(loop.size(), 6U);
  EXPECT_EQ(loop[1].reads, (std::vector<std::string>{"a"}));
  EXPECT_EQ(loop[1].writes, (std::vector<std::string>{"d"}));
  const LatencyOf latency = made_up({{"idiv", 20}, {"mov", 3}, {"cltd", 5}});
  const std::optional<LatencyChain> signed_euclid = longest_chain(loop, latency);
  ASSERT_TRUE(signed_euclid);
  EXPECT_DOUBLE_EQ(signed_euclid->cycles_per_pass, 23);
  EXPECT_EQ(steps_of(*signed_euclid), "mov %edx,%edi (3) -> idiv %edi (20)");
  const std::optional<LatencyChain> through_cltd =
      longest_chain(decode_loop(".Lloop:\n\tcltd\n\tadd    %edx,%eax\n\tjne    .Lloop\n"), latency);
  ASSERT_TRUE(through_cltd);
  EXPECT_DOUBLE_EQ(through_cltd->cycles_per_pass, 6);
  EXPECT_EQ(steps_of(*through_cltd), "cltd (5) -> add %edx,%eax (1)");
}

// g++ 12's gcd_binary_u. With a slow cmovbe, v's chain sets the pace: compared, chosen, its
// zeros counted and shifted out (cmp 1 + cmovbe 4 + tzcnt 3 + mov 0.5 + shr 2); u's own chain
// (mov, sub, shr by 1, tzcnt, mov, shr: 8) waits for v's and keeps up.
TEST(LongestChain, FollowsTheSmallerWordThroughGxxsBinaryLoop) {
  const std::vector<DecodedInstruction> loop = decode_loop(
      ".Lloop:\n\tcmp    %esi,%edi\n\tje     .Lexit\n\tmov    %edi,%eax\n\tmov    %esi,%r8d\n"
      "\tsub    %esi,%eax\n\tsub    %edi,%r8d\n\tcmp    %esi,%edi\n\tcmovae %eax,%r8d\n"
      "\tcmovbe %edi,%esi\n\tshr    %eax\n\txor    %edx,%edx\n\ttzcnt  %eax,%eax\n"
      "\tmov    %r8d,%edi\n\ttzcnt  %esi,%edx\n\tmov    %eax,%ecx\n\tshr    %edi\n"
      "\tshr    %cl,%edi\n\tmov    %edx,%ecx\n\tshr    %cl,%esi\n\tcmp    %eax,%edx\n"
      "\tcmova  %eax,%edx\n\tadd    %edx,%r9d\n\tcmp    $0x1,%edi\n\tje     .Lexit\n"
      "\tcmp    $0x1,%esi\n\tjne    .Lloop\n");
  ASSERT_EQ(loop.size(), 26U);
  EXPECT_EQ(loop[16].form, "shr_cl");
  EXPECT_EQ(loop[16].reads, (std::vector<std::string>{"c", "di"}));
  EXPECT_EQ(loop[15].form, "shr_1");
  EXPECT_EQ(loop[8].reads, (std::vector<std::string>{"di", "si", "flags"}));
  const std::optional<LatencyChain> chain =
      longest_chain(loop, made_up({{"cmovbe", 4}, {"tzcnt", 3}, {"shr_cl", 2}, {"mov", 0.5}}));
  ASSERT_TRUE(chain);
  EXPECT_DOUBLE_EQ(chain->cycles_per_pass, 10.5);
  EXPECT_EQ(steps_of(*chain),
            "cmp %esi,%edi (1) -> cmovbe %edi,%esi (4) -> tzcnt %esi,%edx (3) -> mov %edx,%ecx "
            "(0.5) -> shr %cl,%esi (2)");
}

// Two paths through g++'s binary loop the same to a tenth of a cycle (through cmovae, or
// through shr and tzcnt): the same one whichever a timing's noise makes a hundredth longer.
TEST(LongestChain, TakesTheSamePathWhereTwoAreTheSameToATenth) {
  const std::vector<DecodedInstruction> loop = decode_loop(
      ".Lloop:\n\tmov    %edi,%eax\n\tsub    %esi,%eax\n\tmov    %esi,%r8d\n\tcmp    %esi,%edi\n"
      "\tcmovae %eax,%r8d\n\tshr    %eax\n\ttzcnt  %eax,%eax\n\tmov    %r8d,%edi\n"
      "\tmov    %eax,%ecx\n\tshr    %edi\n\tshr    %cl,%edi\n\tcmp    $0x1,%edi\n"
      "\tjne    .Lloop\n");
  std::vector<std::string> paths;
  for (const double cmov : {0.98, 1.02}) {
    const std::optional<LatencyChain> chain =
        longest_chain(loop, made_up({{"cmovae", cmov}, {"tzcnt", 2 - cmov}}));
    ASSERT_TRUE(chain);
    EXPECT_NEAR(chain->cycles_per_pass, 6.02, 1e-9);  // the pace as timed: the longer path
    std::string path;
    for (const ChainStep& step : chain->steps) {
      path += step.text + "; ";
    }
    paths.push_back(path);
  }
  EXPECT_EQ(paths[0], paths[1]);
}

// clang++ 14's gcd_binary_u: the order decided by a subtraction's flags, and bsf, which also
// waits for its destination.
TEST(LongestChain, FollowsTheSmallerWordThroughClangsBinaryLoop) {
  const std::vector<DecodedInstruction> loop = decode_loop(
      ".Lloop:\n\tcmp    $0x1,%esi\n\tje     .Lexit\n\tmov    %edi,%ecx\n\tsub    %esi,%ecx\n"
      "\tje     .Lexit\n\tmov    %esi,%edx\n\tcmovb  %edi,%edx\n\tneg    %ecx\n"
      "\tsub    %esi,%edi\n\tcmovae %edi,%ecx\n\tshr    %ecx\n\tshr    %edi\n"
      "\tbsf    %edi,%r10d\n\tbsf    %edx,%eax\n\tmov    %ecx,%edi\n\tmov    %r10d,%ecx\n"
      "\tshr    %cl,%edi\n\tmov    %edx,%esi\n\tmov    %eax,%ecx\n\tshr    %cl,%esi\n"
      "\tcmp    %eax,%r10d\n\tcmovb  %r10d,%eax\n\tadd    %eax,%r8d\n\tcmp    $0x1,%edi\n"
      "\tjne    .Lloop\n");
  ASSERT_EQ(loop.size(), 25U);
  EXPECT_EQ(loop[13].reads, (std::vector<std::string>{"d", "a"}));  // bsf: its destination too
  const std::optional<LatencyChain> chain =
      longest_chain(loop, made_up({{"cmovb", 4}, {"bsf", 3}, {"shr_cl", 2}, {"mov", 0.5}}));
  ASSERT_TRUE(chain);
  EXPECT_DOUBLE_EQ(chain->cycles_per_pass, 10.5);
  EXPECT_EQ(steps_of(*chain),
            "sub %esi,%ecx (1) -> cmovb %edi,%edx (4) -> bsf %edx,%eax (3) -> mov %eax,%ecx "
            "(0.5) -> shr %cl,%esi (2)");
}

// g++ 12's gcd_euclid_u for aarch64: udiv's quotient, msub's remainder, the next udiv.
TEST(LongestChain, ReadsAarch64) {
  const std::vector<DecodedInstruction> loop = decode_loop(
      ".Lloop:\n\tudiv\tw3, w2, w1\n\tmov\tw0, w1\n\tmsub\tw1, w3, w1, w2\n\tmov\tw2, w0\n"
      "\tcbnz\tw1, .Lloop\n");
  ASSERT_EQ(loop.size(), 5U);
  EXPECT_EQ(loop[2].reads, (std::vector<std::string>{"r3", "r1", "r2"}));
  EXPECT_EQ(loop[2].writes, (std::vector<std::string>{"r1"}));
  EXPECT_EQ(loop[4].reads, (std::vector<std::string>{"r1"}));
  const std::optional<LatencyChain> chain =
      longest_chain(loop, made_up({{"udiv", 12}, {"msub", 4}, {"mov", 2}}));
  ASSERT_TRUE(chain);
  EXPECT_DOUBLE_EQ(chain->cycles_per_pass, 16);
  EXPECT_EQ(steps_of(*chain), "udiv w3, w2, w1 (12) -> msub w1, w3, w1, w2 (4)");
  // The flags of cmp reach csel; a comment after an instruction is no operand.
  const std::vector<DecodedInstruction> select =
      decode_loop("\tcmp\tw0, w2\n\tcsel\tw0, w0, w2, ls\t// ls = plast\n");
  EXPECT_EQ(select[0].writes, (std::vector<std::string>{"flags"}));
  EXPECT_EQ(select[1].reads, (std::vector<std::string>{"r0", "r2", "flags"}));
}

// An instruction the analysis does not know reads every register it names, writes the last,
// and says so.
TEST(LongestChain, GuessesAtAnInstructionItDoesNotKnow) {
  const std::vector<DecodedInstruction> loop =
      decode_loop(".Lloop:\n\tadd %ebx,%eax\n\tfrob %eax,%ecx\n\tmov %ecx,%ebx\n\tjne .Lloop\n");
  ASSERT_EQ(loop.size(), 4U);
  EXPECT_FALSE(loop[1].known);
  EXPECT_TRUE(loop[0].known);
  EXPECT_EQ(loop[1].reads, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(loop[1].writes, (std::vector<std::string>{"c", "flags"}));
  const std::optional<LatencyChain> chain = longest_chain(loop, made_up({{"frob", 5}}));
  ASSERT_TRUE(chain);
  EXPECT_DOUBLE_EQ(chain->cycles_per_pass, 7);  // add, frob, mov: longer than frob's own 5
  EXPECT_EQ(steps_of(*chain), "add %ebx,%eax (1) -> frob %eax,%ecx (5) -> mov %ecx,%ebx (1)");
  // Nothing carried from one pass to the next: no chain.
  EXPECT_FALSE(longest_chain(decode_loop("\tmov $1,%eax\n\tjmp .Lloop\n"), made_up({})));
}

}  // namespace
