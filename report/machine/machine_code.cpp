// Reading a kernel's machine code in objdump's disassembly.
#include "report/machine/machine_code.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>
#include <vector>

#include "report/words/trimmed.h"

namespace {

struct Instruction {
  unsigned long address = 0;
  std::string text;                     // mnemonic and operands
  std::optional<unsigned long> target;  // of a branch
  std::size_t target_start = 0;         // where "ADDRESS <symbol+offset>" starts in text
};

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
  std::string_view text = line.substr(colon + 1);
  // objdump's comments: "// b.any" on aarch64, "# 4010 <name>" on x86, whose "$" immediates
  // leave '#' to comments (aarch64 writes its immediates with one).
  text = text.substr(0, text.find("//"));
  if (text.find('%') != std::string_view::npos) {
    text = text.substr(0, text.find('#'));
  }
  text = trimmed(text);
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

namespace {

std::vector<std::string_view> operands_of(std::string_view text) {
  std::vector<std::string_view> operands;
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || (text[i] == ',' && depth == 0)) {
      const std::string_view operand = trimmed(text.substr(start, i - start));
      if (!operand.empty()) {
        operands.push_back(operand);
      }
      start = i + 1;
    } else if (text[i] == '(') {
      ++depth;
    } else if (text[i] == ')') {
      --depth;
    }
  }
  return operands;
}

bool is_digits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// An x86 register's family: "a" for al, ah, ax, eax and rax; "r8" for r8b to r8; "" for what is
// no general register.
std::string x86_family(std::string_view name) {
  static constexpr std::pair<std::string_view, std::string_view> NAMES[] = {
      {"rax", "a"},  {"eax", "a"},  {"ax", "a"},   {"al", "a"},   {"ah", "a"},   {"rbx", "b"},
      {"ebx", "b"},  {"bx", "b"},   {"bl", "b"},   {"bh", "b"},   {"rcx", "c"},  {"ecx", "c"},
      {"cx", "c"},   {"cl", "c"},   {"ch", "c"},   {"rdx", "d"},  {"edx", "d"},  {"dx", "d"},
      {"dl", "d"},   {"dh", "d"},   {"rsi", "si"}, {"esi", "si"}, {"si", "si"},  {"sil", "si"},
      {"rdi", "di"}, {"edi", "di"}, {"di", "di"},  {"dil", "di"}, {"rbp", "bp"}, {"ebp", "bp"},
      {"bp", "bp"},  {"bpl", "bp"}, {"rsp", "sp"}, {"esp", "sp"}, {"sp", "sp"},  {"spl", "sp"},
  };
  for (const auto& [known, family] : NAMES) {
    if (name == known) {
      return std::string(family);
    }
  }
  if (name.starts_with("r") && name.size() >= 2) {
    std::string_view number = name.substr(1);
    if (!number.empty() && (number.back() == 'd' || number.back() == 'w' || number.back() == 'b')) {
      number.remove_suffix(1);
    }
    if (is_digits(number)) {
      std::string family(1, 'r');
      return family.append(number);
    }
  }
  return "";
}

// The registers an x86 operand names: itself, or the base and index of an address.
std::vector<std::string> x86_registers(std::string_view operand) {
  std::vector<std::string> found;
  for (std::size_t at = operand.find('%'); at != std::string_view::npos;
       at = operand.find('%', at + 1)) {
    std::size_t end = at + 1;
    while (end < operand.size() && std::isalnum(static_cast<unsigned char>(operand[end])) != 0) {
      ++end;
    }
    if (std::string family = x86_family(operand.substr(at + 1, end - at - 1)); !family.empty()) {
      found.push_back(family);
    }
  }
  return found;
}

bool is_register(std::string_view operand) { return operand.starts_with('%'); }

void add_all(std::vector<std::string>& to, const std::vector<std::string>& from) {
  to.insert(to.end(), from.begin(), from.end());
}

