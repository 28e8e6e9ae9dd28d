// The kernels' own machine code, as linked into the benchmark programs: the loop of each kit
// kernel found in objdump's disassembly, and LLVM's model of the processor (llvm-mca) run on
// it, whose figures and words are kept as it gives them.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/bounds.h"
#include "report/results.h"

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
