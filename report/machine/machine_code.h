// Reading a kernel's machine code as objdump disassembles it (objdump -d --no-show-raw-insn):
// finding its loop, the registers each of its instructions reads and writes, and the longest
// chain of dependent instructions that one pass of it carries to the next. Any text is taken:
// what is no disassembly is refused with the reason, never thrown.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The loop of one function in its disassembly: from the target of its backward branch to
// that branch, the outermost loop where there are several, with the branches' targets as
// labels (.Lloop for the loop's head, .Lexit for anything else), one instruction a line.
// nullopt with the reason in error ("no loop").
[[nodiscard]] std::optional<std::string> loop_assembly(std::string_view disassembly,
                                                       std::string& error);

// One instruction of a loop as the analysis reads it (x86 in AT&T syntax, or aarch64): what it
// reads and writes, the implicit registers included ("div %ecx" reads and writes %eax and %edx,
// a conditional move reads the flags, a shift by %cl reads %ecx), each register by its family
// ("a" for %al, %eax and %rax; "r3" for w3 and x3; "flags").
struct DecodedInstruction {
  std::string text;  // as the loop gives it, blanks folded: "div %ecx"
  std::string form;  // its mnemonic, the size suffix dropped where it has one: "div"
  std::vector<std::string> reads;
  std::vector<std::string> writes;
  bool known = true;  // false: an instruction the analysis does not know, its registers guessed
                      // (it reads every register it names and writes the last, and the flags)
};

// The instructions of a loop as loop_assembly() gives it, labels left out.
[[nodiscard]] std::vector<DecodedInstruction> decode_loop(std::string_view assembly);

// One instruction of the chain, with the latency it was given.
struct ChainStep {
  std::size_t index;  // in the loop
  std::string text;
  double cycles;
};

// The longest chain of dependent instructions that runs from one pass of the loop to the next:
// its cycles per pass (each instruction taking its latency, the loop run again and again with
// every instruction waiting for what it reads), and its instructions, in order, from one
// instruction of the chain to its next turn. Exits and the loop's own branch are predicted:
// they wait for nothing and nothing waits for them.
struct LatencyChain {
  double cycles_per_pass = 0;
  std::vector<ChainStep> steps;
};

// The latency of an instruction in cycles: from the measurements where there is one for it.
using LatencyOf = std::function<double(const DecodedInstruction&)>;

// The chain of the loop under the latencies; none where the loop carries nothing from one
// pass to the next.
[[nodiscard]] std::optional<LatencyChain> longest_chain(const std::vector<DecodedInstruction>& loop,
                                                        const LatencyOf& latency_of);