// An x86 instruction in AT&T syntax: sources first, the destination last.
void decode_x86(DecodedInstruction& decoded, std::string_view mnemonic,
                const std::vector<std::string_view>& operands) {
  static constexpr std::string_view KNOWN[] = {
      "mov", "movzx", "movzbl", "movzwl", "movsbl", "movswl", "movslq", "add",  "sub",
      "and", "or",    "xor",    "adc",    "sbb",    "cmp",    "test",   "shr",  "shl",
      "sar", "sal",   "rol",    "ror",    "tzcnt",  "lzcnt",  "popcnt", "bsf",  "bsr",
      "div", "idiv",  "mul",    "imul",   "cltd",   "cdq",    "cltq",   "cdqe", "neg",
      "not", "inc",   "dec",    "lea",    "jmp",    "nop",    "nopl",   "nopw", "xchg",
      "ret", "bswap", "shrx",   "shlx",   "sarx",   "blsr",   "andn"};
  const auto known = [&](std::string_view name) {
    return std::find(std::begin(KNOWN), std::end(KNOWN), name) != std::end(KNOWN) ||
           (name.size() > 4 && name.starts_with("cmov")) ||
           (name.size() > 3 && name.starts_with("set")) ||
           (name.size() > 1 && name.starts_with('j'));
  };
  std::string_view name = mnemonic;
  if (!known(name) && name.size() > 1 &&
      std::string_view("bwlq").find(name.back()) != std::string_view::npos &&
      known(name.substr(0, name.size() - 1))) {
    name.remove_suffix(1);  // movl, shrl: the size suffix
  }
  decoded.form = std::string(name);
  std::vector<std::string> all;  // every register the operands name
  for (const std::string_view operand : operands) {
    add_all(all, x86_registers(operand));
  }
  const std::string_view destination = operands.empty() ? std::string_view() : operands.back();
  const std::vector<std::string> written =
      is_register(destination) ? x86_registers(destination) : std::vector<std::string>{};
  // What the sources and an address of the destination read.
  std::vector<std::string> sources;
  for (std::size_t i = 0; i + 1 < operands.size(); ++i) {
    add_all(sources, x86_registers(operands[i]));
  }
  if (!is_register(destination)) {
    add_all(sources, x86_registers(destination));
  }
  auto& reads = decoded.reads;
  auto& writes = decoded.writes;
  const auto flags_out = [&] { writes.emplace_back("flags"); };
  if (name == "mov" || name.starts_with("movz") || name.starts_with("movs") || name == "lea") {
    add_all(reads, sources);
    add_all(writes, written);
  } else if (name == "xor" || name == "sub" || name == "sbb") {
    // A register with itself: a zeroing idiom, which waits for nothing (sbb for the carry).
    const bool idiom = operands.size() == 2 && operands[0] == operands[1] && name != "sbb";
    if (!idiom) {
      add_all(reads, all);
    }
    if (name == "sbb") {
      reads.emplace_back("flags");
    }
    add_all(writes, written);
    flags_out();
  } else if (name == "add" || name == "and" || name == "or" || name == "adc" || name == "andn") {
    add_all(reads, all);
    if (name == "adc") {
      reads.emplace_back("flags");
    }
    add_all(writes, written);
    flags_out();
  } else if (name == "cmp" || name == "test") {
    add_all(reads, all);
    flags_out();
  } else if (name == "shr" || name == "shl" || name == "sar" || name == "sal" || name == "rol" ||
             name == "ror") {
    add_all(reads, all);
    add_all(writes, written);
    flags_out();
    if (name == "shr") {
      const bool by_cl = operands.size() == 2 && operands[0] == "%cl";
      decoded.form = by_cl ? "shr_cl" : "shr_1";
    }
  } else if (name == "shrx" || name == "shlx" || name == "sarx" || name == "blsr") {
    add_all(reads, sources);
    add_all(writes, written);
  } else if (name == "tzcnt" || name == "lzcnt" || name == "popcnt" || name == "bsf" ||
             name == "bsr") {
    add_all(reads, sources);
    if (name == "bsf" || name == "bsr") {
      add_all(reads, written);  // a zero source leaves the destination as it was
    }
    add_all(writes, written);
    flags_out();
  } else if (name.starts_with("cmov")) {
    add_all(reads, all);
    reads.emplace_back("flags");
    add_all(writes, written);
  } else if (name.starts_with("set")) {
    reads.emplace_back("flags");
    add_all(writes, written);
  } else if (name == "div" || name == "idiv" || (name == "mul" && operands.size() == 1) ||
             (name == "imul" && operands.size() == 1)) {
    add_all(reads, all);
    reads.emplace_back("a");
    reads.emplace_back("d");
    writes.emplace_back("a");
    writes.emplace_back("d");
    flags_out();
  } else if (name == "imul" || name == "mul") {
    add_all(reads, operands.size() == 3 ? sources : all);
    add_all(writes, written);
    flags_out();
  } else if (name == "cltd" || name == "cdq") {
    reads.emplace_back("a");
    writes.emplace_back("d");
  } else if (name == "cltq" || name == "cdqe") {
    reads.emplace_back("a");
    writes.emplace_back("a");
  } else if (name == "neg" || name == "inc" || name == "dec" || name == "not" || name == "bswap") {
    add_all(reads, all);
    add_all(writes, written);
    if (name != "not" && name != "bswap") {
      flags_out();
    }
  } else if (name == "xchg") {
    add_all(reads, all);
    add_all(writes, all);
  } else if (name.starts_with('j') && name != "jmp") {
    reads.emplace_back("flags");
  } else if (!known(name)) {
    decoded.known = false;
    add_all(reads, all);
    add_all(writes, written);
    flags_out();
  }
}

