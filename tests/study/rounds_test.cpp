// Timing in rounds and timing again, on a made-up machine whose every timing takes a second:
// what is timed again, beside what, how often, and within which budget. No real clock.
#include "study/rounds.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace {

// A machine the timings move: each takes a second of wall time, and all of it on the processor
// unless the machine is busy then.
struct MadeUp {
  double wall = 0;
  double cpu = 0;
  bool busy = false;
  std::vector<std::string> timed;  // the names of the timings, in order
};

WatchSource source_of(MadeUp& machine) {
  return {[&] { return machine.wall; }, [&] { return std::optional<double>(machine.cpu); },
          [] { return std::optional<std::uint64_t>(); },
          [] { return std::optional<MachineTicks>(); }, [] { return std::optional<double>(); }};
}

// A timing that gives the values in turn (the last again once they run out).
std::function<double()> timing(MadeUp& machine, std::string name, std::deque<double> values) {
  return [&machine, name, values]() mutable {
    machine.wall += 1;
    machine.cpu += machine.busy ? 0.5 : 1;
    machine.timed.push_back(name);
    const double value = values.front();
    if (values.size() > 1) {
      values.pop_front();
    }
    return value;
  };
}

// A loop of 2 ns, gcd_euclid_u (the anchor) steady at 70, and a figure net of the loop whose
// first round (5 repetitions) was disturbed in three: 12, 22, 22, 22, 12, then 12 ever after.
struct Round {
  MadeUp machine;
  Repeated loop, euclid, disturbed;
  std::vector<RoundGroup> groups;

  Round() {
    RoundGroup group;
    group.loop = timing(machine, "loop", {2});
    group.loop_values = &loop;
    group.figures.push_back({&euclid, timing(machine, "euclid", {72}), true});
    group.figures.push_back(
        {&disturbed, timing(machine, "disturbed", {12, 22, 22, 22, 12, 12}), true});
    group.anchor = 0;
    groups.push_back(std::move(group));
    for (int repetition = 0; repetition < 5; ++repetition) {
      time_round(groups, source_of(machine), true);
    }
    machine.timed.clear();
  }

  unsigned again(RetimeBudget& budget, unsigned max_rounds = 5) {
    PhaseWatcher watch("study", source_of(machine));
    budget.begin_phase(1.0);
    const unsigned rounds =
        time_again(groups, watch, budget, 1.0, max_rounds,
                   [](std::size_t figures, unsigned) { EXPECT_EQ(figures, 1U); });
    const PhaseWatch watched = watch.finish();
    EXPECT_EQ(watched.rounds_again, rounds);
    EXPECT_DOUBLE_EQ(watched.seconds_again, budget.spent());
    return rounds;
  }
};

// A budget of 0 times nothing again.
TEST(TimeAgain, TimesNothingWithoutABudget) {
  Round round;
  RetimeBudget none(0);
  EXPECT_EQ(round.again(none), 0U);
  EXPECT_TRUE(round.machine.timed.empty());
  EXPECT_EQ(round.disturbed.size(), 5U);
  EXPECT_FALSE(settled(round.disturbed));
}

// Timed again until it keeps as many values as its first round had: three rounds, each of the
// loop it is net of, the anchor and the figure, in that order; the values net of the loop,
// kept as timed again; the others left as they were.
TEST(TimeAgain, TimesTheFigureThatDoesNotHoldBesideItsLoopAndAnchor) {
  Round round;
  RetimeBudget budget(100);
  EXPECT_EQ(round.again(budget), 3U);
  EXPECT_EQ(round.machine.timed,
            (std::vector<std::string>{"loop", "euclid", "disturbed", "loop", "euclid", "disturbed",
                                      "loop", "euclid", "disturbed"}));
  EXPECT_EQ(round.disturbed.values, (std::vector<double>{10, 20, 20, 20, 10, 10, 10, 10}));
  EXPECT_EQ(round.disturbed.timed_again, 3U);
  EXPECT_TRUE(settled(round.disturbed));
  EXPECT_DOUBLE_EQ(estimate(round.disturbed), 10);
  EXPECT_EQ(round.euclid.timed_again, 3U);
  EXPECT_EQ(round.loop.size(), 8U);
  EXPECT_DOUBLE_EQ(budget.spent(), 9);
}

