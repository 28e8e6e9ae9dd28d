// The event counters, with the software clock of the task, which every Linux gives: the
// same code counts the processor's cycles where the system gives those.
#include "platform/counters.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

TEST(EventCounters, CountWhileStartedAndNotOtherwise) {
  constexpr Event TASK_CLOCK[] = {Event::task_clock};
  std::string why;
  std::optional<EventCounters> counters = EventCounters::open(TASK_CLOCK, why);
#ifndef __linux__
  ASSERT_FALSE(counters);
  GTEST_SKIP() << why;
#endif
  if (!counters && (why.ends_with(std::strerror(ENOSYS)) || why.ends_with(std::strerror(EACCES)))) {
    GTEST_SKIP() << "no perf events here (an emulator such as qemu-user, or a user whom "
                    "kernel.perf_event_paranoid denies them): "
                 << why;
  }
  ASSERT_TRUE(counters) << why;
  const auto spin = [](std::chrono::milliseconds length) {
    const auto end = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < end) {
    }
  };
  counters->start();
  const auto start = std::chrono::steady_clock::now();
  spin(std::chrono::milliseconds(20));
  const double wall_ns =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
  const std::vector<std::uint64_t> counted = counters->stop();
  ASSERT_EQ(counted.size(), 1U);
  // The thread ran for at most the wall time, and (however busy the machine) for some of it.
  EXPECT_GT(counted[0], 0U);
  EXPECT_LE(static_cast<double>(counted[0]), wall_ns * 1.01 + 1e6);
  spin(std::chrono::milliseconds(20));  // stopped: not counted
  EXPECT_EQ(counters->stop(), counted);
  counters->start();  // from nothing again
  EXPECT_LT(counters->stop()[0], counted[0]);
}

}  // namespace
