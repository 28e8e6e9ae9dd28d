// Finding a kernel's loop in its disassembly, and reading llvm-mca's figures.
#include "report/model.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "platform/host.h"
#include "report/safe_text.h"

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

std::string first_line(const std::string& text) {
  return safe_text(trimmed(text.substr(0, text.find('\n'))), 160);
}

// The number after "key:" on the line that starts with it.
std::optional<double> figure(std::string_view output, std::string_view key) {
  const std::size_t at = output.find(key);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view rest = trimmed(output.substr(at + key.size(), 32));
  double value = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  return error == std::errc{} ? std::optional<double>(value) : std::nullopt;
}

// The name and the percentage of a line of the bottleneck analysis: "  - ICXPort0  [ 44.56% ]"
// gives "ICXPort0" and "44.6%".
std::pair<std::string, std::string> named_share(std::string_view line) {
  std::string_view name = trimmed(line.substr(0, line.find('[')));
  if (name.starts_with("- ")) {
    name.remove_prefix(2);
  }
  if (name.ends_with(':')) {
    name.remove_suffix(1);
  }
  const std::size_t open = line.find('[');
  const std::size_t percent = line.find('%', open);
  double value = 0;
  if (open != std::string_view::npos && percent != std::string_view::npos) {
    const std::string_view number = trimmed(line.substr(open + 1, percent - open - 1));
    std::from_chars(number.data(), number.data() + number.size(), value);
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", value);
  return {std::string(name), text};
}

std::string lower_case(std::string text) {
  for (char& c : text) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return text;
}

// The bottleneck analysis in one line, in its own terms: "backend pressure in 82.1% of
// cycles: resource pressure 52.1% (ICXPort0 44.6%, ICXPort6 44.6%), register dependencies
// 60.0%".
std::string bound_in_words(std::string_view output) {
  if (output.find("No resource or data dependency bottlenecks discovered") !=
      std::string_view::npos) {
    return "no resource or data dependency bottlenecks";
  }
  const std::size_t start = output.find("Cycles with backend pressure increase");
  if (start == std::string_view::npos) {
    return "no bottleneck analysis";
  }
  std::string words;
  std::vector<std::string> resources;
  bool in_resources = false;
  for (std::size_t position = start; position < output.size();) {
    const std::size_t end = std::min(output.find('\n', position), output.size());
    const std::string_view line = trimmed(output.substr(position, end - position));
    position = end + 1;
    if (line.empty()) {
      break;
    }
    const auto [name, percent] = named_share(line);
    if (line.starts_with("Cycles with backend pressure increase")) {
      words = "backend pressure in " + percent + " of cycles:";
    } else if (line.starts_with("Resource Pressure")) {
      words += " resource pressure " + percent;
      in_resources = true;
    } else if (line.starts_with("Data Dependencies")) {
      in_resources = false;
    } else if (line.starts_with("- ") && in_resources) {
      if (percent != "0.0%") {
        resources.push_back(name + " " + percent);
      }
    } else if (line.starts_with("- ") && percent != "0.0%") {
      words += ", " + lower_case(name) + " " + percent;
    }
    if (!in_resources && !resources.empty()) {
      std::string list;
      for (const std::string& resource : resources) {
        list += (list.empty() ? "" : ", ") + resource;
      }
      words += " (" + list + ")";
      resources.clear();
    }
  }
  return words;
}

// The instructions of the critical sequence ("+---->" lines), each with the latency that the
// model's instruction table gives it: "divl %ecx (76) -> testl %edx, %edx (1)"; and the one
// with the longest latency.
std::string critical_sequence(std::string_view output, std::string& slowest, double& latency) {
  // The table: "[1] [2] [3] ... Instructions:", then one row per instruction, in order.
  std::vector<std::string> latencies;
  const std::size_t table = output.find("Instructions:\n", output.find("Instruction Info:"));
  if (table != std::string_view::npos) {
    for (std::size_t position = table + 14; position < output.size();) {
      const std::size_t end = std::min(output.find('\n', position), output.size());
      const std::string_view row = trimmed(output.substr(position, end - position));
      position = end + 1;
      if (row.empty()) {
        break;
      }
      const std::string_view after_uops = trimmed(row.substr(row.find_first_of(" \t")));
      latencies.emplace_back(after_uops.substr(0, after_uops.find_first_of(" \t")));
    }
  }
  std::string sequence;
  std::vector<std::size_t> seen;
  const std::size_t start = output.find("Critical sequence based on the simulation:");
  for (std::size_t position = start; start != std::string_view::npos && position < output.size();) {
    const std::size_t end = std::min(output.find('\n', position), output.size());
    const std::string_view line = output.substr(position, end - position);
    position = end + 1;
    if (line.find("Instruction Info:") != std::string_view::npos) {
      break;
    }
    // " +----> 2.    divl\t%ecx     ## REGISTER dependency:  %eax", or "+----<" for the
    // instruction the sequence starts from; each instruction once.
    std::size_t arrow = line.find("+---->");
    arrow = arrow == std::string_view::npos ? line.find("+----<") : arrow;
    if (arrow == std::string_view::npos) {
      continue;
    }
    std::string_view rest = trimmed(line.substr(arrow + 6));
    const std::size_t dot = rest.find('.');
    std::size_t index = 0;
    std::from_chars(rest.data(), rest.data() + dot, index);
    if (std::find(seen.begin(), seen.end(), index) != seen.end()) {
      continue;
    }
    seen.push_back(index);
    std::string text(trimmed(rest.substr(dot + 1, rest.find("##") - dot - 1)));
    std::replace(text.begin(), text.end(), '\t', ' ');
    sequence += (sequence.empty() ? "" : " -> ") + text;
    if (index < latencies.size()) {
      sequence += " (" + latencies[index] + ")";
      const double cycles = std::strtod(latencies[index].c_str(), nullptr);
      if (cycles > latency) {
        latency = cycles;
        slowest = text;
      }
    }
  }
  return sequence;
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

std::optional<McaFigures> parse_mca(std::string_view output, std::string& error) {
  const std::optional<double> iterations = figure(output, "Iterations:");
  const std::optional<double> cycles = figure(output, "Total Cycles:");
  const std::optional<double> throughput = figure(output, "Block RThroughput:");
  if (!iterations || !cycles || !throughput || *iterations <= 0) {
    error = "no \"Iterations\", \"Total Cycles\" and \"Block RThroughput\" in its output";
    return std::nullopt;
  }
  McaFigures figures{*iterations, *cycles, *throughput, bound_in_words(output), "", "", 0};
  figures.critical = critical_sequence(output, figures.slowest, figures.slowest_latency);
  return figures;
}

std::optional<std::string> host_cpu(std::string_view version) {
  const std::string_view key = "Host CPU:";
  const std::size_t at = version.find(key);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view rest = version.substr(at + key.size());
  const std::string_view name = trimmed(rest.substr(0, rest.find('\n')));
  return name.empty() ? std::nullopt : std::optional<std::string>(name);
}

std::optional<ProcessorModel> model_kernels(
    const std::vector<std::pair<std::string, std::string>>& kernels, const ModelTools& tools,
    std::string& note) {
  const auto failed = [&](const std::string& tool, const ProgramRun& run) {
    if (run.end == ProgramRun::End::not_started) {
      note = tool + " not found: " + describe_end(run, tools.limit);
    } else {
      note = tool + ": " + describe_end(run, tools.limit) +
             (run.out.empty() ? "" : ", \"" + first_line(run.out) + "\"");
    }
    return std::nullopt;
  };
  ProcessorModel model;
  const ProgramRun version = run_tool({tools.llvm_mca, "--version"}, {}, tools.limit);
  if (version.end != ProgramRun::End::exited || version.code != 0) {
    return failed(tools.llvm_mca, version);
  }
  model.tool = first_line(version.out);
  if (tools.cpu.empty()) {
    const std::optional<std::string> host = host_cpu(version.out);
    if (!host) {
      note = tools.llvm_mca + " --version names no host processor: give one with --mcpu";
      return std::nullopt;
    }
    model.cpu = *host;
  } else {
    model.cpu = tools.cpu;
  }
  for (const auto& [kernel, program] : kernels) {
    // The kernel's symbol as the C++ compiler names it: two unsigned 32-bit words in.
    const std::string symbol = "_Z" + std::to_string(kernel.size()) + kernel + "jj";
    const ProgramRun disassembly =
        run_tool({tools.objdump, "-d", "--no-show-raw-insn", "--disassemble=" + symbol, program},
                 {}, tools.limit);
    if (disassembly.end != ProgramRun::End::exited || disassembly.code != 0) {
      return failed(tools.objdump, disassembly);
    }
    std::string why;
    const std::optional<std::string> loop = loop_assembly(disassembly.out, why);
    if (!loop) {
      note = "no loop of " + kernel + " found in " + safe_text(program, 120) + ": " + why;
      return std::nullopt;
    }
    const ProgramRun mca = run_tool(
        {tools.llvm_mca, "-mcpu=" + model.cpu, "-iterations=100", "-bottleneck-analysis", "-"},
        *loop, tools.limit);
    if (mca.end != ProgramRun::End::exited || mca.code != 0) {
      return failed(tools.llvm_mca + " -mcpu=" + model.cpu, mca);
    }
    const std::optional<McaFigures> figures = parse_mca(mca.out, why);
    if (!figures) {
      note = tools.llvm_mca + " on " + kernel + ": " + why;
      return std::nullopt;
    }
    model.kernels.push_back({kernel, figures->total_cycles / figures->iterations,
                             figures->block_rthroughput, figures->bound, figures->critical,
                             figures->slowest, figures->slowest_latency});
  }
  return model;
}
