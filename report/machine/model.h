// The kernels' own machine code, as linked into the benchmark programs: the loop of each kit
// kernel found in objdump's disassembly, and LLVM's model of the processor (llvm-mca) run on
// it, whose figures and words are kept as it gives them.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A kernel's loop, found in the machine code of the program that binds it.
struct KernelLoop {
  std::string kernel;
  std::string assembly;  // as loop_assembly() gives it
};

// LLVM's model of the processor on one kernel's loop, in its own figures and words.
struct KernelModel {
  std::string kernel;
  double cycles_per_pass = 0;  // llvm-mca's total cycles over its iterations of the loop
  double block_rthroughput = 0;
  std::string bound;     // its bottleneck analysis
  std::string critical;  // its critical sequence: "divl %ecx (76) -> testl %edx, %edx (1)"
  std::string slowest;   // the instruction of the critical sequence with the longest latency
  double slowest_latency = 0;
};

struct ProcessorModel {
  std::string cpu;   // as LLVM names it: "rocketlake"
  std::string tool;  // "Debian LLVM version 14.0.6"
  std::vector<KernelModel> kernels;
};

// The tools, found in PATH unless a path is given, and the processor to model ("" for the host).
struct ModelTools {
  std::string objdump = "objdump";
  std::string llvm_mca = "llvm-mca";
  std::string cpu;
  std::chrono::seconds limit{60};
};

// Each kernel's loop as linked into the program that binds it ({kernel, program path}), found
// in objdump's disassembly of the kernel's symbol. nullopt with one note in note where it
// cannot be found: objdump missing, a program it cannot read, no loop.
[[nodiscard]] std::optional<std::vector<KernelLoop>> find_kernel_loops(
    const std::vector<std::pair<std::string, std::string>>& kernels, const ModelTools& tools,
    std::string& note);

// The loops under LLVM's model. nullopt with one note in note where it cannot be made:
// llvm-mca missing, a processor it does not know, an output it does not read as llvm-mca's.
[[nodiscard]] std::optional<ProcessorModel> model_loops(const std::vector<KernelLoop>& loops,
                                                        const ModelTools& tools, std::string& note);
