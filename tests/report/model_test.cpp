// The kernels' loops found in objdump's disassembly, and llvm-mca's figures and words read
// from its output: fixed texts of both tools, as they print them.
#include "report/model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/temp_folder.h"

namespace {

// g++ 12's gcd_binary_u: the loop runs from 1268 to the backward jne at 12a8, with three
// exits inside it and code before it that jumps into its middle.
constexpr const char* BINARY_U = R"(
bench/bench_binary_u:     file format elf64-x86-64

Disassembly of section .text:

0000000000001230 <_Z12gcd_binary_ujj>:
    1230:	mov    %edi,%eax
    1234:	je     12b8 <_Z12gcd_binary_ujj+0x88>
    1245:	tzcnt  %edi,%eax
    1261:	jne    12a5 <_Z12gcd_binary_ujj+0x75>
    1263:	jmp    12aa <_Z12gcd_binary_ujj+0x7a>
    1265:	nopl   (%rax)
    1268:	cmp    %esi,%edi
    126a:	je     12c0 <_Z12gcd_binary_ujj+0x90>
    127c:	cmovbe %edi,%esi
    1296:	shr    %cl,%esi
    12a3:	je     12aa <_Z12gcd_binary_ujj+0x7a>
    12a5:	cmp    $0x1,%esi
    12a8:	jne    1268 <_Z12gcd_binary_ujj+0x38>
    12aa:	mov    %r9d,%ecx
    12b4:	ret
    12c0:	mov    %esi,%eax
    12c7:	ret
)";

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

// llvm-mca -mcpu=znver3 -bottleneck-analysis on g++ 12's gcd_euclid_u loop, as it prints it.
constexpr const char* MCA_EUCLID = R"(Iterations:        100
Instructions:      600
Total Cycles:      1305
Total uOps:        700

Dispatch Width:    6
uOps Per Cycle:    0.54
IPC:               0.46
Block RThroughput: 13.0


Cycles with backend pressure increase [ 67.66% ]
Throughput Bottlenecks: 
  Resource Pressure       [ 67.59% ]
  - Zn3ALU0  [ 67.59% ]
  - Zn3ALU1  [ 0.00% ]
  Data Dependencies:      [ 67.66% ]
  - Register Dependencies [ 67.66% ]
  - Memory Dependencies   [ 0.00% ]

Critical sequence based on the simulation:

              Instruction                                 Dependency Information
        0.    movl	%edx, %ecx
        1.    xorl	%edx, %edx
 +----< 2.    divl	%ecx
 |      3.    movl	%ecx, %eax
 +----> 4.    testl	%edx, %edx                        ## REGISTER dependency:  %edx
 +----> 5.    jne	.Lloop                            ## REGISTER dependency:  %flags


Instruction Info:
[1]: #uOps
[2]: Latency
[3]: RThroughput
[4]: MayLoad
[5]: MayStore
[6]: HasSideEffects (U)

[1]    [2]    [3]    [4]    [5]    [6]    Instructions:
 1      0     0.17                        movl	%edx, %ecx
 1      0     0.17                        xorl	%edx, %edx
 2      13    13.00                 U     divl	%ecx
 1      0     0.17                        movl	%ecx, %eax
 1      1     0.25                        testl	%edx, %edx
 1      1     0.50                        jne	.Lloop
)";

TEST(ParseMca, KeepsTheFiguresAndWordsAsTheToolGivesThem) {
  std::string error;
  const std::optional<McaFigures> figures = parse_mca(MCA_EUCLID, error);
  ASSERT_TRUE(figures) << error;
  EXPECT_EQ(figures->iterations, 100);
  EXPECT_EQ(figures->total_cycles, 1305);
  EXPECT_EQ(figures->block_rthroughput, 13.0);
  EXPECT_EQ(figures->bound,
            "backend pressure in 67.7% of cycles: resource pressure 67.6% (Zn3ALU0 67.6%), "
            "register dependencies 67.7%");
  EXPECT_EQ(figures->critical, "divl %ecx (13) -> testl %edx, %edx (1) -> jne .Lloop (1)");
  EXPECT_EQ(figures->slowest, "divl %ecx");
  EXPECT_EQ(figures->slowest_latency, 13);

  const std::optional<McaFigures> none = parse_mca(
      "Iterations:        100\nTotal Cycles:      250\nBlock RThroughput: 2.5\n\n"
      "No resource or data dependency bottlenecks discovered.\n",
      error);
  ASSERT_TRUE(none) << error;
  EXPECT_EQ(none->bound, "no resource or data dependency bottlenecks");
  EXPECT_FALSE(parse_mca("error: invalid CPU name 'nonesuch'\n", error));
}

