// The machine and the build.
#include "report/machine/processor.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "report/words/safe_text.h"
#include "report/words/trimmed.h"

#ifndef GCD_KIT_BUILD_TYPE
#define GCD_KIT_BUILD_TYPE "unknown"
#endif

const char* const COMPILER =
#if defined(__clang__)
    "clang++ " __clang_version__;
#elif defined(__GNUC__)
    "g++ " __VERSION__;
#else
    "unknown compiler";
#endif

const char* const BUILD_TYPE = GCD_KIT_BUILD_TYPE;

#ifndef GCD_KIT_CXX_FLAGS
#define GCD_KIT_CXX_FLAGS ""
#endif
const char* const CXX_FLAGS = GCD_KIT_CXX_FLAGS;

namespace {

constexpr const char* ARCHITECTURE =
#if defined(__aarch64__)
    "aarch64 processor";
#elif defined(__arm__)
    "arm processor";
#elif defined(__riscv)
    "riscv processor";
#elif defined(__powerpc64__)
    "ppc64 processor";
#else
    "unknown processor";
#endif

}  // namespace

namespace {

struct Named {
  unsigned code;
  const char* name;
};

// The implementers of ARM processors, and ARM's own cores, as Linux numbers them in
// /proc/cpuinfo ("CPU implementer", "CPU part").
constexpr Named IMPLEMENTERS[] = {
    {0x41, "ARM"},       {0x42, "Broadcom"},  {0x43, "Cavium"},        {0x46, "Fujitsu"},
    {0x48, "HiSilicon"}, {0x4e, "NVIDIA"},    {0x50, "Applied Micro"}, {0x51, "Qualcomm"},
    {0x61, "Apple"},     {0x6d, "Microsoft"}, {0xc0, "Ampere"},
};
constexpr Named ARM_PARTS[] = {
    {0xd03, "Cortex-A53"},  {0xd04, "Cortex-A35"},  {0xd05, "Cortex-A55"},  {0xd07, "Cortex-A57"},
    {0xd08, "Cortex-A72"},  {0xd09, "Cortex-A73"},  {0xd0a, "Cortex-A75"},  {0xd0b, "Cortex-A76"},
    {0xd0c, "Neoverse-N1"}, {0xd0d, "Cortex-A77"},  {0xd40, "Neoverse-V1"}, {0xd41, "Cortex-A78"},
    {0xd44, "Cortex-X1"},   {0xd46, "Cortex-A510"}, {0xd47, "Cortex-A710"}, {0xd48, "Cortex-X2"},
    {0xd49, "Neoverse-N2"}, {0xd4b, "Cortex-A78C"}, {0xd4d, "Cortex-A715"}, {0xd4e, "Cortex-X3"},
    {0xd4f, "Neoverse-V2"}, {0xd80, "Cortex-A520"}, {0xd81, "Cortex-A720"}, {0xd82, "Cortex-X4"},
    {0xd84, "Neoverse-V3"}, {0xd8e, "Neoverse-N3"},
};

template <std::size_t N>
const char* name_of(const Named (&table)[N], unsigned code) {
  for (const Named& entry : table) {
    if (entry.code == code) {
      return entry.name;
    }
  }
  return nullptr;
}

// The "key : value" lines of the text, in order.
std::vector<std::pair<std::string, std::string>> fields(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> out;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      continue;
    }
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
      name.remove_suffix(1);
    }
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') {
      value.remove_prefix(1);
    }
    out.emplace_back(name, value);
  }
  return out;
}

// "ARM Neoverse-N1", or "Ampere part 0xac3" for a core not in the table.
std::string arm_core(unsigned implementer, unsigned part) {
  const char* maker = name_of(IMPLEMENTERS, implementer);
  const char* core = implementer == 0x41 ? name_of(ARM_PARTS, part) : nullptr;
  char text[96];
  if (maker != nullptr && core != nullptr) {
    std::snprintf(text, sizeof text, "%s %s", maker, core);
  } else if (maker != nullptr) {
    std::snprintf(text, sizeof text, "%s part 0x%x", maker, part);
  } else {
    std::snprintf(text, sizeof text, "implementer 0x%x part 0x%x", implementer, part);
  }
  return text;
}

}  // namespace

std::string processor_from_cpuinfo(std::string_view cpuinfo) {
  // x86 and most others name the model. ARM Linux gives the implementer and part of each
  // core instead: name each kind of core once, in order ("ARM Cortex-A76 + ARM Cortex-A55").
  std::string cores;
  unsigned implementer = 0;
  for (const auto& [key, value] : fields(cpuinfo)) {
    if (key == "model name" && !value.empty()) {
      return value;
    }
    if (key == "CPU implementer") {
      implementer = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 0));
    } else if (key == "CPU part") {
      const std::string core =
          arm_core(implementer, static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 0)));
      if (cores.find(core) == std::string::npos) {
        cores += (cores.empty() ? "" : " + ") + core;
      }
    }
  }
  return cores.empty() ? "unknown processor" : cores;
}

