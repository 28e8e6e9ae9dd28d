// The watch over a phase, on a made-up source: every figure it reports comes from what the
// source told it at the phase's and the repetitions' ends, never from a real clock.
#include "study/watch.h"

#include <gtest/gtest.h>

namespace {

// A machine the test moves by hand.
struct MadeUp {
  double wall = 100;
  double cpu = 10;
  std::uint64_t switches = 5;
  MachineTicks ticks{1000, 10};
  double ghz = 3.0;
};

WatchSource source_of(MadeUp& machine) {
  return {[&] { return machine.wall; }, [&] { return std::optional<double>(machine.cpu); },
          [&] { return std::optional<std::uint64_t>(machine.switches); },
          [&] { return std::optional<MachineTicks>(machine.ticks); },
          [&] { return std::optional<double>(machine.ghz); }};
}

TEST(PhaseWatcher, TellsTheWorksShareOfEachRepetitionAndWhatTheHostStole) {
  MadeUp machine;
  PhaseWatcher watcher("study", source_of(machine));
  machine.ghz = 3.3;
  // A quiet repetition: 2 s of wall time, 2 s of work.
  watcher.begin_repetition();
  machine.wall += 2;
  machine.cpu += 2;
  watcher.end_repetition();
  // A disturbed one: the work ran 1 s of 4.
  watcher.begin_repetition();
  machine.wall += 4;
  machine.cpu += 1;
  machine.switches += 40;
  machine.ticks = {1600, 70};  // 60 of the 600 ticks stolen
  watcher.end_repetition();
  const PhaseWatch watch = watcher.finish();
  EXPECT_EQ(watch.phase, "study");
  EXPECT_DOUBLE_EQ(watch.wall_s, 6);
  EXPECT_DOUBLE_EQ(*watch.cpu_s, 3);
  ASSERT_EQ(watch.cpu_shares.size(), 2U);
  EXPECT_DOUBLE_EQ(watch.cpu_shares[0], 1.0);
  EXPECT_DOUBLE_EQ(watch.cpu_shares[1], 0.25);
  EXPECT_EQ(*watch.involuntary_switches, 40U);
  EXPECT_DOUBLE_EQ(*watch.stolen_share, 0.1);
  EXPECT_DOUBLE_EQ(*watch.clock_before_ghz, 3.0);
  EXPECT_DOUBLE_EQ(*watch.clock_after_ghz, 3.3);
}

TEST(PhaseWatcher, LeavesOutWhatTheSystemDoesNotTell) {
  MadeUp machine;
  WatchSource source = source_of(machine);
  source.cpu_s = [] { return std::optional<double>(); };
  source.involuntary_switches = [] { return std::optional<std::uint64_t>(); };
  source.ticks = [] { return std::optional<MachineTicks>(); };
  source.clock_ghz = [] { return std::optional<double>(); };
  PhaseWatcher watcher("sweep", source);
  watcher.begin_repetition();
  machine.wall += 1;
  watcher.end_repetition();
  const PhaseWatch watch = watcher.finish();
  EXPECT_FALSE(watch.cpu_s);
  EXPECT_TRUE(watch.cpu_shares.empty());
  EXPECT_FALSE(watch.involuntary_switches);
  EXPECT_FALSE(watch.stolen_share);
  EXPECT_FALSE(watch.clock_before_ghz);
}

// The programs' work is the children's: their CPU time and their involuntary switches, never
// those of the report's own thread, which only waits for them.
TEST(WatchSources, ReadTheProgramsOwnFiguresForTheirPhase) {
  using Switches = std::optional<std::uint64_t> (*)();
  using Seconds = std::optional<double> (*)();
  const WatchSource programs = programs_watch_source();
  ASSERT_NE(programs.involuntary_switches.target<Switches>(), nullptr);
  EXPECT_EQ(*programs.involuntary_switches.target<Switches>(), &children_involuntary_switches);
  EXPECT_EQ(*programs.cpu_s.target<Seconds>(), &children_cpu_seconds);
  const WatchSource thread = thread_watch_source();
  EXPECT_EQ(*thread.involuntary_switches.target<Switches>(), &involuntary_switches);
  EXPECT_EQ(*thread.cpu_s.target<Seconds>(), &thread_cpu_seconds);
}

}  // namespace
