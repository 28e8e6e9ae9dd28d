// The cross-check driver counts exactly the pairs on which its kernels differ.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/host.h"
#include "tests/check/faulty_kernels.h"

namespace {

// Replays the cross-checks' pairs with the generator's arithmetic written out here, and
// counts those that are poisoned with the arguments in the given order.
std::uint32_t count_poisoned(bool later_draw_first) {
  std::uint32_t state = 0;
  std::uint32_t count = 0;
  for (std::uint32_t i = 0; i < 10'000'000; ++i) {
    const std::uint32_t r1 = state = state * 134775813U + 1U;
    const std::uint32_t r2 = state = state * 134775813U + 1U;
    count += later_draw_first ? is_poisoned(r2, r1) : is_poisoned(r1, r2);
  }
  return count;
}

TEST(CrossCheckDriver, CountsEveryPairTheKernelUnderTestGetsWrong) {
  const std::uint32_t expected = count_poisoned(true);
  ASSERT_GT(expected, 1000U);
  ASSERT_NE(expected, count_poisoned(false)) << "the poison must tell the argument order";

  const ProgramRun run = run_captured(CHECK_FAULTY_PROGRAM);
  EXPECT_EQ(describe_end(run, std::chrono::seconds(120)), "exit status 0");
  EXPECT_EQ(run.out, "Errors count = " + std::to_string(expected));
}

TEST(CrossCheckDriver, CallsBothKernelsInStepOnTheSameArguments) {
  const ProgramRun run = run_captured(CHECK_IN_STEP_PROGRAM);
  EXPECT_EQ(describe_end(run, std::chrono::seconds(120)), "exit status 0");
  EXPECT_EQ(run.out, "Errors count = 0");
}

}  // namespace
