// The machine and the build.
#include "report/machine.h"

#include <fstream>
#include <sstream>

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

// The value of the first "key : value" line of the text whose key is key.
std::string field(std::string_view text, std::string_view key) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      continue;
    }
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
      name.remove_suffix(1);
    }
    if (name == key) {
      std::string_view value = line.substr(colon + 1);
      while (!value.empty() && value.front() == ' ') {
        value.remove_prefix(1);
      }
      return std::string(value);
    }
  }
  return "";
}

}  // namespace

std::string processor_from_cpuinfo(std::string_view cpuinfo) {
  const std::string model = field(cpuinfo, "model name");
  return model.empty() ? "unknown processor" : model;
}

std::string processor_name() {
  std::ifstream file("/proc/cpuinfo");
  std::stringstream text;
  text << file.rdbuf();
  return processor_from_cpuinfo(text.str());
}
