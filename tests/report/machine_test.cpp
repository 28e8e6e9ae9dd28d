// Naming the processor from /proc/cpuinfo, on x86 and on ARM Linux, which has no model name.
#include "report/machine.h"

#include <gtest/gtest.h>

namespace {

TEST(ProcessorFromCpuinfo, NamesTheModelOrTheArmCores) {
  struct Row {
    const char* cpuinfo;
    const char* processor;
  };
  const Row rows[] = {
      {"processor\t: 0\nvendor_id\t: AuthenticAMD\nmodel name\t: AMD EPYC 7B13\nflags\t\t: fpu\n"
       "\nprocessor\t: 1\nmodel name\t: AMD EPYC 7B13\n",
       "AMD EPYC 7B13"},
      {"processor\t: 0\nBogoMIPS\t: 50.00\nFeatures\t: fp asimd\nCPU implementer\t: 0x41\n"
       "CPU architecture: 8\nCPU variant\t: 0x3\nCPU part\t: 0xd0c\nCPU revision\t: 1\n\n"
       "processor\t: 1\nCPU implementer\t: 0x41\nCPU part\t: 0xd0c\n",
       "ARM Neoverse-N1"},
      // big.LITTLE: each kind of core once, in order.
      {"CPU implementer\t: 0x41\nCPU part\t: 0xd0b\nCPU implementer\t: 0x41\nCPU part\t: 0xd05\n"
       "CPU implementer\t: 0x41\nCPU part\t: 0xd0b\n",
       "ARM Cortex-A76 + ARM Cortex-A55"},
      {"CPU implementer\t: 0xc0\nCPU part\t: 0xac3\n", "Ampere part 0xac3"},
      {"CPU implementer\t: 0x99\nCPU part\t: 0x1\n", "implementer 0x99 part 0x1"},
      {"processor\t: 0\n", "unknown processor"},
      {"", "unknown processor"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(processor_from_cpuinfo(row.cpuinfo), row.processor) << row.cpuinfo;
  }
}

}  // namespace
