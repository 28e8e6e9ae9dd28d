// The report's text: its verdicts, its warnings, the crossover and the width of its lines.
#include "report/text/report_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "report/files/paths.h"
#include "tests/report/sample_results.h"

namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Each sentence, whole, somewhere in the text.
void expect_whole(const std::string& text, std::initializer_list<const char*> sentences) {
  for (const char* sentence : sentences) {
    EXPECT_TRUE(contains(text, sentence)) << "missing:\n" << sentence << "\nin:\n" << text;
  }
}

// Every sentence that compares two figures, whole: the figures of sample_results() give
// each by hand (binary_u 400 ms against euclid_u 800: 2.00 times as fast; signed 780 against
// 300: 2.60; a pass of gcd_binary_u 40 / 20.7 = 1.93 ns, at 3 GHz 5.8 cycles, against
// 80 / 19 = 4.21 ns, 12.6 cycles: 0.46). The intervals lie within the ratios of the extreme
// runs (790 / 405 to 810 / 395).
TEST(FormatReport, AnswersEachQuestionInWholeSentences) {
  const std::string text = format_report(sample_results());
  expect_whole(
      text, {
                "  processor  Test CPU\n"
                "             GenuineIntel, family 6, model 207, stepping 2\n"
                "  machine    virtual (KVM): its timings share a host with other machines\n"
                "  clock      3.00 GHz, measured here (2.95 before the study, 3.05 after)\n"
                "  compiler   g++ 12, Release build\n\n",
                "  check_s  gcd_binary_s against gcd_euclid_s on 10000000 pairs: 0 errors\n",
                "Which is faster here? (the benchmark programs, msec for 10000000 calls)\n",
                "  bench_binary_u     5   400.0    395    405    40.0  0.500 (0.494-0.509)\n",
                "  bench_binary_s     5   300.0    295    305    30.0  0.375 (0.369-0.382)\n",
                "  Unsigned: binary is 2.00 times as fast as Euclid (1.97-2.04).\n"
                "  Signed:   binary is 2.60 times as fast as Euclid (2.56-2.65).\n",
                "                 per call               per pass\n"
                "  kernel             ns  cycles  passes    ns  cycles  ratio to gcd_euclid_u\n"
                "  gcd_euclid_u     80.0   240.0  19.000  4.21   12.63  1.000\n",
                "  gcd_binary_u     40.0   120.0  20.700  1.93    5.80  0.500 (0.487-0.513)\n",
                "  gcd_binary_s     45.0   135.0  20.000  2.25    6.75  0.562 (0.549-0.576)\n",
                "  fast_binary_u    30.0    90.0       -     -       -  0.375 (0.362-0.388)\n",
                "  ns are medians of 5 repetitions, net of the programs' loop itself (two draws\n"
                "  and the call of an empty kernel: 2.1 ns per call); cycles are ns times the\n"
                "  clock, 3.00 GHz.\n",
                "  gcd_binary_u makes 1.09 times as many passes as gcd_euclid_u, at 0.46 of the\n"
                "  cycles of a pass (5.8 against 12.6).\n",
                "  gcd_binary_s makes 1.09 times as many passes as gcd_euclid_s, at 0.53 of the\n"
                "  cycles of a pass (6.8 against 12.7).\n",
                "  A mispredicted branch costs 14.4 cycles here (4.80 ns; a branch on random\n"
                "  bytes against the same branch on alternating ones). Each call ends its loop\n"
                "  with one that cannot be predicted: 6.0% of the cycles per call of\n"
                "  gcd_euclid_u, 6.2% of gcd_euclid_s, 12.0% of gcd_binary_u and 10.7% of\n"
                "  gcd_binary_s.\n",
                "  mpn_gcd_1_u left out: GMP was not found at build time (Debian libgmp-dev).\n",
                "  gcd_binary_u is the faster of the unsigned kernels from 7 bits on;\n"
                "  gcd_binary_s the faster of the signed ones at every size.\n",
                "  gcd_euclid_u      0.5850  0.5842       +0.1%\n",
            });
  EXPECT_FALSE(contains(text, "Noisy")) << text;
  EXPECT_FALSE(contains(text, "from its constant")) << text;
  EXPECT_FALSE(contains(text, "The clock fell")) << text;
  EXPECT_FALSE(contains(text, "The clock rose")) << text;
}

