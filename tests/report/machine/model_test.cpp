// The tools as the report runs them on the kernels: stand-ins that print fixed texts.
#include "report/machine/model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "report/machine/machine_code.h"
#include "tests/report/tool_texts.h"
#include "tests/temp_folder.h"

namespace {

// The tools as the report runs them, here stand-ins that print the fixed texts above and
// note their arguments: the kernel's symbol for objdump, the processor for llvm-mca.
TEST(ModelKernels, RunsObjdumpAndLlvmMcaOnEachKernel) {
  const TempFolder folder;
  const std::filesystem::perms runnable = std::filesystem::perms::owner_all;
  const std::string log = folder.path() + "/arguments";
  ModelTools tools;
  tools.objdump = folder.file(
      "objdump",
      "#!/bin/sh\necho \"$@\" >> " + log + "\ncat <<'END'\n" + std::string(EUCLID_U) + "END\n",
      runnable);
  tools.llvm_mca =
      folder.file("llvm-mca",
                  "#!/bin/sh\nif [ \"$1\" = --version ]; then\n"
                  "  printf 'Test LLVM 14\\n  Host CPU: testlake\\n'; exit 0\nfi\n"
                  "echo \"$@\" >> " +
                      log + "\ncat > /dev/null\ncat <<'END'\n" + std::string(MCA_EUCLID) + "END\n",
                  runnable);
  std::string note;
  const std::optional<std::vector<KernelLoop>> loops = find_kernel_loops(
      {{"gcd_euclid_u", "/kit/bench_euclid_u"}, {"gcd_binary_s", "/kit/bench_binary_s"}}, tools,
      note);
  ASSERT_TRUE(loops) << note;
  ASSERT_EQ(loops->size(), 2U);
  EXPECT_EQ((*loops)[1].kernel, "gcd_binary_s");
  EXPECT_TRUE((*loops)[1].assembly.starts_with(".Lloop:\n\tmov    %edx,%ecx\n"));
  const std::optional<ProcessorModel> model = model_loops(*loops, tools, note);
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
            "-d --no-show-raw-insn --disassemble=_Z12gcd_binary_sjj /kit/bench_binary_s\n"
            "-mcpu=testlake -iterations=100 -bottleneck-analysis -\n"
            "-mcpu=testlake -iterations=100 -bottleneck-analysis -\n");
}

// llvm-mca on a loop it did not read whole: an error line, after which it models the rest, or
// a table that holds fewer instructions than the loop. No model of the loop, one note.
TEST(ModelKernels, TakesNoModelOfPartOfTheLoop) {
  const TempFolder folder;
  const auto tools_with = [&](const std::string& analysis) {
    ModelTools tools;
    tools.llvm_mca = folder.file("llvm-mca",
                                 "#!/bin/sh\nif [ \"$1\" = --version ]; then\n"
                                 "  printf 'Test LLVM 14\\n  Host CPU: testlake\\n'; exit 0\nfi\n"
                                 "cat > /dev/null\ncat <<'END'\n" +
                                     analysis + "END\n",
                                 std::filesystem::perms::owner_all);
    return tools;
  };
  std::string error;
  const std::string euclid = *loop_assembly(EUCLID_U, error);
  std::string note;
  EXPECT_TRUE(model_loops({{"gcd_euclid_u", euclid}}, tools_with(MCA_EUCLID), note)) << note;
  const std::string with_error =
      "<stdin>:4:2: error: invalid instruction mnemonic 'frob'\n" + std::string(MCA_EUCLID);
  EXPECT_FALSE(model_loops({{"gcd_euclid_u", euclid}}, tools_with(with_error), note));
  EXPECT_EQ(note, folder.path() +
                      "/llvm-mca on gcd_euclid_u: it reports an error: \"<stdin>:4:2: "
                      "error: invalid instruction mnemonic 'frob'\"");
  // The loop with one instruction more than the model's table.
  const std::string longer = euclid + "\tmov    %ecx,%eax\n";
  EXPECT_FALSE(model_loops({{"gcd_euclid_u", longer}}, tools_with(MCA_EUCLID), note));
  EXPECT_EQ(note, folder.path() +
                      "/llvm-mca on gcd_euclid_u: its table holds 6 instructions, and the loop 7");
}

// A missing tool is one note, not a failure of the report.
TEST(ModelKernels, SaysWhatIsMissing) {
  ModelTools tools;
  tools.llvm_mca = "gcd-kit-no-such-llvm-mca";
  std::string note;
  EXPECT_FALSE(model_loops({{"gcd_euclid_u", ".Lloop:\n\tjmp .Lloop\n"}}, tools, note));
  EXPECT_EQ(note,
            "gcd-kit-no-such-llvm-mca not found: could not be started: No such file or directory");
  tools.objdump = "gcd-kit-no-such-objdump";
  EXPECT_FALSE(find_kernel_loops({{"gcd_euclid_u", "/bin/true"}}, tools, note));
  EXPECT_EQ(note,
            "gcd-kit-no-such-objdump not found: could not be started: No such file or directory");
}

}  // namespace
