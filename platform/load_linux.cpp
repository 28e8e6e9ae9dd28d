// Other work on the machine, as Linux tells it.
#include <sys/resource.h>
#include <time.h>

#include <fstream>
#include <string>

#include "platform/load.h"

namespace {

double seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// The involuntary switches getrusage counts for whom.
std::optional<std::uint64_t> involuntary_switches_of(int who) {
  rusage usage{};
  if (getrusage(who, &usage) != 0 || usage.ru_nivcsw < 0) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(usage.ru_nivcsw);
}

}  // namespace

std::optional<double> thread_cpu_seconds() {
  timespec now{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) {
    return std::nullopt;
  }
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::optional<double> children_cpu_seconds() {
  rusage usage{};
  if (getrusage(RUSAGE_CHILDREN, &usage) != 0) {
    return std::nullopt;
  }
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::optional<std::uint64_t> involuntary_switches() {
  return involuntary_switches_of(RUSAGE_THREAD);
}

std::optional<std::uint64_t> children_involuntary_switches() {
  return involuntary_switches_of(RUSAGE_CHILDREN);
}

std::optional<MachineTicks> machine_ticks() {
  std::ifstream in("/proc/stat");
  std::string line;
  if (!std::getline(in, line)) {
    return std::nullopt;
  }
  return ticks_from_proc_stat(line);
}
