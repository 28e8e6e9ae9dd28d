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

// The loop of one function in objdump's disassembly of it (objdump -d --no-show-raw-insn):
// from the target of its backward branch to that branch, the outermost loop where there are
// several, with the branches' targets as labels (.Lloop for the loop's head, .Lexit for
// anything else), one instruction a line. nullopt with the reason in error ("no loop").
[[nodiscard]] std::optional<std::string> loop_assembly(std::string_view disassembly,
                                                       std::string& error);

// What llvm-mca prints of a block (its summary and, with -bottleneck-analysis, the bound).
struct McaFigures {
  double iterations = 0;
  double total_cycles = 0;
  double block_rthroughput = 0;
  std::string bound;     // the bottleneck analysis in the model's own words, in one line
  std::string critical;  // its critical sequence, each instruction with its latency in cycles
  std::string slowest;   // the instruction of that sequence with the longest latency
  double slowest_latency = 0;
};

// The figures in llvm-mca's output; nullopt with the reason in error.
[[nodiscard]] std::optional<McaFigures> parse_mca(std::string_view output, std::string& error);

// The host processor as LLVM names it, from a tool's --version ("  Host CPU: rocketlake").
[[nodiscard]] std::optional<std::string> host_cpu(std::string_view version);

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