// The budget kept: each round takes three timings of a second; 7 s allow two, not a third.
TEST(TimeAgain, KeepsTheBudget) {
  Round round;
  RetimeBudget budget(7);
  EXPECT_EQ(round.again(budget), 2U);
  EXPECT_DOUBLE_EQ(budget.spent(), 6);
  EXPECT_FALSE(settled(round.disturbed));
  // A phase after it may spend its own share and what this one left.
  budget.begin_phase(0.5);
  EXPECT_TRUE(budget.allows(4.5));
  EXPECT_FALSE(budget.allows(4.6));
}

// No more rounds than the most a phase takes, however much budget is left: those asked for, and
// never more than MOST_ROUNDS_AGAIN, for a figure that never holds.
TEST(TimeAgain, StopsAtTheMostRounds) {
  Round round;
  RetimeBudget budget(100);
  EXPECT_EQ(round.again(budget, 2), 2U);
  round.groups[0].figures[1].time = timing(round.machine, "disturbed", {22});
  RetimeBudget plenty(1000);
  EXPECT_EQ(round.again(plenty, MOST_ROUNDS_AGAIN), 98U);  // of its 100, 2 timed before
  EXPECT_EQ(round.disturbed.size(), 5U + 100U);
}

// A value timed while the machine was busy, its own timing or its loop's, is not kept.
TEST(TimeAgain, LeavesOutAValueWhoseLoopLostTheProcessor) {
  Round round;
  round.groups[0].loop = [&round, loop = timing(round.machine, "loop", {2})]() {
    round.machine.busy = true;
    const double value = loop();
    round.machine.busy = false;
    return value;
  };
  time_round(round.groups, source_of(round.machine), true);
  EXPECT_FALSE(round.loop.quiet_signs.back());
  EXPECT_FALSE(round.euclid.quiet_signs.back());
  EXPECT_EQ(kept(round.euclid).size(), 5U);  // of its 6
}

// What does not hold is timed again first, alone; what holds but keeps too few for an interval
// after it.
TEST(TimeAgain, TimesFirstWhatDoesNotHold) {
  Round round;
  Repeated short_of_one;  // 4 of 5 kept: it holds, with no interval
  round.groups[0].figures.push_back(
      {&short_of_one, timing(round.machine, "short", {30, 30, 30, 40, 30, 30}), false});
  for (int repetition = 0; repetition < 5; ++repetition) {
    round.groups[0].figures.back().time();
  }
  short_of_one = Repeated{30, 30, 30, 40, 30};
  round.machine.timed.clear();
  RetimeBudget budget(9);
  PhaseWatcher watch("study", source_of(round.machine));
  budget.begin_phase(1.0);
  std::vector<std::size_t> announced;
  EXPECT_EQ(time_again(round.groups, watch, budget, 1.0, 5,
                       [&](std::size_t figures, unsigned) { announced.push_back(figures); }),
            2U);
  // The disturbed figure alone until it holds (3 kept), then both; a third round of three
  // timings is beyond the 9 s.
  EXPECT_EQ(announced, (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(round.machine.timed, (std::vector<std::string>{"loop", "euclid", "disturbed", "loop",
                                                           "euclid", "disturbed", "short"}));
  EXPECT_TRUE(settled(short_of_one));
  EXPECT_TRUE(holds(round.disturbed));
  EXPECT_FALSE(settled(round.disturbed));
}

// A figure only kept, not judged, is not timed again, and nothing is timed for it.
TEST(TimeAgain, TimesAgainOnlyJudgedFigures) {
  Round round;
  round.groups[0].figures[1].judged = false;
  RetimeBudget budget(100);
  PhaseWatcher watch("study", source_of(round.machine));
  budget.begin_phase(1.0);
  EXPECT_EQ(time_again(round.groups, watch, budget, 1.0, 5, [](std::size_t, unsigned) {}), 0U);
  EXPECT_TRUE(round.machine.timed.empty());
}

}  // namespace
