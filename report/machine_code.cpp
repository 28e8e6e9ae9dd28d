// Reading a kernel's machine code in objdump's disassembly.
#include "report/machine_code.h"

#include <charconv>
#include <vector>

namespace {

struct Instruction {
  unsigned long address = 0;
  std::string text;                     // mnemonic and operands
  std::optional<unsigned long> target;  // of a branch
  std::size_t target_start = 0;         // where "ADDRESS <symbol+offset>" starts in text
};

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<unsigned long> hex(std::string_view text) {
  unsigned long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

// "    1279:\tjne    1270 <_Z12gcd_euclid_sjj+0x10>": the address, the text, and for a
// branch its target, the address before "<symbol+offset>".
std::optional<Instruction> instruction(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) {
    return std::nullopt;
  }
  const std::optional<unsigned long> address = hex(trimmed(line.substr(0, colon)));
  const std::string_view text = trimmed(line.substr(colon + 1));
  if (!address || text.empty()) {
    return std::nullopt;
  }
  Instruction found{*address, std::string(text), std::nullopt, 0};
  const std::size_t symbol = text.find(" <");
  if (symbol != std::string_view::npos && text.back() == '>') {
    std::size_t start = text.find_last_of(" \t,", symbol - 1);
    start = start == std::string_view::npos ? 0 : start + 1;
    found.target = hex(text.substr(start, symbol - start));
    found.target_start = start;
  }
  return found;
}

}  // namespace

std::optional<std::string> loop_assembly(std::string_view disassembly, std::string& error) {
  std::vector<Instruction> instructions;
  while (!disassembly.empty()) {
    const std::size_t end = disassembly.find('\n');
    if (std::optional<Instruction> found = instruction(disassembly.substr(0, end))) {
      instructions.push_back(std::move(*found));
    }
    disassembly = end == std::string_view::npos ? std::string_view() : disassembly.substr(end + 1);
  }
  if (instructions.empty()) {
    error = "no instructions";
    return std::nullopt;
  }
  // The backward branch that reaches furthest back within the function: the outer loop.
  const unsigned long start = instructions.front().address;
  std::optional<std::size_t> back;
  for (std::size_t i = 0; i < instructions.size(); ++i) {
    const std::optional<unsigned long> target = instructions[i].target;
    if (target && *target <= instructions[i].address && *target >= start &&
        (!back || *target < *instructions[*back].target)) {
      back = i;
    }
  }
  if (!back) {
    error = "no loop";
    return std::nullopt;
  }
  const unsigned long head = *instructions[*back].target;
  std::string assembly = ".Lloop:\n";
  for (std::size_t i = 0; i <= *back; ++i) {
    const Instruction& at = instructions[i];
    if (at.address < head) {
      continue;
    }
    std::string text = at.text;
    if (at.target) {
      text = text.substr(0, at.target_start) + (*at.target == head ? ".Lloop" : ".Lexit");
    }
    assembly += "\t" + text + "\n";
  }
  return assembly;
}
