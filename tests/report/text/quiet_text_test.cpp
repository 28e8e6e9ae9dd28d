// Whether the machine was quiet, as text: one sentence for the quiet phases, one finding per
// disturbed phase with its figures and the system's signs.
#include "report/text/quiet_text.h"

#include <gtest/gtest.h>

#include "tests/report/sample_results.h"

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
               "  repetition (140.00 ns a call against 70.00). The system: its work ran 62.0% of\n"
               "  the wall time in its slowest repetition, the host stole 3.1% of the machine's\n"
               "  time. 3 involuntary switches."),
      std::string::npos)
      << out;
  EXPECT_NE(out.find("  Quiet: the programs' runs, the sweep."), std::string::npos) << out;
  // Its findings withheld, named; the switches counted in all are the quiet phases' only.
  EXPECT_NE(
      out.find("time. 3 involuntary switches. Something else ran on the machine then: its\n"
               "  figures are named where they are used, and the findings drawn from its timings\n"
               "  are withheld: why binary is faster (unsigned); why binary is faster (signed);\n"
               "  whether the phases agree; and 12 more. Run the report again on a quiet\n"
               "  machine.\n"),
      std::string::npos)
      << out;
  EXPECT_NE(out.find("tells; 6 involuntary switches in all."), std::string::npos) << out;
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
               "  their quiet could not be judged, and the findings drawn from their timings are\n"
               "  withheld: whether the phases agree.\n"),
      std::string::npos)
      << out;
  EXPECT_NE(out.find("  Quiet: the study on the programs' pairs, the sweep."), std::string::npos)
      << out;
}

// The programs' runs "were" disturbed; one switch is one "switch"; a sweep point whose fastest
// repetition is below 0 (a time net of the loop) spreads by ns, not by a share of it.
TEST(QuietSection, SaysAPhasesWordsAsTheyRead) {
  Results results = sample_results();
  results.programs_watch->cpu_shares = {1.0, 0.5};
  results.programs_watch->involuntary_switches = 1;
  results.benchmarks[0].runs_ms = {800, 1000, 1000, 800, 1000};
  results.study.sweep[3].ns_per_call = {-3, 4, 4, 4, -3};
  std::string out;
  quiet_section(out, worked(results));
  EXPECT_NE(out.find("Finding: the programs' runs were disturbed. Their repetitions spread"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("slowest run. 1 involuntary switch. Something"), std::string::npos) << out;
  EXPECT_NE(out.find("gcd_euclid_u at 4 bits 4.00 ns a call, its fastest repetition too small\n"
                     "  to time"),
            std::string::npos)
      << out;
}

}  // namespace
