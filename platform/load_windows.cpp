// Other work on the machine, as Windows tells it: a thread's CPU time only.
#include <windows.h>

#include "platform/load.h"

std::optional<double> thread_cpu_seconds() {
  FILETIME created{};
  FILETIME ended{};
  FILETIME kernel{};
  FILETIME user{};
  if (GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user) == 0) {
    return std::nullopt;
  }
  const auto hundreds_of_ns = [](const FILETIME& time) {
    return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
  };
  return (hundreds_of_ns(kernel) + hundreds_of_ns(user)) * 1e-7;
}

std::optional<double> children_cpu_seconds() { return std::nullopt; }

std::optional<std::uint64_t> involuntary_switches() { return std::nullopt; }

std::optional<std::uint64_t> children_involuntary_switches() { return std::nullopt; }

std::optional<MachineTicks> machine_ticks() { return std::nullopt; }
