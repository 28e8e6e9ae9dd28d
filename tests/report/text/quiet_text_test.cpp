// Whether the machine was quiet, as text: one sentence for the quiet phases, one finding per
// disturbed phase with its figures and the system's signs.
#include "report/text/quiet_text.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/report/sample_results.h"
#include "tests/report/text/unwrapped.h"

namespace {

TEST(QuietSection, SaysSoInOneSentenceWhereEveryPhaseWasQuiet) {
  std::string out;
  quiet_section(out, sample_results());
  EXPECT_EQ(out,
            "Was the machine quiet? (each phase watched, against what a quiet run shows)\n"
            "  Quiet: the programs' runs, the study on the programs' pairs, the sweep. Every\n"
            "  figure's median there stands within 15% (and 2 ns a call) of its fastest\n"
            "  repetition, as on a quiet machine; the work ran at least 95% of the wall time,\n"
            "  the host stole at most 2% and the clock held within 5%, where the system\n"
            "  tells; 9 involuntary switches in all.\n\n");
}

// The study slowed alike for every kernel, as under load, its thread off the processor a
// while: named, with its figures and signs; the other phases quiet.
TEST(QuietSection, NamesADisturbedPhaseWithItsFiguresAndSigns) {
  Results results = sample_results();
  results.study.phases[0].cpu_shares = {1.0, 0.62};
  results.study.phases[0].stolen_share = 0.031;
  results.study.kernels[0].ns_per_call = {70, 140, 140, 70, 140};
  std::string out;
  quiet_section(out, worked(results));
  EXPECT_NE(
      out.find("  Finding: the study on the programs' pairs was disturbed. Its repetitions\n"
               "  spread more than a quiet run's: gcd_euclid_u 100.0% above its fastest\n"
               "  repetition (140.00 ns a call against 70.00; 2 of its 5 repetitions kept, 3\n"
               "  needed). The system: the host stole 3.1% of the machine's time. 3 involuntary\n"
               "  switches."),
      std::string::npos)
      << out;
  EXPECT_NE(out.find("  Quiet: the programs' runs, the sweep."), std::string::npos) << out;
  // Its findings withheld, named; the switches counted in all are the quiet phases' only.
  EXPECT_NE(
      out.find("  switches. Something else ran on the machine then: its figures are named where\n"
               "  they are used, and the findings drawn from its timings are withheld: why\n"
               "  binary is faster (unsigned); why binary is faster (signed); whether the phases\n"
               "  agree; and 12 more. Run the report again with more time to time again what was\n"
               "  disturbed (--retime 50), or on a quieter machine.\n"),
      std::string::npos)
      << out;
  EXPECT_NE(out.find("tells; 6 involuntary switches in all."), std::string::npos) << out;
  // The repetition whose work lost the processor was left out of each figure; no sign against
  // the phase.
  EXPECT_NE(
      out.find("  Repetitions whose work lost the processor (down to 62.0% of the wall time) are\n"
               "  left out of each figure.\n"),
      std::string::npos)
      << out;
  // Where nothing could be timed again, the report says how to let it.
  results.study.settings.retime_seconds = 0;
  out.clear();
  quiet_section(out, worked(results));
  EXPECT_NE(out.find("Run the report again on a quiet machine, or let it time\n"
                     "  again what was disturbed (--retime 10).\n"),
            std::string::npos)
      << out;
}

// What was timed again, in rounds and seconds per phase, and whether it now holds; a figure
// that still does not hold says how often it was timed again.
TEST(QuietSection, SaysWhatWasTimedAgainAndWhatHeld) {
  Results results = sample_results();
  results.study.phases[1].rounds_again = 2;
  results.study.phases[1].seconds_again = 1.34;
  results.study.sweep[5].ns_per_call = {20, 20, 20, 30, 30, 30, 30, 20, 20};
  results.study.sweep[5].ns_per_call.timed_again = 4;
  std::string out;
  quiet_section(out, worked(results));
  EXPECT_NE(
      out.find("  Timed again within 10 s (--retime), what did not hold: the sweep, 2 rounds\n"
               "  (1.3 s). All of it now holds.\n"),
      std::string::npos)
      << out;
  EXPECT_NE(
      out.find("  Quiet: the programs' runs, the study on the programs' pairs, the sweep. Every\n"
               "  figure there kept a majority of its repetitions, those within 15% (and 2 ns a\n"
               "  call) of its fastest whose work ran at least 95% of the wall time (4 of "),
      std::string::npos)
      << out;
  results.study.sweep[5].ns_per_call = {20, 20, 30, 30, 30, 30, 30, 30, 30};
  results.study.sweep[5].ns_per_call.timed_again = 4;
  out.clear();
  quiet_section(out, worked(results));
  EXPECT_NE(out.find("20.00; 2 of its 9 repetitions kept, 3 needed, 4 timed again)"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("What still does not hold is named above."), std::string::npos) << out;
}

// A figure whose repetitions lost the processor, left out by their signs and not for their
// spread: said so.
TEST(QuietSection, SaysWhereAFiguresRepetitionsLostTheProcessor) {
  Results results = sample_results();
  Repeated& runs = results.benchmarks[2].runs_ms;
  for (std::size_t i = 0; i < 3; ++i) {
    runs.quiet_signs[i] = false;
  }
  std::string out;
  quiet_section(out, worked(results));
  const std::string words = unwrapped(out);
  EXPECT_NE(words.find("Their repetitions spread more than a quiet run's, or lost the processor:"),
            std::string::npos)
      << out;
  EXPECT_NE(words.find("2 of its 5 repetitions kept, 3 needed, 3 lost the processor)"),
            std::string::npos)
      << out;
}

// One run and one repetition: no spread to judge a phase by, said so, with what it withholds;
// and no sentence that calls it quiet.
TEST(QuietSection, SaysWhereAPhasesQuietCouldNotBeJudged) {
  Results results = sample_results();
  for (BenchmarkRow& row : results.benchmarks) {
    row.runs_ms.resize(1);
  }
  std::string out;
  quiet_section(out, worked(results));
  EXPECT_NE(
      out.find("  Not judged: the programs' runs (1 run of each program). A figure's spread\n"
               "  needs 2 repetitions or more to tell a busy spell from the figure itself, so\n"
               "  their quiet could not be judged, nothing was timed again, and the findings\n"
               "  drawn from their timings are withheld: whether the phases agree.\n"),
      std::string::npos)
      << out;
  EXPECT_NE(out.find("  Quiet: the study on the programs' pairs, the sweep."), std::string::npos)
      << out;
  // A lone run that lost the processor is all its figure has: it is not said to be left out.
  for (BenchmarkRow& row : results.benchmarks) {
    row.runs_ms.quiet_signs[0] = false;
  }
  results.programs_watch->cpu_shares = {0.5, 1.0, 1.0, 1.0};
  out.clear();
  quiet_section(out, worked(results));
  EXPECT_EQ(unwrapped(out).find("are left out"), std::string::npos) << out;
}

// A program whose kept runs spread more than 10%: named with that spread, not as a median
// above its fastest, which it is not by much.
TEST(QuietSection, NamesTheRunsThatSpreadTooFarWithTheirSpread) {
  Results results = sample_results();
  results.benchmarks[2].runs_ms = {400, 400, 400, 441, 400};
  std::string out;
  quiet_section(out, worked(results));
  EXPECT_NE(unwrapped(out).find("Finding: the programs' runs were disturbed. Their repetitions "
                                "spread more than a quiet run's: bench_binary_u's kept runs "
                                "10.2% apart, more than 10% (40.00 ns a call; 5 of its 5 "
                                "repetitions kept, 3 needed)."),
            std::string::npos)
      << out;
}

// Where every run of a program lost the processor, its figure is worked out from them all:
// none is said to be left out, and the system's sign of them stays beside the figures.
TEST(QuietSection, KeepsTheSignOfRunsAFigureCouldNotLeaveOut) {
  Results results = sample_results();
  Repeated& runs = results.benchmarks[2].runs_ms;
  runs.quiet_signs.assign(runs.size(), false);
  results.programs_watch->cpu_shares = {0.5, 0.5, 0.5, 0.5, 0.5};
  std::string out;
  quiet_section(out, worked(results));
  EXPECT_EQ(unwrapped(out).find("are left out"), std::string::npos) << out;
  EXPECT_NE(unwrapped(out).find("its work ran 50.0% of the wall time"), std::string::npos) << out;
}

// The programs' runs "were" disturbed; one switch is one "switch"; a sweep point whose fastest
// repetition is below 0 (a time net of the loop) spreads by ns, not by a share of it.
TEST(QuietSection, SaysAPhasesWordsAsTheyRead) {
  Results results = sample_results();
  // A report from before its values carried their signs: the slowest run is the phase's sign.
  results.study.signs_per_value = false;
  results.programs_watch->cpu_shares = {1.0, 0.5};
  results.programs_watch->involuntary_switches = 1;
  results.benchmarks[0].runs_ms = {800, 1000, 1000, 800, 1000};
  results.benchmarks[0].runs_ms.every_value_counts = true;  // it kept every run
  results.study.sweep[3].ns_per_call = {-3, 4, 4, 4, -3};
  std::string out;
  quiet_section(out, worked(results));
  EXPECT_NE(out.find("Finding: the programs' runs were disturbed. Their repetitions spread"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("slowest run. 1 involuntary switch. Something"), std::string::npos) << out;
  // Its figure's words count no values kept: it left none out.
  EXPECT_NE(out.find("(100.00 ns a\n  call against 80.00). The system"), std::string::npos) << out;
  EXPECT_NE(out.find("gcd_euclid_u at 4 bits 4.00 ns a call, its fastest repetition too small\n"
                     "  to time"),
            std::string::npos)
      << out;
}

}  // namespace