// Without a clock (a processor it cannot be measured on), the same in ns.
TEST(FormatReport, SpeaksInNsWhereTheClockIsUnknown) {
  Results results = sample_results();
  results.study.clock_before_ghz.reset();
  results.study.clock_after_ghz.reset();
  results.machine.x86.reset();
  results.machine.virtual_machine.reset();
  results.model.reset();  // a model speaks in cycles, as do the counters and the latencies,
  results.study.counters.clear();  // which have no clock either
  results.study.latencies = {};
  results.study.divider.clear();
  results.bounds.clear();
  const std::string text = format_report(worked(results));
  expect_whole(
      text,
      {
          "  processor  Test CPU\n"
          "  clock      not measured on this processor: figures in ns only\n",
          "  kernel         ns/call passes/call ns/pass  ratio to gcd_euclid_u\n"
          "  gcd_euclid_u      80.0      19.000    4.21  1.000\n",
          "  gcd_binary_u makes 1.09 times as many passes as gcd_euclid_u, at 0.46 of the\n"
          "  cost of a pass (1.93 ns against 4.21 ns).\n",
          "  A mispredicted branch costs 4.80 ns here (a branch on random bytes against the\n",
      });
  EXPECT_FALSE(contains(text, "cycles")) << text;
  EXPECT_FALSE(contains(text, "  machine    ")) << text;
}

// Below 5 runs a bootstrap interval is no 95% interval: a dash, the verdict without one, and
// one note that says why.
TEST(FormatReport, ShowsNoIntervalBelowFiveRuns) {
  Results results = sample_results();
  for (BenchmarkRow& row : results.benchmarks) {
    row.runs_ms.resize(2);
  }
  results.study.settings.repetitions = 4;
  for (KernelFigures& kernel : results.study.kernels) {
    kernel.ns_per_call.resize(4);
  }
  const std::string text = format_report(worked(results));
  expect_whole(text,
               {
                   "  bench_binary_u     2   402.5    400    405    40.2  0.500 (-)\n",
                   "  Unsigned: binary is 2.00 times as fast as Euclid.\n",
                   "  No intervals (-): with 2 runs a bootstrap of the median is no 95% interval\n"
                   "  (with 2 it is only the range of the two); --runs 5 or more gives one.\n",
                   "  gcd_binary_u     39.8   119.2  20.700  1.92    5.76  0.498 (-)\n",
                   "  No intervals (-): with 4 repetitions a bootstrap of the median is no 95%\n"
                   "  interval (with 2 it is only the range of the two); --repetitions 5 or more\n"
                   "  gives one.\n",
               });
  EXPECT_FALSE(contains(format_report(sample_results()), "No intervals")) << text;
  // One repetition: a figure of one, no median of one.
  results.study.settings.repetitions = 1;
  for (KernelFigures& kernel : results.study.kernels) {
    kernel.ns_per_call.resize(1);
  }
  const std::string one = format_report(worked(results));
  EXPECT_TRUE(contains(one, "  ns are of one repetition, net of the programs' loop itself")) << one;
  EXPECT_FALSE(contains(one, "1 repetitions")) << one;
}

// A clock that moved by more than 5% during the report is a finding of its own.
TEST(FormatReport, SaysSoWhenTheClockMoved) {
  Results results = sample_results();
  results.study.clock_before_ghz = 3.2;
  results.study.clock_after_ghz = 2.8;
  EXPECT_TRUE(
      contains(format_report(worked(results)),
               "  The clock fell by 12.5% during the report (3.20 GHz before the study, 2.80 GHz\n"
               "  after): turbo or power limits at work. Cycles use the mean of the two, and are\n"
               "  as uncertain as the clock.\n"))
      << format_report(worked(results));
  results.study.clock_after_ghz = 3.4;
  EXPECT_TRUE(contains(format_report(worked(results)), "  The clock rose by 6.2% during"));
  results.study.clock_after_ghz = 3.05;  // 4.7%
  EXPECT_FALSE(contains(format_report(worked(results)), "The clock fell"));
}

