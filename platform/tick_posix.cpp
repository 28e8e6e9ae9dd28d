// The millisecond tick counter from the POSIX monotonic clock.
#include <time.h>

#include <cstdint>

#include "platform/tick.h"

std::uint32_t tick_count_ms() noexcept {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);  // cannot fail for this clock on a POSIX system
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000U;
  return static_cast<std::uint32_t>(ms);
}
