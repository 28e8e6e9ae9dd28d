// Running objdump and llvm-mca on the kernels' loops.
#include "report/machine/model.h"

#include "platform/host.h"
#include "report/machine/machine_code.h"
#include "report/machine/mca.h"
#include "report/words/safe_text.h"
#include "report/words/trimmed.h"

namespace {

// A tool's first line, as a note may quote it.
std::string first_line(const std::string& text) {
  return safe_text(trimmed(std::string_view(text).substr(0, text.find('\n'))), 160);
}

bool ended_well(const ProgramRun& run) {
  return run.end == ProgramRun::End::exited && run.code == 0 && run.dropped == 0;
}

// Why a tool's run gave nothing to read, in one note.
std::string failure(const std::string& tool, const ProgramRun& run, std::chrono::seconds limit) {
  if (run.dropped != 0) {
    return tool + " wrote more than " + std::to_string(TOOL_OUTPUT_KEPT >> 20) +
           " MiB, which is no analysis of one loop";
  }
  if (run.end == ProgramRun::End::not_started) {
    return tool + " not found: " + describe_end(run, limit);
  }
  return tool + ": " + describe_end(run, limit) +
         (run.out.empty() ? "" : ", \"" + first_line(run.out) + "\"");
}

}  // namespace

std::optional<std::vector<KernelLoop>> find_kernel_loops(
    const std::vector<std::pair<std::string, std::string>>& kernels, const ModelTools& tools,
    std::string& note) {
  std::vector<KernelLoop> loops;
  for (const auto& [kernel, program] : kernels) {
    // The kernel's symbol as the C++ compiler names it: two unsigned 32-bit words in.
    const std::string symbol = "_Z" + std::to_string(kernel.size()) + kernel + "jj";
    const ProgramRun disassembly =
        run_tool({tools.objdump, "-d", "--no-show-raw-insn", "--disassemble=" + symbol, program},
                 {}, tools.limit);
    if (!ended_well(disassembly)) {
      note = failure(tools.objdump, disassembly, tools.limit);
      return std::nullopt;
    }
    std::string why;
    const std::optional<std::string> loop = loop_assembly(disassembly.out, why);
    if (!loop) {
      note = "no loop of " + kernel + " found in " + safe_text(program, 120) + ": " + why;
      return std::nullopt;
    }
    loops.push_back({kernel, *loop});
  }
  return loops;
}

std::optional<ProcessorModel> model_loops(const std::vector<KernelLoop>& loops,
                                          const ModelTools& tools, std::string& note) {
  ProcessorModel model;
  const ProgramRun version = run_tool({tools.llvm_mca, "--version"}, {}, tools.limit);
  if (!ended_well(version)) {
    note = failure(tools.llvm_mca, version, tools.limit);
    return std::nullopt;
  }
  model.tool = first_line(version.out);
  if (tools.cpu.empty()) {
    const std::optional<std::string> host = host_cpu(version.out);
    if (!host) {
      note = tools.llvm_mca +
             " --version names no host processor by a name it models: give one with --mcpu "
             "(znver3, icelake-server)";
      return std::nullopt;
    }
    model.cpu = *host;
  } else {
    model.cpu = tools.cpu;
  }
  for (const KernelLoop& loop : loops) {
    const ProgramRun mca = run_tool(
        {tools.llvm_mca, "-mcpu=" + model.cpu, "-iterations=100", "-bottleneck-analysis", "-"},
        loop.assembly, tools.limit);
    if (!ended_well(mca)) {
      note = failure(tools.llvm_mca + " -mcpu=" + model.cpu, mca, tools.limit);
      return std::nullopt;
    }
    std::string why;
    const std::optional<McaFigures> figures = parse_mca(mca.out, why);
    if (!figures) {
      note = tools.llvm_mca + " on " + loop.kernel + ": " + why;
      return std::nullopt;
    }
    // A model of part of the loop is no model of it: its table lists each instruction once.
    const std::size_t instructions = decode_loop(loop.assembly).size();
    if (figures->instructions != instructions) {
      note = tools.llvm_mca + " on " + loop.kernel + ": its table holds " +
             std::to_string(figures->instructions) + " instructions, and the loop " +
             std::to_string(instructions);
      return std::nullopt;
    }
    model.kernels.push_back({loop.kernel, figures->total_cycles / figures->iterations,
                             figures->block_rthroughput, figures->bound, figures->critical,
                             figures->slowest, figures->slowest_latency});
  }
  return model;
}