TEST(HostCpu, IsTheNameLlvmGivesThisProcessor) {
  EXPECT_EQ(host_cpu("Debian LLVM version 14.0.6\n  Optimized build.\n  Default target: "
                     "x86_64-pc-linux-gnu\n  Host CPU: rocketlake\n\n  Registered Targets:\n"),
            "rocketlake");
  EXPECT_EQ(host_cpu("LLVM version 14\n"), std::nullopt);
}

// The tools as the report runs them, here stand-ins that print the fixed texts above and
// note their arguments: the kernel's symbol for objdump, the processor for llvm-mca.
TEST(ModelKernels, RunsObjdumpAndLlvmMcaOnEachKernel) {
  const TempFolder folder;
  const std::filesystem::perms runnable = std::filesystem::perms::owner_all;
  const std::string log = folder.path() + "/arguments";
  ModelTools tools;
  tools.objdump = folder.file(
      "objdump",
      "#!/bin/sh\necho \"$@\" >> " + log + "\ncat <<'END'\n" + std::string(BINARY_U) + "END\n",
      runnable);
  tools.llvm_mca =
      folder.file("llvm-mca",
                  "#!/bin/sh\nif [ \"$1\" = --version ]; then\n"
                  "  printf 'Test LLVM 14\\n  Host CPU: testlake\\n'; exit 0\nfi\n"
                  "echo \"$@\" >> " +
                      log + "\ncat > /dev/null\ncat <<'END'\n" + std::string(MCA_EUCLID) + "END\n",
                  runnable);
  std::string note;
  const std::optional<ProcessorModel> model = model_kernels(
      {{"gcd_euclid_u", "/kit/bench_euclid_u"}, {"gcd_binary_s", "/kit/bench_binary_s"}}, tools,
      note);
  ASSERT_TRUE(model) << note;
  EXPECT_EQ(model->cpu, "testlake");
  EXPECT_EQ(model->tool, "Test LLVM 14");
  ASSERT_EQ(model->kernels.size(), 2U);
  EXPECT_EQ(model->kernels[1].kernel, "gcd_binary_s");
  EXPECT_DOUBLE_EQ(model->kernels[1].cycles_per_pass, 13.05);  // total cycles over iterations
  EXPECT_EQ(model->kernels[1].block_rthroughput, 13.0);
  EXPECT_EQ(model->kernels[1].slowest, "divl %ecx");
  std::ifstream arguments(log);
  const std::string logged{std::istreambuf_iterator<char>(arguments), {}};
  EXPECT_EQ(logged,
            "-d --no-show-raw-insn --disassemble=_Z12gcd_euclid_ujj /kit/bench_euclid_u\n"
            "-mcpu=testlake -iterations=100 -bottleneck-analysis -\n"
            "-d --no-show-raw-insn --disassemble=_Z12gcd_binary_sjj /kit/bench_binary_s\n"
            "-mcpu=testlake -iterations=100 -bottleneck-analysis -\n");
}

// A missing tool is one note, not a failure of the report.
TEST(ModelKernels, SaysWhatIsMissing) {
  ModelTools tools;
  tools.llvm_mca = "gcd-kit-no-such-llvm-mca";
  std::string note;
  EXPECT_FALSE(model_kernels({{"gcd_euclid_u", "/bin/true"}}, tools, note));
  EXPECT_EQ(note,
            "gcd-kit-no-such-llvm-mca not found: could not be started: No such file or directory");
  tools.llvm_mca = "llvm-mca";
  tools.objdump = "gcd-kit-no-such-objdump";
  tools.cpu = "znver3";  // no host processor needed
  EXPECT_FALSE(model_kernels({{"gcd_euclid_u", "/bin/true"}}, tools, note));
  EXPECT_TRUE(note ==
                  "gcd-kit-no-such-objdump not found: could not be started: No such file or "
                  "directory" ||
              note.starts_with("llvm-mca not found"))
      << note;
}

}  // namespace
