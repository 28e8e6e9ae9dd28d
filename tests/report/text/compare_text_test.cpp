// Comparing two fixed reports: the change of each figure and whether it is beyond the noise.
#include "report/text/compare_text.h"

#include <gtest/gtest.h>

#include <string>

#include "report/files/report_file.h"
#include "tests/report/sample_results.h"
#include "tests/report/test_data.h"

namespace {

std::string row_of(const std::string& table, const std::string& figure) {
  const std::size_t start = table.find("\n  " + figure + " ");
  if (start == std::string::npos) {
    return "";
  }
  return table.substr(start + 1, table.find('\n', start + 1) - start - 1);
}

TEST(Comparison, ShowsOldNewAndTheChangeOfEachFigure) {
  const std::string table =
      format_comparison(test_report("new.json"), test_report("old.json"), "old.json");
  EXPECT_TRUE(
      table.starts_with("Against an earlier report: old.json\n"
                        "  (Old CPU, g++ 12.2.0, Release build)\n"))
      << table;
  // The same within the noise, a real slowdown, and a figure the old report lacks. Apart or
  // not follows the intervals, not the size of the change: 5% in noisy runs is within the
  // noise, 1.5% in steady ones is apart.
  EXPECT_EQ(row_of(table, "bench_euclid_u msec"),
            "  bench_euclid_u msec             800.00    801.00     1.001  within noise");
  EXPECT_EQ(row_of(table, "bench_binary_u msec"),
            "  bench_binary_u msec             440.00    520.00     1.182  apart");
  EXPECT_EQ(row_of(table, "bench_euclid_s msec"),
            "  bench_euclid_s msec             800.00    840.00     1.050  within noise");
  EXPECT_EQ(row_of(table, "gcd_binary_u ns/call"),
            "  gcd_binary_u ns/call             40.00     40.60     1.015  apart");
  EXPECT_EQ(row_of(table, "binary speed-up, unsigned").substr(0, 62),
            "  binary speed-up, unsigned         1.82      1.54     0.847  ");
  EXPECT_EQ(row_of(table, "gcd_euclid_u ns/call"),
            "  gcd_euclid_u ns/call             76.00     76.00     1.000  within noise");
  EXPECT_EQ(row_of(table, "mpn_gcd_1_u ns/call"),
            "  mpn_gcd_1_u ns/call                  -     54.00         -");
  EXPECT_EQ(row_of(table, "fast_binary_u ns/call"), "");  // only in the old report
  // The dash of a figure the old report lacks, said as such.
  EXPECT_NE(table.find("  - in the old column: a figure not in the old report"), std::string::npos)
      << table;
  EXPECT_EQ(table.find("other settings"), std::string::npos) << table;
  EXPECT_EQ(table.find("different rules"), std::string::npos) << table;
}

// A report from before the rule of the quiet repetitions against one after it: said.
TEST(Comparison, SaysWhereTheReportsWorkedTheirFiguresOutByDifferentRules) {
  const std::string table =
      format_comparison(sample_results(), test_report("old.json"), "old.json");
  EXPECT_NE(table.find("  The two reports' figures were worked out by different rules: the old "
                       "one's as\n  the median of every repetition, the new one's as the median "
                       "of the quiet\n  repetitions (those within 15% of the fastest,"),
            std::string::npos)
      << table;
}

// In short, first: each speed-up's change with its verdict, and the kernel whose ns a call moved
// most among those apart (gcd_binary_u, by 1.5%; mpn_gcd_1_u is not in the old report).
TEST(Comparison, SaysInShortEachSpeedupsChangeAndTheKernelThatMovedMost) {
  const std::string table =
      format_comparison(test_report("new.json"), test_report("old.json"), "old.json");
  EXPECT_NE(
      table.find("  In short: the binary speed-up, unsigned, 1.82 then and 1.54 now (0.847,\n"
                 "  apart). Moved most of the kernels apart: gcd_binary_u, 40.00 ns a call then\n"
                 "  and 40.60 now (1.015).\n"),
      std::string::npos)
      << table;
  EXPECT_LT(table.find("In short"), table.find("figure "));
  // Nothing apart: said so.
  const std::string same =
      format_comparison(test_report("old.json"), test_report("old.json"), "old.json");
  EXPECT_NE(same.find("(1.000, within\n  noise). No kernel's ns a call moved apart.\n"),
            std::string::npos)
      << same;
}

// Both clocks known: cycles beside ns, each report's ns times its own clock. A faster clock
// alone shows in ns and not in cycles.
TEST(Comparison, ComparesCyclesWhereBothReportsHaveAClock) {
  Results old = test_report("old.json");
  Results now = test_report("new.json");
  old.study.clock_before_ghz = old.study.clock_after_ghz = 2.0;
  now.study.clock_before_ghz = 2.9;
  now.study.clock_after_ghz = 3.1;
  const std::string table = format_comparison(now, old, "old.json");
  EXPECT_NE(table.find("  clock: 2.00 GHz then, 3.00 GHz now\n"), std::string::npos) << table;
  EXPECT_EQ(row_of(table, "gcd_euclid_u cycles/call"),
            "  gcd_euclid_u cycles/call        152.00    228.00     1.500  apart");
  EXPECT_EQ(row_of(table, "mpn_gcd_1_u cycles/call"),
            "  mpn_gcd_1_u cycles/call              -    162.00         -");
}

// A report from before the clock was measured still compares, in ns.
TEST(Comparison, ComparesInNsWhereAReportHasNoClock) {
  Results now = test_report("new.json");
  now.study.clock_before_ghz = now.study.clock_after_ghz = 3.0;
  const std::string table = format_comparison(now, test_report("old.json"), "old.json");
  EXPECT_NE(table.find("  clock: not measured then, 3.00 GHz now; kernels compared in ns only\n"),
            std::string::npos)
      << table;
  EXPECT_EQ(table.find("cycles/call"), std::string::npos) << table;
  EXPECT_EQ(row_of(table, "gcd_euclid_u ns/call"),
            "  gcd_euclid_u ns/call             76.00     76.00     1.000  within noise");
}

// Below 5 runs no interval means anything: no "apart", no "within noise", and a note.
TEST(Comparison, TellsNothingOfTheNoiseWithoutIntervals) {
  Results old = test_report("old.json");
  old.benchmarks[2].runs_ms = {440, 445};  // bench_binary_u
  const std::string table = format_comparison(test_report("new.json"), old, "old.json");
  EXPECT_EQ(row_of(table, "bench_binary_u msec"),
            "  bench_binary_u msec             442.50    520.00     1.175  -");
  EXPECT_EQ(row_of(table, "bench_euclid_u msec"),
            "  bench_euclid_u msec             800.00    801.00     1.001  within noise");
  EXPECT_NE(
      table.find("  - : no 95% interval on one side (fewer than 5 runs or repetitions), so no "
                 "telling\n  a change from the noise.\n"),
      std::string::npos)
      << table;
  EXPECT_EQ(
      format_comparison(test_report("new.json"), test_report("old.json"), "old.json").find("- :"),
      std::string::npos);
}

TEST(Comparison, SaysWhenTheReportsWereMadeWithOtherSettings) {
  Results old = test_report("old.json");
  old.study.settings.repetitions = 1;
  old.study.settings.drawn_pairs = 2000;
  const std::string table = format_comparison(test_report("new.json"), old, "old.json");
  EXPECT_NE(
      table.find("  The two reports were made with other settings; figures compare less well:\n"
                 "    pairs timed in process             2000 old,    1000000 new\n"
                 "    repetitions in process                1 old,          5 new\n"),
      std::string::npos)
      << table;
}

// An earlier report whose kernels disagreed is said to be one.
TEST(Comparison, SaysWhenTheEarlierReportsCrossChecksFailed) {
  const std::string table =
      format_comparison(test_report("new.json"), test_report("hostile.json"), "hostile");
  EXPECT_NE(
      table.find("  Its cross-checks found errors (check_s: 3 errors): its kernels disagreed,"),
      std::string::npos)
      << table;
  EXPECT_EQ(format_comparison(test_report("new.json"), test_report("old.json"), "old")
                .find("cross-checks"),
            std::string::npos);
}

// What bounds a pass compares old and new where the new report has it: single figures, so no
// interval tells a change from the noise, and the note says so (not that runs were too few).
TEST(Comparison, ShowsTheDivisionAndTheChainsOldAndNew) {
  Results old = sample_results();
  old.study.divider[0].cycles = 14.0;
  old.bounds.pop_back();  // no chain of gcd_binary_u then
  const std::string table = format_comparison(sample_results(), old, "old");
  EXPECT_EQ(row_of(table, "gcd_euclid_u division cyc"),
            "  gcd_euclid_u division cyc        14.00     10.50     0.750  one figure");
  EXPECT_EQ(row_of(table, "gcd_binary_u chain cyc/pass"),
            "  gcd_binary_u chain cyc/pass          -      4.00         -");
  EXPECT_EQ(row_of(table, "gcd_binary_s chain cyc/pass"), "");  // in neither
  EXPECT_NE(
      table.find("  one figure: a division, a chain or a call's bound (its overlapped pass, its "
                 "exit in\n"),
      std::string::npos)
      << table;
  EXPECT_EQ(table.find("- :"), std::string::npos) << table;
  EXPECT_EQ(row_of(format_comparison(test_report("new.json"), test_report("old.json"), "old"),
                   "gcd_euclid_u division cyc"),
            "");  // in neither report
}

// A phase that was not quiet in either report: the rows drawn from it say so, not "apart" or
// "within noise", and each report's phases that were not quiet are named under the heading.
TEST(Comparison, CallsTheRowsOfAPhaseThatWasNotQuietDisturbed) {
  const std::string table =
      format_comparison(with_phase_busy("study"), sample_results(), "old.json");
  EXPECT_NE(table.find("  Not quiet then: none; now: the study on the programs' pairs "
                       "(disturbed).\n"),
            std::string::npos)
      << table;
  EXPECT_EQ(row_of(table, "gcd_euclid_u ns/call"),
            "  gcd_euclid_u ns/call             80.00     80.00     1.000  disturbed");
  EXPECT_EQ(row_of(table, "gcd_euclid_u predicted cyc"),
            "  gcd_euclid_u predicted cyc      248.69    248.69     1.000  disturbed");
  EXPECT_EQ(row_of(table, "bench_euclid_u msec"),
            "  bench_euclid_u msec             800.00    800.00     1.000  within noise");
  EXPECT_NE(table.find("  disturbed: timed in a phase that was not quiet"), std::string::npos);
  // The old report's phase, as much: either report's.
  const std::string old_busy =
      format_comparison(sample_results(), with_phase_busy("programs"), "old.json");
  EXPECT_EQ(row_of(old_busy, "bench_euclid_u msec"),
            "  bench_euclid_u msec             800.00    800.00     1.000  disturbed");
  EXPECT_EQ(row_of(old_busy, "gcd_euclid_u ns/call"),
            "  gcd_euclid_u ns/call             80.00     80.00     1.000  within noise");
}

// A figure at or below 0 (an exit in place that noise left there) is compared by no ratio.
TEST(Comparison, MakesNoRatioOfAFigureAtOrBelowZero) {
  Results old = sample_results();
  old.study.calls[1].own_order_ns_per_call = {30, 30, 30, 30, 30};  // below the groups' mix
  const std::string table = format_comparison(sample_results(), worked(old), "old.json");
  EXPECT_EQ(row_of(table, "gcd_binary_u exit in place"),
            "  gcd_binary_u exit in place      -16.00     14.00         -  one figure");
}

}  // namespace