// The model against the measurement, by hand: gcd_euclid_u's pass 80 ns / 19 at 3 GHz is
// 12.6 cycles; the model per call 19 x 14 + 14.4 (the mispredicted exit) = 280.4 against
// 240.0, +16.8%. gcd_binary_u's model of 13.0 cycles is 2.2 times the 5.8 measured.
TEST(FormatReport, SetsTheModelBesideTheMeasurement) {
  const std::string text = format_report(sample_results());
  expect_whole(
      text, {
                "  LLVM's model: llvm-mca -mcpu=testlake (LLVM 14) on each kit kernel's loop,\n",
                "  gcd_binary_u: backend pressure in 82.1% of cycles: resource pressure 52.1% (P0\n"
                "  44.6%), register dependencies 60.0%; critical sequence tzcntl %eax, %eax (3)\n"
                "  -> shrl %cl, %esi (3).\n",
                "  Finding: the model and the measurement part for gcd_binary_u: the model gives\n"
                "  a pass 13.0 cycles, 2.2 times the 5.8 measured here; the longest latency on\n"
                "  its critical sequence is tzcntl %eax, %eax, 3 cycles.\n",
                "  kernel           cycles instructions per pass    IPC branch misses\n"
                "  gcd_euclid_u      240.0        114.0     6.00   0.47          1.00\n",
                "  The counted cycles are 100.0% of ns times the clock measured by the chain of\n"
                "  additions.\n",
            });
  EXPECT_FALSE(contains(text, "part for gcd_euclid_u")) << "14.0 against 12.6 is within 20%";

  Results without = sample_results();
  without.model.reset();
  without.model_left_out = "llvm-mca not found: could not be started: No such file or directory";
  without.study.counters.clear();
  without.study.counters_left_out = "perf_event_open for cycles: No such file or directory";
  const std::string notes = format_report(worked(without));
  EXPECT_TRUE(
      contains(notes,
               "  No model of the kernels' loops: llvm-mca not found: could not be started: No\n"
               "  such file or directory (llvm-mca of LLVM and objdump of binutils, where\n"
               "  installed).\n"
               "  No hardware counters here (perf_event_open for cycles: No such file or\n"
               "  directory): many virtual machines give a process none.\n"))
      << notes;
}

// Also with every peer a build may have: the sweep's tables go on in a block below.
TEST(FormatReport, FitsAnEightyColumnTerminal) {
  Results results = sample_results();
  for (const char* peer : {"std_gcd_u", "mpn_gcd_1_u", "binary_two_u"}) {
    results.study.kernels.push_back({peer, {30, 30, 30, 30, 30}, std::nullopt});
    for (unsigned bits = 1; bits <= 32; ++bits) {
      results.study.sweep.push_back({peer, bits, {1.0 * bits}, std::nullopt});
    }
  }
  const std::string text = format_report(worked(results));
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 80U) << line;
  }
  EXPECT_NE(text.find("\n\n        binary_\n  bits    two_u\n"), std::string::npos) << text;
}

TEST(FormatReport, NamesAProgramWhoseRunsSpreadMoreThanATenth) {
  Results results = sample_results();
  results.benchmarks[1].runs_ms = {780, 790, 870, 785, 775};  // (870 - 775) / 785 > 0.1
  results.benchmarks[2].runs_ms = {400, 430, 395, 402, 398};  // (430 - 395) / 400 < 0.1
  const std::string text = format_report(worked(results));
  EXPECT_TRUE(
      contains(text,
               "  Noisy: the runs of bench_euclid_s spread by 12.1% of their median, more than\n"
               "  10%: the machine was busy. Run it again with more runs (--runs 15).\n"))
      << text;
  EXPECT_FALSE(contains(text, "the runs of bench_binary_u")) << text;
  EXPECT_TRUE(contains(text, "  bench_euclid_s     5   785.0")) << "still printed:\n" << text;
  // Still noisy after two runs more, one far above the rest left out: the spread is of those
  // kept, and more time to run them again would help.
  results.benchmarks[1].runs_ms.again(1000, true);
  results.benchmarks[1].runs_ms.again(860, true);
  EXPECT_TRUE(
      contains(format_report(worked(results)),
               "  Noisy: the runs of bench_euclid_s kept spread by 12.1% of their median, more\n"
               "  than 10%, after 2 more: the machine was busy. Run it again with more runs\n"
               "  (--runs 15) or more time to run them again (--retime 50).\n"))
      << format_report(worked(results));
}

