// The machine and the build.
#include "report/machine.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

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

std::string processor_name() {
  std::ifstream file("/proc/cpuinfo");
  std::stringstream text;
  text << file.rdbuf();
  std::string name = processor_from_cpuinfo(text.str());
  utsname machine{};
  if (name == "unknown processor" && uname(&machine) == 0) {
    name = std::string(machine.machine) + " processor";  // the machine type, at least
  }
  return name;
}
