// Whether a program's runs hold, or the report runs it again: made-up runs in ms of 10^7 calls.
#include "report/run/programs.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t CALLS = 10'000'000;

// Five runs kept, within a tenth of their median: they hold. Kept, but spread by more than a
// tenth (the margin of a quiet repetition is 15%): run again. One run far above the rest left
// out, four kept: too few for an interval, run again.
TEST(RunsHold, AsLongAsFiveAreKeptWithinATenth) {
  EXPECT_TRUE(runs_hold({400, 404, 410, 398, 436}, CALLS));   // 38 over 404: 9.4%
  EXPECT_FALSE(runs_hold({400, 404, 410, 398, 444}, CALLS));  // 46 over 404: 11.4%
  EXPECT_FALSE(runs_hold({400, 404, 410, 398, 480}, CALLS));
  Repeated again{400, 404, 410, 398, 480};
  again.again(402, true);
  EXPECT_TRUE(runs_hold(again, CALLS));
  Repeated lost{400, 404, 410, 398, 402};
  lost.quiet_signs[2] = false;
  EXPECT_FALSE(runs_hold(lost, CALLS));
}

}  // namespace
