// Reading a kernel's machine code in objdump's disassembly.
#include "report/machine/machine_code.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
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

// How an x86 instruction reads and writes registers and flags, kind by kind.
enum class X86Kind {
  move,         // reads its sources, writes its destination
  arithmetic,   // reads both, writes the destination and the flags (a zeroing idiom reads none)
  compare,      // reads both, writes the flags
  shift,        // reads both, writes the destination and the flags
  flagless,     // shrx, shlx, sarx, blsr: reads its sources, writes its destination
  count,        // tzcnt, lzcnt, popcnt, bsf, bsr: reads its source, writes its destination
  select,       // cmov: reads both and the flags, writes the destination
  set,          // setcc: reads the flags, writes its destination
  divide,       // div, idiv and the one-operand mul and imul: eax and edx, in and out
  multiply,     // the two- and three-operand imul
  extend_to_d,  // cltd, cdq: eax into edx
  extend_a,     // cltq, cdqe: eax into rax
  unary,        // neg, inc, dec, not, bswap
  exchange,     // xchg: both ways
  branch,       // a conditional jump: reads the flags
  none,         // jmp, nop, ret: nothing the chain follows
  unknown,
};

X86Kind x86_kind(std::string_view name, std::size_t operands) {
  static constexpr std::pair<std::string_view, X86Kind> KINDS[] = {
      {"mov", X86Kind::move},        {"movzx", X86Kind::move},     {"movzbl", X86Kind::move},
      {"movzwl", X86Kind::move},     {"movsbl", X86Kind::move},    {"movswl", X86Kind::move},
      {"movslq", X86Kind::move},     {"lea", X86Kind::move},       {"add", X86Kind::arithmetic},
      {"sub", X86Kind::arithmetic},  {"and", X86Kind::arithmetic}, {"or", X86Kind::arithmetic},
      {"xor", X86Kind::arithmetic},  {"adc", X86Kind::arithmetic}, {"sbb", X86Kind::arithmetic},
      {"andn", X86Kind::arithmetic}, {"cmp", X86Kind::compare},    {"test", X86Kind::compare},
      {"shr", X86Kind::shift},       {"shl", X86Kind::shift},      {"sar", X86Kind::shift},
      {"sal", X86Kind::shift},       {"rol", X86Kind::shift},      {"ror", X86Kind::shift},
      {"shrx", X86Kind::flagless},   {"shlx", X86Kind::flagless},  {"sarx", X86Kind::flagless},
      {"blsr", X86Kind::flagless},   {"tzcnt", X86Kind::count},    {"lzcnt", X86Kind::count},
      {"popcnt", X86Kind::count},    {"bsf", X86Kind::count},      {"bsr", X86Kind::count},
      {"div", X86Kind::divide},      {"idiv", X86Kind::divide},    {"cltd", X86Kind::extend_to_d},
      {"cdq", X86Kind::extend_to_d}, {"cltq", X86Kind::extend_a},  {"cdqe", X86Kind::extend_a},
      {"neg", X86Kind::unary},       {"not", X86Kind::unary},      {"inc", X86Kind::unary},
      {"dec", X86Kind::unary},       {"bswap", X86Kind::unary},    {"xchg", X86Kind::exchange},
      {"jmp", X86Kind::none},        {"nop", X86Kind::none},       {"nopl", X86Kind::none},
      {"nopw", X86Kind::none},       {"ret", X86Kind::none},
  };
  for (const auto& [known, kind] : KINDS) {
    if (name == known) {
      return kind;
    }
  }
  if (name == "mul" || name == "imul") {
    return operands == 1 ? X86Kind::divide : X86Kind::multiply;
  }
  if (name.size() > 4 && name.starts_with("cmov")) {
    return X86Kind::select;
  }
  if (name.size() > 3 && name.starts_with("set")) {
    return X86Kind::set;
  }
  return name.size() > 1 && name.starts_with('j') ? X86Kind::branch : X86Kind::unknown;
}

// The mnemonic as the analysis knows it: the size suffix dropped where it has one (movl, shrl).
std::string_view x86_name(std::string_view mnemonic) {
  const auto known = [](std::string_view name) { return x86_kind(name, 2) != X86Kind::unknown; };
  if (!known(mnemonic) && mnemonic.size() > 1 &&
      std::string_view("bwlq").find(mnemonic.back()) != std::string_view::npos &&
      known(mnemonic.substr(0, mnemonic.size() - 1))) {
    mnemonic.remove_suffix(1);
  }
  return mnemonic;
}

// The registers an instruction's operands name: all of them; what its sources and an address
// of its destination read; the register it writes, where its destination is one.
struct X86Operands {
  std::vector<std::string> all;
  std::vector<std::string> sources;
  std::vector<std::string> written;
};

X86Operands x86_operands(const std::vector<std::string_view>& operands) {
  X86Operands registers;
  for (const std::string_view operand : operands) {
    add_all(registers.all, x86_registers(operand));
  }
  const std::string_view destination = operands.empty() ? std::string_view() : operands.back();
  if (is_register(destination)) {
    registers.written = x86_registers(destination);
  }
  for (std::size_t i = 0; i + 1 < operands.size(); ++i) {
    add_all(registers.sources, x86_registers(operands[i]));
  }
  if (!is_register(destination)) {
    add_all(registers.sources, x86_registers(destination));
  }
  return registers;
}