TEST(FormatReport, SaysSoWhenAKernelLandsFarFromItsConstant) {
  Results results = sample_results();
  results.study.passes_per_bit[1].measured = 0.80;
  const std::string text = format_report(worked(results));
  EXPECT_TRUE(
      contains(text,
               "  Finding: gcd_binary_u lands 13.3% from its constant: its loop does not make the\n"
               "  passes of the textbook algorithm, or the sweep is too small to tell.\n"))
      << text;
}

TEST(CrossoverText, SaysFromWhichSizeOnBinaryIsFaster) {
  EXPECT_EQ(crossover_text(Crossover{}), "(not measured)");
  EXPECT_EQ(crossover_text(Crossover{true, 0, false}), "at no size");
  EXPECT_EQ(crossover_text(Crossover{true, 1, true}), "at every size");
  EXPECT_EQ(crossover_text(Crossover{true, 7, false}), "from 7 bits on");
}

// Paths in this system's own spelling, below an absolute folder of its own.
std::string text_of(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return {utf8.begin(), utf8.end()};
}

TEST(FormatFiles, SaysWhereTheProgramsAndFilesAreFromTheWorkingFolder) {
  const std::filesystem::path base = std::filesystem::absolute("base");
  const std::filesystem::path elsewhere = std::filesystem::absolute("elsewhere");
  const std::string text = format_files(
      {{"bench_euclid_u", text_of(base / "bench" / "bench_euclid_u")},
       {"bench_binary_u", text_of(base / "bench" / "bench_binary_u")},
       {"check_u", text_of(elsewhere / "check" / "check_u")}},
      {{"JSON", text_of(base / "report.json"), ""}, {"SVG", "out/../report.svg", "Disk full"}},
      text_of(base));
  EXPECT_EQ(text,
            "Where things are\n"
            "  programs  bench\n"
            "            " +
                text_of(elsewhere / "check") +
                "\n"
                "  JSON      report.json\n"
                "  SVG       report.svg (not written: Disk full)\n");
}

TEST(ShownPath, IsRelativeBelowTheFolderAndAbsoluteElsewhere) {
  const std::filesystem::path base = std::filesystem::absolute("base");
  const std::string below = text_of(std::filesystem::path("c") / "report.json");
  EXPECT_EQ(shown_path(text_of(base / "c" / "report.json"), text_of(base)), below);
  EXPECT_EQ(shown_path("c/./d/../report.json", text_of(base)), below);
  EXPECT_EQ(shown_path(text_of(base), text_of(base)), ".");
  EXPECT_EQ(shown_path("../x/report.json", text_of(base)),
            text_of((base / ".." / "x" / "report.json").lexically_normal()));
  EXPECT_EQ(shown_path("../x.json", text_of(base / "c")), text_of(base / "x.json"));
}

// The programs that stand apart from the study and the sweep, which agree: named as the one
// phase that parts, in words that agree with it.
TEST(FormatReport, NamesThePhaseThatStandsApart) {
  Results results = sample_results();
  for (BenchmarkRow& row : results.benchmarks) {
    for (double& ms : row.runs_ms.values) {
      ms *= 2;
    }
  }
  const std::string text = format_report(worked(results));
  EXPECT_TRUE(contains(text, "The programs stand apart, by")) << text;
  EXPECT_FALSE(contains(text, "programs stands")) << text;
}

// The sweep's disturbed points, each kernel's sizes in one list under the table.
TEST(FormatReport, NamesTheSweepsDisturbedPointsKernelByKernel) {
  Results results = sample_results();
  for (SweepFigures& point : results.study.sweep) {
    const bool disturbed = point.kernel == "gcd_euclid_u"
                               ? point.bits == 4 || point.bits == 10 || point.bits == 11
                               : point.kernel == "gcd_binary_s" && point.bits == 1;
    if (disturbed) {
      const double fastest = point.ns_per_call[0];
      point.ns_per_call = {fastest, 2 * fastest + 3, 2 * fastest + 3, fastest, 2 * fastest + 3};
    }
  }
  expect_whole(format_report(worked(results)),
               {"  Disturbed: gcd_euclid_u at 4, 10 and 11 bits; gcd_binary_s at 1 bit (a median\n"
                "  more than 15% above its fastest repetition)"});
}

