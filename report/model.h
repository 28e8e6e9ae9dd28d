// What bounds a pass, by LLVM's model of the processor (llvm-mca) run on the kernels' own
// machine code, as linked into the benchmark programs: the loop of each kernel is found in
// objdump's disassembly and given to llvm-mca, whose figures and words are kept as it gives
// them.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/results.h"

// The tools, found in PATH unless a path is given, and the processor to model ("" for the host).
struct ModelTools {
  std::string objdump = "objdump";
  std::string llvm_mca = "llvm-mca";
  std::string cpu;
  std::chrono::seconds limit{60};
};

// Each kernel's loop as linked into the program that binds it ({kernel, program path}), under
// the model. nullopt with one note in note where it cannot be made: a tool missing, a program
// it cannot read, a processor it does not know.
[[nodiscard]] std::optional<ProcessorModel> model_kernels(
    const std::vector<std::pair<std::string, std::string>>& kernels, const ModelTools& tools,
    std::string& note);