// An aarch64 register's family: "r3" for w3 and x3, "sp"; "" for the zero register and what is
// no register.
std::string arm_family(std::string_view operand) {
  if (operand == "sp" || operand == "wsp") {
    return "sp";
  }
  if (operand.size() >= 2 && (operand[0] == 'w' || operand[0] == 'x') &&
      is_digits(operand.substr(1))) {
    std::string family(1, 'r');
    return family.append(operand.substr(1));
  }
  return "";
}

// An aarch64 instruction: the destination first, then the sources.
void decode_arm(DecodedInstruction& decoded, std::string_view mnemonic,
                const std::vector<std::string_view>& operands) {
  static constexpr std::string_view WRITES_FIRST[] = {
      "udiv", "sdiv", "msub", "madd", "mul",   "rbit",  "clz",   "rev",  "neg",   "mvn",  "lsr",
      "lsl",  "asr",  "ror",  "add",  "sub",   "and",   "orr",   "eor",  "bic",   "adds", "subs",
      "ands", "bics", "negs", "csel", "csinc", "csinv", "csneg", "cset", "csetm", "cinc", "cneg",
      "mov",  "movz", "movk", "movn", "sxtw",  "uxtw",  "ubfx",  "sbfx", "lsrv",  "lslv"};
  decoded.form = std::string(mnemonic);
  std::vector<std::string> registers;
  for (const std::string_view operand : operands) {
    if (std::string family = arm_family(operand); !family.empty()) {
      registers.push_back(family);
    }
  }
  auto& reads = decoded.reads;
  auto& writes = decoded.writes;
  const bool sets_flags = mnemonic == "adds" || mnemonic == "subs" || mnemonic == "ands" ||
                          mnemonic == "bics" || mnemonic == "negs" || mnemonic == "cmp" ||
                          mnemonic == "cmn" || mnemonic == "tst" || mnemonic == "ccmp" ||
                          mnemonic == "ccmn";
  const bool reads_flags = mnemonic.starts_with("cs") || mnemonic == "cinc" || mnemonic == "cneg" ||
                           mnemonic == "ccmp" || mnemonic == "ccmn" || mnemonic.starts_with("b.");
  if (std::find(std::begin(WRITES_FIRST), std::end(WRITES_FIRST), mnemonic) !=
      std::end(WRITES_FIRST)) {
    const std::string destination = operands.empty() ? "" : arm_family(operands.front());
    for (std::size_t i = 1; i < operands.size(); ++i) {
      if (std::string family = arm_family(operands[i]); !family.empty()) {
        reads.push_back(family);
      }
    }
    if (!destination.empty()) {
      writes.push_back(destination);
    }
  } else if (mnemonic == "cmp" || mnemonic == "cmn" || mnemonic == "tst" || mnemonic == "ccmp" ||
             mnemonic == "ccmn" || mnemonic == "cbz" || mnemonic == "cbnz" || mnemonic == "tbz" ||
             mnemonic == "tbnz") {
    add_all(reads, registers);
  } else if (!(mnemonic == "b" || mnemonic.starts_with("b.") || mnemonic == "nop" ||
               mnemonic == "ret")) {
    decoded.known = false;
    add_all(reads, registers);
    if (!registers.empty()) {
      writes.push_back(registers.front());
    }
  }
  if (reads_flags) {
    reads.emplace_back("flags");
  }
  if (sets_flags || !decoded.known) {
    writes.emplace_back("flags");
  }
}

}  // namespace

