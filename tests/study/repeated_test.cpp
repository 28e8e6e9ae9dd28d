// The one rule for a figure timed in repetitions, on made-up values: which are kept, what the
// figure is, and whether it holds.
#include "study/repeated.h"

#include <gtest/gtest.h>

namespace {

// Made-up values whose signs were quiet, but for those at the positions given.
Repeated with_loud(std::vector<double> values, std::initializer_list<std::size_t> loud = {}) {
  Repeated figure(std::move(values));
  for (const std::size_t i : loud) {
    figure.quiet_signs[i] = false;
  }
  return figure;
}

// A quiet machine: every value within a few % of the fastest, all kept, the figure their median.
TEST(Repeated, KeepsEveryValueOfAQuietSet) {
  const Repeated quiet{70.4, 70.1, 71.0, 70.2, 70.9, 70.3, 70.6};
  EXPECT_EQ(kept(quiet).size(), 7U);
  EXPECT_TRUE(settled(quiet));
  EXPECT_TRUE(holds(quiet));
  EXPECT_DOUBLE_EQ(estimate(quiet), 70.4);
  EXPECT_DOUBLE_EQ(fastest(quiet), 70.1);
}

// A neighbour's stretch of work over three of seven repetitions: they stand far above and are
// left out; the figure is the median of the four a quiet stretch gave, and holds (4 of 7).
TEST(Repeated, LeavesOutADisturbedStretch) {
  const Repeated stretch{50.2, 61.0, 62.5, 60.8, 50.0, 50.6, 50.4};
  EXPECT_EQ(kept(stretch), (std::vector<double>{50.2, 50.0, 50.6, 50.4}));
  EXPECT_DOUBLE_EQ(estimate(stretch), 50.3);
  EXPECT_TRUE(holds(stretch));
  EXPECT_FALSE(settled(stretch));  // timed again, were there time
  // A fourth repetition in the stretch leaves three: less than a majority, no longer held.
  const Repeated longer{50.2, 61.0, 62.5, 60.8, 50.0, 59.9, 50.4};
  EXPECT_EQ(kept_needed(longer), 4U);
  EXPECT_FALSE(holds(longer));
  EXPECT_DOUBLE_EQ(estimate(longer), 50.2);  // still the quiet stretch's
}

// Disturbed throughout: values spread over twice the fastest, few near it; the figure does not
// hold, and its estimate is what little quiet there was.
TEST(Repeated, DoesNotHoldWhereDisturbedThroughout) {
  const Repeated busy{40, 80, 60, 95, 41, 70, 88};
  EXPECT_EQ(kept(busy).size(), 2U);
  EXPECT_FALSE(holds(busy));
  EXPECT_DOUBLE_EQ(estimate(busy), 40.5);
}

// Values timed again replace nothing: they join the figure, and it holds once a majority of its
// first round's count is kept; it is settled once five are kept, as its interval needs.
TEST(Repeated, TakesTheValuesTimedAgainAsTheRuleSays) {
  Repeated figure{40, 80, 60, 95, 41};
  EXPECT_FALSE(holds(figure));
  figure.again(40.5, true);
  EXPECT_EQ(kept_needed(figure), 3U);  // of the first round's 5
  EXPECT_TRUE(holds(figure));
  EXPECT_FALSE(settled(figure));
  figure.again(39.9, false);  // its signs were loud: not kept
  EXPECT_EQ(kept(figure).size(), 3U);
  figure.again(41.2, true);
  figure.again(90, true);  // a value of a stretch is left out as before
  EXPECT_EQ(kept(figure), (std::vector<double>{40, 41, 40.5, 41.2}));
  EXPECT_FALSE(settled(figure));
  figure.again(40.2, true);
  EXPECT_TRUE(settled(figure));
  EXPECT_DOUBLE_EQ(estimate(figure), 40.5);
}

// Settled: a majority of the first round, and five for an interval where it had five or more.
TEST(Repeated, IsSettledByWhatItsFigureAndIntervalNeed) {
  EXPECT_EQ(kept_to_settle(Repeated{1, 1, 1, 1, 1, 1, 1}), 5U);
  EXPECT_EQ(kept_to_settle(Repeated{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}), 6U);
  EXPECT_EQ(kept_to_settle(Repeated{1, 1, 1}), 2U);
  Repeated again{1, 1, 1, 1, 1};
  again.again(1, true);
  EXPECT_EQ(kept_to_settle(again), 5U);  // of its first round
  EXPECT_TRUE(settled({50, 50, 50, 50, 50, 90, 90}));
  EXPECT_FALSE(settled({50, 50, 50, 50, 90, 90, 90}));
}

// Within 15% of the fastest, or 2 ns a call where that is more: 115 is kept beside 100, 115.5
// not; beside 3 ns, 5 ns is kept (a third above, but within 2 ns), 5.1 not.
TEST(Repeated, KeepsWhatStandsWithinFifteenPercentOrTwoNs) {
  EXPECT_EQ(kept({100, 100, 115, 115.5}), (std::vector<double>{100, 100, 115}));
  EXPECT_EQ(kept({3, 3, 5, 5.1}), (std::vector<double>{3, 3, 5}));
  // A program's run in ms: 2 ns a call over 10^7 calls is 20 ms; 15% of 100 ms is less.
  EXPECT_EQ(kept({100, 100, 119, 121}, 1e6 / 1e7), (std::vector<double>{100, 100, 119}));
  EXPECT_DOUBLE_EQ(quiet_margin(100), 15);
  EXPECT_DOUBLE_EQ(quiet_margin(-3), 2);
}

// A value far below every other is no figure (a busy spell that slowed the loop a figure is
// net of makes it too fast): the fastest is the lowest that another stands near. Where none
// does, the lowest; where none has quiet signs, the lowest of all.
TEST(Repeated, TakesAsFastestTheLowestValueAnotherStandsNear) {
  EXPECT_DOUBLE_EQ(fastest({20, 70, 71, 72}), 70);
  EXPECT_DOUBLE_EQ(estimate({20, 70, 71, 72, 70.5}), 70.75);
  EXPECT_DOUBLE_EQ(fastest({20, 70, 100}), 20);
  EXPECT_DOUBLE_EQ(fastest(with_loud({60, 50, 70}, {1})), 60);
  EXPECT_DOUBLE_EQ(fastest(with_loud({60, 50}, {0, 1})), 50);
}

// Values whose signs were loud are left out, however fast; where every one was, the figure is
// the median of all (nothing better is known), and does not hold.
TEST(Repeated, LeavesOutValuesOfLoudSigns) {
  const Repeated lost = with_loud({70, 71, 70.5, 71.5, 70.2}, {0, 2});
  EXPECT_EQ(kept(lost), (std::vector<double>{71, 71.5, 70.2}));
  EXPECT_TRUE(holds(lost));
  const Repeated all = with_loud({70, 90, 100}, {0, 1, 2});
  EXPECT_TRUE(kept(all).empty());
  EXPECT_EQ(estimated_from(all), all.values);
  EXPECT_DOUBLE_EQ(estimate(all), 90);
  EXPECT_FALSE(holds(all));
}

// The system's signs over a timing: the work ran 95% of the wall time or more, and the host
// stole 2% at the most; a sign not told speaks against nothing.
TEST(Repeated, JudgesTheSignsByTheirThresholds) {
  EXPECT_TRUE(quiet_signs(0.95, 0.02));
  EXPECT_FALSE(quiet_signs(0.949, 0.0));
  EXPECT_FALSE(quiet_signs(1.0, 0.021));
  EXPECT_TRUE(quiet_signs(std::nullopt, std::nullopt));
}

// A report from before the rule, read back: every value counts, its figure the median of all,
// holding where that median stands within 15% (2 ns) of the fastest, as that report said.
TEST(Repeated, CountsEveryValueOfAReportFromBefore) {
  Repeated old{100, 114.9, 114.9, 100, 116};
  old.every_value_counts = true;
  EXPECT_EQ(kept(old).size(), 5U);
  EXPECT_DOUBLE_EQ(estimate(old), 114.9);
  EXPECT_TRUE(holds(old));
  old.values = {100, 115.5, 116, 117, 100};
  EXPECT_FALSE(holds(old));
  old.values = {20, 70, 70};
  EXPECT_DOUBLE_EQ(fastest(old), 20);
}

}  // namespace