namespace {

// The twelve characters of three registers, in the order cpuid gives them.
std::string characters(std::initializer_list<std::uint32_t> registers) {
  std::string text;
  for (const std::uint32_t word : registers) {
    for (int byte = 0; byte < 4; ++byte) {
      text += static_cast<char>((word >> (8 * byte)) & 0xFFU);
    }
  }
  return text.substr(0, text.find('\0'));
}

// The hypervisors' own names for the signatures they put in leaf 0x40000000.
std::string hypervisor_name(const std::string& signature) {
  static constexpr std::pair<const char*, const char*> KNOWN[] = {
      {"KVMKVMKVM", "KVM"},      {"Microsoft Hv", "Hyper-V"},    {"VMwareVMware", "VMware"},
      {"XenVMMXenVMM", "Xen"},   {"TCGTCGTCGTCG", "QEMU"},       {" lrpepyh  vr", "Parallels"},
      {"bhyve bhyve ", "bhyve"}, {"VBoxVBoxVBox", "VirtualBox"}, {"ACRNACRNACRN", "ACRN"},
  };
  for (const auto& [known, name] : KNOWN) {
    if (signature == known) {
      return name;
    }
  }
  return safe_text(trimmed(signature), 12);
}

#if defined(__x86_64__) || defined(__i386__)
CpuidWords::Registers leaf(std::uint32_t number) {
  CpuidWords::Registers words{};
  __cpuid(number, words[0], words[1], words[2], words[3]);
  return words;
}
#endif

std::optional<CpuidWords> read_cpuid() {
#if defined(__x86_64__) || defined(__i386__)
  CpuidWords words;
  words.vendor = leaf(0);
  if (words.vendor[0] >= 1) {
    words.signature = leaf(1);
  }
  if (leaf(0x80000000)[0] >= 0x80000004) {
    for (std::uint32_t i = 0; i < 3; ++i) {
      words.brand[i] = leaf(0x80000002 + i);
    }
  }
  // Leaf 0x40000000 means something only under a hypervisor: on bare metal, Intel answers
  // it with its highest basic leaf.
  if ((words.signature[2] >> 31) != 0) {
    words.hypervisor = leaf(0x40000000);
  }
  return words;
#else
  return std::nullopt;
#endif
}

}  // namespace

Machine machine_from_cpuid(const CpuidWords& words) {
  Machine machine;
  X86Signature signature;
  signature.vendor = safe_text(characters({words.vendor[1], words.vendor[3], words.vendor[2]}), 12);
  const std::uint32_t eax = words.signature[0];
  const unsigned base_family = (eax >> 8) & 0xFU;
  const unsigned base_model = (eax >> 4) & 0xFU;
  signature.stepping = eax & 0xFU;
  // Both vendors add the extended family to a base family of 15; Intel adds the extended
  // model for families 6 and 15, AMD for 15 only.
  signature.family = base_family == 0xF ? base_family + ((eax >> 20) & 0xFFU) : base_family;
  const bool extended_model =
      base_family == 0xF || (base_family == 6 && signature.vendor == "GenuineIntel");
  signature.model = extended_model ? base_model + (((eax >> 16) & 0xFU) << 4) : base_model;
  std::string brand;
  for (const CpuidWords::Registers& registers : words.brand) {
    brand += characters({registers[0], registers[1], registers[2], registers[3]});
  }
  machine.processor = safe_text(trimmed(brand), 48);
  if (machine.processor.empty()) {
    machine.processor = signature.vendor + " processor";
  }
  machine.x86 = signature;
  machine.virtual_machine = (words.signature[2] >> 31) != 0;
  if (*machine.virtual_machine) {
    machine.hypervisor = hypervisor_name(
        characters({words.hypervisor[1], words.hypervisor[2], words.hypervisor[3]}));
  }
  return machine;
}

Machine this_machine() {
  Machine machine;
  if (const std::optional<CpuidWords> words = read_cpuid()) {
    machine = machine_from_cpuid(*words);
  } else {
    std::ifstream file("/proc/cpuinfo");
    std::stringstream text;
    text << file.rdbuf();
    machine.processor = safe_text(processor_from_cpuinfo(text.str()), 100);
    if (machine.processor == "unknown processor") {
      machine.processor = ARCHITECTURE;  // the kind of machine, at least
    }
  }
  machine.compiler = std::string(trimmed(COMPILER));  // clang's version ends in a blank
  machine.build_type = BUILD_TYPE;
  machine.flags = CXX_FLAGS;
  return machine;
}