// An x86 instruction in AT&T syntax: sources first, the destination last.
void decode_x86(DecodedInstruction& decoded, std::string_view mnemonic,
                const std::vector<std::string_view>& operands) {
  const std::string_view name = x86_name(mnemonic);
  decoded.form = std::string(name);
  const X86Operands registers = x86_operands(operands);
  auto& reads = decoded.reads;
  auto& writes = decoded.writes;
  const auto read = [&](const std::vector<std::string>& these) { add_all(reads, these); };
  const auto write = [&](const std::vector<std::string>& these) { add_all(writes, these); };
  switch (x86_kind(name, operands.size())) {
    case X86Kind::move:
    case X86Kind::flagless: read(registers.sources), write(registers.written); break;
    case X86Kind::arithmetic: {
      // A register with itself: a zeroing idiom, which waits for nothing (sbb for the carry).
      const bool idiom = operands.size() == 2 && operands[0] == operands[1] && name != "sbb";
      read(idiom ? std::vector<std::string>{} : registers.all);
      read(name == "adc" || name == "sbb" ? std::vector<std::string>{"flags"}
                                          : std::vector<std::string>{});
      write(registers.written), write({"flags"});
      break;
    }
    case X86Kind::compare: read(registers.all), write({"flags"}); break;
    case X86Kind::shift:
      read(registers.all), write(registers.written), write({"flags"});
      if (name == "shr") {
        decoded.form = operands.size() == 2 && operands[0] == "%cl" ? "shr_cl" : "shr_1";
      }
      break;
    case X86Kind::count:
      read(registers.sources);
      if (name == "bsf" || name == "bsr") {
        read(registers.written);  // a zero source leaves the destination as it was
      }
      write(registers.written), write({"flags"});
      break;
    case X86Kind::select: read(registers.all), read({"flags"}), write(registers.written); break;
    case X86Kind::set: read({"flags"}), write(registers.written); break;
    case X86Kind::divide: read(registers.all), read({"a", "d"}), write({"a", "d", "flags"}); break;
    case X86Kind::multiply:
      read(operands.size() == 3 ? registers.sources : registers.all);
      write(registers.written), write({"flags"});
      break;
    case X86Kind::extend_to_d: read({"a"}), write({"d"}); break;
    case X86Kind::extend_a: read({"a"}), write({"a"}); break;
    case X86Kind::unary:
      read(registers.all), write(registers.written);
      if (name != "not" && name != "bswap") {
        write({"flags"});
      }
      break;
    case X86Kind::exchange: read(registers.all), write(registers.all); break;
    case X86Kind::branch: read({"flags"}); break;
    case X86Kind::none: break;
    case X86Kind::unknown:
      decoded.known = false;
      read(registers.all), write(registers.written), write({"flags"});
      break;
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

namespace {

// The loop run CHAIN_ITERATIONS times, every instruction starting when the last of what it
// reads is ready; each run of an instruction keeps the run of the one it waited for.
constexpr std::size_t CHAIN_ITERATIONS = 64;

struct Run {
  double finish = 0;
  std::optional<std::size_t> waited_for;
};

struct Schedule {
  std::vector<Run> runs;            // pass by pass, instruction by instruction
  std::vector<double> end_of_pass;  // the latest finish so far, after each pass
};

Schedule schedule(const std::vector<DecodedInstruction>& loop, const std::vector<double>& latency) {
  const std::size_t size = loop.size();
  Schedule out;
  out.runs.resize(CHAIN_ITERATIONS * size);
  std::vector<std::pair<std::string, std::size_t>> last_writer;
  double latest = 0;
  for (std::size_t pass = 0; pass < CHAIN_ITERATIONS; ++pass) {
    for (std::size_t i = 0; i < size; ++i) {
      Run& run = out.runs[pass * size + i];
      double start = 0;
      for (const std::string& read : loop[i].reads) {
        for (const auto& [family, writer] : last_writer) {
          if (family == read && out.runs[writer].finish > start) {
            start = out.runs[writer].finish;
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
    out.end_of_pass.push_back(latest);
  }
  return out;
}

// Back from the last pass's latest run, run by run, to an instruction met before: the runs
// between are the chain that sets the pace, told from its instruction that comes first in the
// loop.
std::vector<std::size_t> pacing_cycle(const std::vector<Run>& runs, std::size_t size) {
  std::size_t at = (CHAIN_ITERATIONS - 1) * size;
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
  const auto first =
      std::min_element(cycle.begin(), cycle.end(),
                       [&](std::size_t a, std::size_t b) { return a % size < b % size; });
  std::rotate(cycle.begin(), first, cycle.end());
  return cycle;
}

}  // namespace

std::optional<LatencyChain> longest_chain(const std::vector<DecodedInstruction>& loop,
                                          const LatencyOf& latency_of) {
  const std::size_t size = loop.size();
  if (size == 0) {
    return std::nullopt;
  }
  std::vector<double> latency;
  std::vector<double> shown;  // to the tenth of a cycle the report shows
  for (const DecodedInstruction& instruction : loop) {
    latency.push_back(latency_of(instruction));
    shown.push_back(std::nearbyint(latency.back() * 10) / 10);
  }
  const Schedule runs = schedule(loop, latency);
  // The pace of the second half, when the chain has taken over from the loop's first passes.
  constexpr std::size_t HALF = CHAIN_ITERATIONS / 2;
  LatencyChain chain;
  chain.cycles_per_pass = (runs.end_of_pass.back() - runs.end_of_pass[HALF - 1]) / HALF;
  if (chain.cycles_per_pass <= 1e-9) {
    return std::nullopt;
  }
  // The pace from the latencies as timed; the path from them as shown: where two paths are the
  // same to a tenth of a cycle, their order in the loop tells them apart, not a timing's noise,
  // so that the chain's steps are the same in every run.
  for (const std::size_t run : pacing_cycle(schedule(loop, shown).runs, size)) {
    chain.steps.push_back({run % size, loop[run % size].text, latency[run % size]});
  }
  return chain;
}
