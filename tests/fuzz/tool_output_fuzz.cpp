// libFuzzer target: any bytes as another tool's output. The readers of objdump's and
// llvm-mca's output, of the programs' messages and of /proc/cpuinfo must take it without throwing
// or reading out of bounds, and what they take must be what the report can show and keep: finite
// figures in range, texts with nothing a terminal would obey.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "report/machine/machine_code.h"
#include "report/machine/mca.h"
#include "report/machine/processor.h"
#include "report/run/message.h"

namespace {

void expect(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
  }
}

bool shows_safely(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (const std::optional<std::string> loop = loop_assembly(text, error)) {
    expect(loop->starts_with(".Lloop:\n"), "a loop that does not start at its label");
  }
  if (const std::optional<McaFigures> figures = parse_mca(text, error)) {
    expect(std::isfinite(figures->iterations) && figures->iterations > 0, "iterations");
    expect(std::isfinite(figures->total_cycles) && figures->total_cycles > 0, "cycles");
    expect(std::isfinite(figures->block_rthroughput) && figures->block_rthroughput >= 0,
           "throughput");
    expect(std::isfinite(figures->slowest_latency) && figures->slowest_latency >= 0, "latency");
    expect(shows_safely(figures->bound) && shows_safely(figures->critical) &&
               shows_safely(figures->slowest),
           "a text a terminal would obey");
    expect(bound_shares(figures->bound).has_value(), "a bound whose shares do not read back");
  }
  if (const std::optional<std::string> cpu = host_cpu(text)) {
    expect(is_cpu_name(*cpu), "a host processor that is no processor's name");
  }
  static_cast<void>(parse_message(text, "Process duration = ", " msec"));
  expect(!processor_from_cpuinfo(text).empty(), "no processor named, not even an unknown one");
  return 0;
}
