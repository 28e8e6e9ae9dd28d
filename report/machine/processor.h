// What the report says of the machine and the build it measured.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What cpuid says of an x86 processor, family and model as the vendors combine their base
// and extended fields.
struct X86Signature {
  std::string vendor;  // "GenuineIntel", "AuthenticAMD"
  unsigned family = 0;
  unsigned model = 0;
  unsigned stepping = 0;
};

struct Machine {
  std::string processor;
  std::string compiler;
  std::string build_type;
  std::string flags;                    // the compiler's flags for every source, "" unknown
  std::optional<X86Signature> x86;      // on x86 only
  std::optional<bool> virtual_machine;  // where it can be told (the hypervisor bit on x86)
  std::string hypervisor;               // the hypervisor's name, where cpuid gives one
};

// The machine this report runs on: the processor (from cpuid on x86, else from
// /proc/cpuinfo, else the machine type), whether it is virtual, the compiler and build type.
[[nodiscard]] Machine this_machine();

// The registers eax, ebx, ecx and edx that cpuid gives for the leaves the report reads;
// all zero for a leaf the processor does not have.
struct CpuidWords {
  using Registers = std::array<std::uint32_t, 4>;
  Registers vendor{};                // leaf 0
  Registers signature{};             // leaf 1
  std::array<Registers, 3> brand{};  // leaves 0x80000002 to 0x80000004
  Registers hypervisor{};            // leaf 0x40000000, read only under a hypervisor
};

// The processor as cpuid describes it: the brand string as its name (the vendor where it
// has none), the signature, and the hypervisor bit and name.
[[nodiscard]] Machine machine_from_cpuid(const CpuidWords& words);

// The processor named in the text of a /proc/cpuinfo: its "model name", or on ARM Linux,
// which has none, the implementer and part of each kind of core; else "unknown processor".
[[nodiscard]] std::string processor_from_cpuinfo(std::string_view cpuinfo);

// The compiler of this build, with its version, the build type ("Release") and the flags of
// the build ("-O3 -DNDEBUG").
extern const char* const COMPILER;
extern const char* const BUILD_TYPE;
extern const char* const CXX_FLAGS;
