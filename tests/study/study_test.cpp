// The study on small settings: what it counts, what it times, and a peer that is wrong.
#include "study/study.h"

#include <gtest/gtest.h>

#include <string>

#include "study/fit.h"

namespace {

StudySettings small() {
  StudySettings settings;
  settings.drawn_pairs = 2000;
  settings.repetitions = 2;
  settings.sweep_pairs = 4000;
  return settings;
}

TEST(Study, CountsPassesTimesEveryKernelAndFitsTheTheory) {
  const std::vector<StudiedKernel> kernels = studied_kernels();
  std::size_t steps = 0;
  const Study study = run_study(kernels, small(), [&steps](const std::string&) { ++steps; });
  EXPECT_EQ(steps, study_steps(small()));

  ASSERT_EQ(study.kernels.size(), kernels.size());
  EXPECT_EQ(study.loop_ns_per_call.size(), 2U);
  double euclid_passes = 0;
  for (const Pair& pair : drawn_pairs(2000)) {
    euclid_passes += passes_euclid_u(pair.first, pair.second);
  }
  EXPECT_EQ(study.kernels[0].name, "gcd_euclid_u");
  EXPECT_DOUBLE_EQ(*study.kernels[0].passes_per_call, euclid_passes / 2000);
  for (std::size_t i = 0; i < kernels.size(); ++i) {
    EXPECT_EQ(study.kernels[i].ns_per_call.size(), 2U) << kernels[i].name;
    EXPECT_EQ(study.kernels[i].passes_per_call.has_value(), kernels[i].passes != nullptr);
  }
  EXPECT_EQ(study.sweep.size(), kernels.size() * 32);  // every size from 1 to 32 bits

  // With 4000 pairs per size the slopes are within a few hundredths of the constants.
  ASSERT_EQ(study.passes_per_bit.size(), 4U);
  for (const PassesPerBit& fit : study.passes_per_bit) {
    EXPECT_NEAR(fit.measured, fit.theory, 0.03 * fit.theory) << fit.kernel;
  }
  EXPECT_EQ(study.passes_per_bit[0].theory, EUCLID_PASSES_PER_BIT);
  EXPECT_EQ(study.passes_per_bit[3].theory, BINARY_PASSES_PER_BIT);
}

std::uint32_t wrong_on_one_pair(std::uint32_t first, std::uint32_t second) noexcept {
  return first == 1172187917U ? 7 : gcd_euclid_u(first, second);
}

TEST(Study, RefusesToTimeAPeerThatGivesAWrongAnswer) {
  std::vector<StudiedKernel> kernels = studied_kernels();
  kernels.push_back({"wrong_u", wrong_on_one_pair, nullptr, false, 0.0});
  try {
    static_cast<void>(run_study(kernels, small(), [](const std::string&) {}));
    FAIL() << "a wrong peer was timed";
  } catch (const WrongAnswer& wrong) {
    EXPECT_EQ(std::string(wrong.what()),
              "wrong_u(1172187917, 870078620) gave 7, gcd_euclid_u gives 1");
  }
}

}  // namespace
