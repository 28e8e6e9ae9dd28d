// The kernels' loops found in objdump's disassembly: fixed texts, as objdump prints them.
#include "report/machine_code.h"

#include <gtest/gtest.h>

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
  // aarch64's branches name their target the same way.
  EXPECT_EQ(loop_assembly("  400: udiv w2, w0, w1\n  404: msub w2, w2, w1, w0\n"
                          "  408: cbnz w2, 400 <gcd+0x0>\n  40c: ret\n",
                          error),
            ".Lloop:\n\tudiv w2, w0, w1\n\tmsub w2, w2, w1, w0\n\tcbnz w2, .Lloop\n");
  EXPECT_FALSE(loop_assembly("  10:\tmov %edi,%eax\n  12:\tje 20 <f+0x10>\n  14:\tret\n", error));
  EXPECT_EQ(error, "no loop");
  EXPECT_FALSE(loop_assembly("objdump: 'x': No such file\n", error));
  EXPECT_EQ(error, "no instructions");
}

}  // namespace