std::vector<DecodedInstruction> decode_loop(std::string_view assembly) {
  // AT&T syntax names every register with '%'; aarch64's names none so.
  const bool x86 = assembly.find('%') != std::string_view::npos;
  std::vector<DecodedInstruction> loop;
  while (!assembly.empty()) {
    const std::size_t end = assembly.find('\n');
    const std::string_view line = trimmed(assembly.substr(0, end));
    assembly = end == std::string_view::npos ? std::string_view() : assembly.substr(end + 1);
    if (line.empty() || line.ends_with(':')) {
      continue;  // a label
    }
    const std::size_t gap = line.find_first_of(" \t");
    const std::string_view mnemonic = line.substr(0, gap);
    std::string_view rest =
        gap == std::string_view::npos ? std::string_view() : trimmed(line.substr(gap));
    rest = trimmed(rest.substr(0, rest.find("//")));  // objdump's comment on aarch64
    const std::vector<std::string_view> operands = operands_of(rest);
    DecodedInstruction decoded;
    decoded.text = std::string(mnemonic);
    if (!rest.empty()) {
      decoded.text.append(1, ' ').append(rest);
    }
    if (x86) {
      decode_x86(decoded, mnemonic, operands);
    } else {
      decode_arm(decoded, mnemonic, operands);
    }
    loop.push_back(std::move(decoded));
  }
  return loop;
}

std::optional<LatencyChain> longest_chain(const std::vector<DecodedInstruction>& loop,
                                          const LatencyOf& latency_of) {
  const std::size_t size = loop.size();
  if (size == 0) {
    return std::nullopt;
  }
  std::vector<double> latency;
  for (const DecodedInstruction& instruction : loop) {
    latency.push_back(latency_of(instruction));
  }
  // The loop run ITERATIONS times, every instruction starting when the last of what it reads is
  // ready; each run of an instruction keeps the run of the one it waited for.
  constexpr std::size_t ITERATIONS = 64;
  struct Run {
    double finish = 0;
    std::optional<std::size_t> waited_for;
  };
  std::vector<Run> runs(ITERATIONS * size);
  std::vector<std::pair<std::string, std::size_t>> last_writer;
  std::vector<double> end_of_pass;
  double latest = 0;
  for (std::size_t pass = 0; pass < ITERATIONS; ++pass) {
    for (std::size_t i = 0; i < size; ++i) {
      Run& run = runs[pass * size + i];
      double start = 0;
      for (const std::string& read : loop[i].reads) {
        for (const auto& [family, writer] : last_writer) {
          if (family == read && runs[writer].finish > start) {
            start = runs[writer].finish;
            run.waited_for = writer;
          }
        }
      }
      run.finish = start + latency[i];
      latest = std::max(latest, run.finish);
      for (const std::string& written : loop[i].writes) {
        const auto found = std::find_if(last_writer.begin(), last_writer.end(),
                                        [&](const auto& entry) { return entry.first == written; });
        if (found == last_writer.end()) {
          last_writer.emplace_back(written, pass * size + i);
        } else {
          found->second = pass * size + i;
        }
      }
    }
    end_of_pass.push_back(latest);
  }
  constexpr std::size_t HALF = ITERATIONS / 2;
  LatencyChain chain;
  chain.cycles_per_pass = (end_of_pass.back() - end_of_pass[HALF - 1]) / HALF;
  if (chain.cycles_per_pass <= 1e-9) {
    return std::nullopt;
  }
  // Back from the last pass's latest run, run by run, to an instruction met before: the runs
  // between are the chain that sets the pace.
  std::size_t at = (ITERATIONS - 1) * size;
  for (std::size_t i = at; i < runs.size(); ++i) {
    at = runs[i].finish > runs[at].finish ? i : at;
  }
  std::vector<std::size_t> path;
  std::vector<std::optional<std::size_t>> met(size);
  std::optional<std::size_t> from = at;
  std::size_t cycle_start = 0;
  while (from) {
    const std::size_t instruction = *from % size;
    if (met[instruction]) {
      cycle_start = *met[instruction];
      break;
    }
    met[instruction] = path.size();
    path.push_back(*from);
    from = runs[*from].waited_for;
  }
  std::vector<std::size_t> cycle(path.begin() + static_cast<std::ptrdiff_t>(cycle_start),
                                 path.end());
  std::reverse(cycle.begin(), cycle.end());
  // Told from the instruction of the chain that comes first in the loop.
  const auto first =
      std::min_element(cycle.begin(), cycle.end(),
                       [&](std::size_t a, std::size_t b) { return a % size < b % size; });
  std::rotate(cycle.begin(), first, cycle.end());
  for (const std::size_t run : cycle) {
    chain.steps.push_back({run % size, loop[run % size].text, latency[run % size]});
  }
  return chain;
}
