// Other work on the machine where the system tells none of it.
#include "platform/load.h"

std::optional<double> thread_cpu_seconds() { return std::nullopt; }

std::optional<double> children_cpu_seconds() { return std::nullopt; }

std::optional<std::uint64_t> involuntary_switches() { return std::nullopt; }

std::optional<std::uint64_t> children_involuntary_switches() { return std::nullopt; }

std::optional<MachineTicks> machine_ticks() { return std::nullopt; }
