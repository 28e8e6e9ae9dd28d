// Naming the processor from /proc/cpuinfo, on x86 and on ARM Linux, which has no model name.
#include "report/machine/processor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

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

// Registers as cpuid fills them with text: four characters a register, the first in the
// lowest byte.
std::uint32_t word_of(std::string_view text, std::size_t at) {
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < 4 && at + i < text.size(); ++i) {
    word |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[at + i])) << (8 * i);
  }
  return word;
}

CpuidWords cpuid(std::string_view vendor, std::uint32_t signature, bool hypervisor_bit,
                 std::string_view hypervisor, std::string_view brand) {
  CpuidWords words;
  // The vendor's twelve characters come in ebx, edx, ecx.
  words.vendor = {1, word_of(vendor, 0), word_of(vendor, 8), word_of(vendor, 4)};
  words.signature = {signature, 0, hypervisor_bit ? 0x80000000U : 0U, 0};
  for (std::size_t leaf = 0; leaf < 3; ++leaf) {
    for (std::size_t i = 0; i < 4; ++i) {
      words.brand[leaf][i] = word_of(brand, 16 * leaf + 4 * i);
    }
  }
  words.hypervisor = {0x40000001, word_of(hypervisor, 0), word_of(hypervisor, 4),
                      word_of(hypervisor, 8)};
  return words;
}

TEST(MachineFromCpuid, CombinesTheVendorsExtendedFields) {
  struct Row {
    CpuidWords words;
    const char* processor;
    const char* vendor;
    unsigned family;
    unsigned model;
    unsigned stepping;
    bool virtual_machine;
    const char* hypervisor;
  };
  const Row rows[] = {
      // An Intel Xeon under KVM, family 6 and model 0xCF: the extended model counts.
      {cpuid("GenuineIntel", 0x000C06F2, true, std::string_view("KVMKVMKVM\0\0\0", 12),
             "       Intel(R) Xeon(R) Processor"),
       "Intel(R) Xeon(R) Processor", "GenuineIntel", 6, 207, 2, true, "KVM"},
      // AMD's Zen 3, family 0xF + 0xA = 25: the extended family counts, model 0x01.
      {cpuid("AuthenticAMD", 0x00A00F11, false, "", "AMD EPYC 7B13 64-Core Processor"),
       "AMD EPYC 7B13 64-Core Processor", "AuthenticAMD", 25, 1, 1, false, ""},
      // AMD's Zen 2, family 0x17 and model 0x31.
      {cpuid("AuthenticAMD", 0x00830F10, true, "Microsoft Hv", "AMD EPYC 7B12"), "AMD EPYC 7B12",
       "AuthenticAMD", 23, 49, 0, true, "Hyper-V"},
      // AMD below family 15: the extended model bits are reserved and do not count.
      {cpuid("AuthenticAMD", 0x00010662, false, "", "AMD Athlon(tm) XP"), "AMD Athlon(tm) XP",
       "AuthenticAMD", 6, 6, 2, false, ""},
      // Intel's family 15: no extended family to add here, the extended model counts.
      {cpuid("GenuineIntel", 0x00010F43, false, "", "Intel(R) Pentium(R) 4"),
       "Intel(R) Pentium(R) 4", "GenuineIntel", 15, 20, 3, false, ""},
      // No brand string: the vendor names it; a hypervisor of unknown name, as it calls itself.
      {cpuid("GenuineIntel", 0x000006F6, true, "NewVisor\x1b[2J", ""), "GenuineIntel processor",
       "GenuineIntel", 6, 15, 6, true, "NewVisor\\x1b[2J"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.processor);
    const Machine machine = machine_from_cpuid(row.words);
    EXPECT_EQ(machine.processor, row.processor);
    ASSERT_TRUE(machine.x86);
    EXPECT_EQ(machine.x86->vendor, row.vendor);
    EXPECT_EQ(machine.x86->family, row.family);
    EXPECT_EQ(machine.x86->model, row.model);
    EXPECT_EQ(machine.x86->stepping, row.stepping);
    EXPECT_EQ(machine.virtual_machine, row.virtual_machine);
    EXPECT_EQ(machine.hypervisor, row.hypervisor);
  }
}

}  // namespace
