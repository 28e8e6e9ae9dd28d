// Reading llvm-mca's output: its summary of a block, its bottleneck analysis and its critical
// sequence, in its own figures and words. Any text is taken: what is not llvm-mca's output as
// it prints it is refused with the reason, never thrown.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What llvm-mca prints of a block (its summary and, with -bottleneck-analysis, the bound).
struct McaFigures {
  double iterations = 0;
  double total_cycles = 0;
  double block_rthroughput = 0;
  std::string bound;     // the bottleneck analysis in the model's own words, in one line
  std::string critical;  // its critical sequence, each instruction with its latency in cycles
  std::string slowest;   // the instruction of that sequence with the longest latency
  double slowest_latency = 0;
  std::size_t instructions = 0;  // the rows of its instruction table: the block it modelled
};

// The figures in llvm-mca's output; nullopt with the reason in error. Every figure must be a
// finite number in its range (iterations and cycles above 0, latencies and throughput 0 or
// more, shares from 0 to 100%); every text is made safe to show. An output that reports an
// error ("error: invalid instruction mnemonic", after which llvm-mca models the rest of the
// block) is no model of the block.
[[nodiscard]] std::optional<McaFigures> parse_mca(std::string_view output, std::string& error);

// The host processor as LLVM names it, from a tool's --version ("  Host CPU: rocketlake"); none
// where it names none, or none that is a processor's name ("(unknown)").
[[nodiscard]] std::optional<std::string> host_cpu(std::string_view version);

// Whether the text is a processor's name as LLVM spells it: letters, digits, '-', '_' and '.',
// 1 to 40 of them.
[[nodiscard]] bool is_cpu_name(std::string_view name);

// The shares of a bottleneck analysis as the report words it (bound above), as percentages:
// its backend pressure, resource pressure and register dependencies, 0 where one is absent;
// none where the text holds a share that is no percentage.
struct BoundShares {
  double backend = 0;
  double resources = 0;
  double dependencies = 0;
};
[[nodiscard]] std::optional<BoundShares> bound_shares(std::string_view bound);
