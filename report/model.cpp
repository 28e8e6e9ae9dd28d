// Running objdump and llvm-mca on the kernels' loops.
#include "report/model.h"

#include "platform/host.h"
#include "report/machine_code.h"
#include "report/mca.h"
#include "report/safe_text.h"

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string first_line(const std::string& text) {
  return safe_text(trimmed(std::string_view(text).substr(0, text.find('\n'))), 160);
}

}  // namespace

std::optional<ProcessorModel> model_kernels(
    const std::vector<std::pair<std::string, std::string>>& kernels, const ModelTools& tools,
    std::string& note) {
  const auto failed = [&](const std::string& tool, const ProgramRun& run) {
    if (run.dropped != 0) {
      note = tool + " wrote more than " + std::to_string(TOOL_OUTPUT_KEPT >> 20) +
             " MiB, which is no analysis of one loop";
    } else if (run.end == ProgramRun::End::not_started) {
      note = tool + " not found: " + describe_end(run, tools.limit);
    } else {
      note = tool + ": " + describe_end(run, tools.limit) +
             (run.out.empty() ? "" : ", \"" + first_line(run.out) + "\"");
    }
    return std::nullopt;
  };
  ProcessorModel model;
  const ProgramRun version = run_tool({tools.llvm_mca, "--version"}, {}, tools.limit);
  const auto ok = [](const ProgramRun& run) {
    return run.end == ProgramRun::End::exited && run.code == 0 && run.dropped == 0;
  };
  if (!ok(version)) {
    return failed(tools.llvm_mca, version);
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
  for (const auto& [kernel, program] : kernels) {
    // The kernel's symbol as the C++ compiler names it: two unsigned 32-bit words in.
    const std::string symbol = "_Z" + std::to_string(kernel.size()) + kernel + "jj";
    const ProgramRun disassembly =
        run_tool({tools.objdump, "-d", "--no-show-raw-insn", "--disassemble=" + symbol, program},
                 {}, tools.limit);
    if (!ok(disassembly)) {
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
    if (!ok(mca)) {
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
