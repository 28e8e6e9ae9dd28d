// What the report says of the machine and the build it measured.
#pragma once

#include <string>
#include <string_view>

// The processor, from /proc/cpuinfo, else the machine type ("aarch64 processor").
[[nodiscard]] std::string processor_name();

// The processor named in the text of a /proc/cpuinfo: its "model name", or on ARM Linux,
// which has none, the implementer and part of each kind of core; else "unknown processor".
[[nodiscard]] std::string processor_from_cpuinfo(std::string_view cpuinfo);

// The compiler of this build, with its version, and the build type ("Release").
extern const char* const COMPILER;
extern const char* const BUILD_TYPE;