// A study disturbed by the system's signs alone withholds every finding drawn from its timings,
// saying so where each would stand; the sweep's crossover, drawn from another phase, stays.
TEST(FormatReport, WithholdsTheFindingsOfAPhaseDisturbedBySignsAlone) {
  const std::string text = format_report(with_phase_busy("study"));
  for (const char* finding : {"is its chain", "more than its chain", "sits on", "within 10%",
                              "Finding: the model and the measurement part", "of the cycles of a",
                              "agree on each kit kernel's ns a pass, within"}) {
    EXPECT_FALSE(contains(text, finding)) << finding << "\nin:\n" << text;
  }
  expect_whole(text,
               {"  gcd_binary_u makes 1.09 times as many passes as gcd_euclid_u; the cycles of\n"
                "  their passes, set against each other: withheld, timed while the machine was\n"
                "  disturbed.\n",
                "  Whether the programs, the study on their pairs and the sweep at 32 bits agree\n"
                "  on each kit kernel's ns a pass: withheld, timed while the machine was\n"
                "  disturbed.\n",
                "  gcd_euclid_u: withheld, its call was timed while the machine was disturbed.\n",
                "  Where the model parts from the pass measured, for gcd_euclid_u, gcd_euclid_s,\n",
                "  gcd_euclid_u: withheld, its calls were timed while the machine was disturbed.\n",
                "  gcd_binary_u is the faster of the unsigned kernels from 7 bits on;\n"});
  const std::string sweep = format_report(with_phase_busy("sweep"));
  EXPECT_FALSE(contains(sweep, "the faster of the unsigned kernels")) << sweep;
  expect_whole(sweep, {"  From which size on each binary kernel is the faster: withheld, timed "
                       "while the\n  machine was disturbed.\n"});
  EXPECT_TRUE(contains(sweep, "is its chain")) << sweep;
}

// A kernel whose time net of the loop came out at or below 0, or below 1 ns: no ratio, no share
// and no cost of a pass is made of it; the text says it is too small to time.
TEST(FormatReport, MakesNoRatioOfATimeTooSmallToTime) {
  Results results = sample_results();
  results.study.kernels[2].ns_per_call = {-0.5, 0.2, 0.4, 0.1, 0.3};  // gcd_binary_u
  const std::string text = format_report(worked(results));
  expect_whole(text,
               {"  gcd_binary_u      0.2     0.6  20.700  0.01    0.03  - (too small to time)\n",
                "  gcd_binary_u makes 1.09 times as many passes as gcd_euclid_u; a call of one of\n"
                "  them is too small to time here, so their passes are not set against each\n"
                "  other.\n",
                "  gcd_binary_u: its call is too small to time here (0.6 cycles net of the loop),\n"
                "  so it is not held against its chain of 97.2.\n"});
  EXPECT_FALSE(contains(text, "% of gcd_binary_u")) << text;
  EXPECT_FALSE(contains(text, "Finding: the model and the measurement part for gcd_binary_u"))
      << text;
}

// A disturbed figure is named where it is used: its row in its table marked, and the mark said.
TEST(FormatReport, MarksTheDisturbedFiguresInTheirTables) {
  Results results = sample_results();
  results.benchmarks[2].runs_ms = {400, 500, 500, 400, 500};
  results.study.kernels[2].ns_per_call = {40, 80, 80, 40, 80};
  const std::string text = format_report(worked(results));
  // Each figure is the median of the runs it kept, the two fastest, and has no interval.
  expect_whole(
      text, {"  bench_binary_u     5   400.0    400    500    40.0  0.500 (-) *\n",
             "  *: its runs spread more than a quiet run's, timed while the machine was\n",
             "  No interval (-) where fewer than 5 runs were kept: the interval, like the\n",
             "  gcd_binary_u     40.0   120.0  20.700  1.93    5.80  0.500 (-) *\n",
             "  *: its repetitions spread more than a quiet run's, timed while the machine was\n",
             "  No interval (-) where fewer than 5 repetitions were kept: the interval, like\n"});
  EXPECT_FALSE(contains(format_report(sample_results()), " *\n"));
}

}  // namespace
