// Reports side by side: three fixed report files, one of them written before the cycles (ns
// only), one with fewer than 5 runs (no interval).
#include "report/text/side_by_side_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "report/files/report_file.h"
#include "tests/report/sample_results.h"
#include "tests/report/test_data.h"

namespace {

NamedReport load(const char* name) { return {name, test_report(name)}; }

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// old.json: format 1 (no clock), Euclid's pass 76 / 18.953 = 4.01 ns, 5 runs. cycles.json: a
// clock of 3 GHz, Euclid's pass 80 / 19 ns = 12.6 cycles, 2 runs; its model gives 14.0.
TEST(SideBySide, SetsTheReportsInColumnsUnderTheirMachines) {
  const std::string table =
      format_side_by_side({load("old.json"), load("cycles.json"), load("new.json")});
  for (const char* row : {
           "  report                     old.json         cycles.json      new.json\n"
           "  processor                  Old CPU          Cycles CPU       New CPU\n"
           "  machine                    -                virtual (KVM)    -\n"
           "  clock                      -                3.00 GHz         -\n"
           "  compiler                   g++ 12.2.0       g++ 12           clang++ 14.0.6\n",
           "  pairs in process           1000000          1000000          1000000\n",
           "  binary speed-up, unsigned  1.82 (1.80-1.84) 2.00 (-)         1.54 (1.53-1.56)\n"
           "  binary speed-up, signed    -                2.60 (-)         -\n",
           "  cycles per pass\n"
           "    gcd_euclid_u             4.01 ns          12.6             4.01 ns\n",
           "    gcd_binary_u             1.93 ns          5.8              1.96 ns\n",
           "  passes per bit (theory)\n"
           "    gcd_euclid_u (0.5842)    -                0.5850           -\n",
           "  ratio to gcd_euclid_u\n"
           "    fast_binary_u            0.421            0.375            -\n",
           "    gcd_euclid_u             -                14.0, deps 60%   -\n",
       }) {
    EXPECT_TRUE(contains(table, row)) << "missing:\n" << row << "\nin:\n" << table;
  }
  EXPECT_TRUE(
      contains(table, "  cycles.json has 2 runs of each benchmark: below 5 a bootstrap of"));
  EXPECT_TRUE(contains(table, "  old.json has no clock"));
  EXPECT_FALSE(contains(table, "  new.json has 2 runs"));
}

// A report whose kernels disagreed is named, in its column and in a note; its texts stand in
// their columns cut after whole characters, escaped where a terminal would obey them.
TEST(SideBySide, NamesAReportWhoseCrossChecksFailedAndCutsByCharacters) {
  NamedReport hostile = load("hostile.json");
  hostile.name = "hostile";
  const std::string table = format_side_by_side({load("old.json"), hostile});
  EXPECT_TRUE(contains(table,
                       "  cross-checks               -                check_s: 3\n"
                       "                                              errors\n"))
      << table;
  EXPECT_TRUE(contains(table, "  hostile: its cross-checks found errors (check_s: 3 errors): its"));
  EXPECT_TRUE(contains(table,
                       "\n                                              "
                       "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                       "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9...\n"))
      << table;  // 13 letters and "...": 16 characters, not 16 bytes
  EXPECT_TRUE(contains(table, "\\x1b]0;owned\\x07"));
  EXPECT_FALSE(contains(table, "\x1b"));
}

// The division on its operands and each chain against its measured pass, where a report has
// them (sample_results(): 10.5 cycles; 12.0 against 80 / 19 ns at 3 GHz, 12.6).
TEST(SideBySide, SetsTheDivisionAndEachChainBesideTheMeasuredPass) {
  const std::string table =
      format_side_by_side({{"sample", sample_results()}, load("cycles.json")});
  EXPECT_TRUE(contains(table,
                       "  division on its operands\n"
                       "    gcd_euclid_u             10.5 cycles      -\n"))
      << table;
  EXPECT_TRUE(contains(table,
                       "  chain / measured pass\n"
                       "    gcd_euclid_u             12.0 / 12.6      -\n"))
      << table;
  EXPECT_TRUE(contains(table, "    gcd_binary_s             -                -\n")) << table;
}

// More reports than fit 80 columns go on in a second block.
// One line per report first: the faster algorithm and by how much, and what a pass of each sits
// on, "-" for a report without the calls' bounds, "withheld" where a report withholds it.
TEST(SideBySide, SaysInShortWhatEachReportFound) {
  Results busy = sample_results();
  busy.study.calls[1].own_order_ns_per_call = {40, 80, 80, 40, 80};  // gcd_binary_u's calls
  const std::string table =
      format_side_by_side({{"quiet", sample_results()}, {"busy", worked(busy)}, load("old.json")});
  EXPECT_TRUE(table.starts_with(
      "Side by side: 3 reports\n"
      "In short: the faster algorithm, and what a pass of each sits on\n"
      "                   faster, unsigned            Euclid's pass  binary's pass\n"
      "  quiet            binary, 2.00 times as fast  its chain      throughput\n"
      "  busy             binary, 2.00 times as fast  its chain      withheld\n"
      "  old.json         binary, 1.82 times as fast  -              -\n\n"))
      << table;
}

TEST(SideBySide, WrapsColumnsIntoBlocksOfEightyColumns) {
  const std::string table = format_side_by_side(
      {load("old.json"), load("new.json"), load("cycles.json"), load("old.json")});
  std::size_t blocks = 0;
  for (std::size_t at = table.find("\n  report "); at != std::string::npos;
       at = table.find("\n  report ", at + 1)) {
    ++blocks;
  }
  EXPECT_EQ(blocks, 2U) << table;
  std::size_t start = 0;
  for (std::size_t end = table.find('\n'); end != std::string::npos;
       end = table.find('\n', start)) {
    EXPECT_LE(end - start, 80U) << table.substr(start, end - start);
    start = end + 1;
  }
}

// A report whose study was disturbed: its phases named in their row, every figure drawn from
// the study marked beside a quiet report's, and the mark explained.
TEST(SideBySide, MarksTheFiguresOfAPhaseThatWasNotQuiet) {
  const std::string table = format_side_by_side(
      {{"quiet", sample_results()}, {"busy", with_phase_busy("study")}, load("old.json")});
  for (const char* row : {
           "  disturbed                  none             study            -\n",
           // The rule each report's figures were worked out by, where they differ.
           "  figures: median of         quiet            quiet            every repetition\n"
           "                             repetitions      repetitions\n\n",
           "  binary speed-up, unsigned  2.00 (1.97-2.04) 2.00 (1.97-2.04) 1.82",
           "    gcd_euclid_u             12.6             12.6 *",
           "    gcd_euclid_u             248.7 / 240.0    248.7 / 240.0 *",
           "    fast_binary_u            0.375            0.375 *",
       }) {
    EXPECT_TRUE(contains(table, row)) << "missing:\n" << row << "\nin:\n" << table;
  }
  EXPECT_TRUE(contains(table, "  * timed in a phase that was disturbed, or whose quiet could not"))
      << table;
  EXPECT_FALSE(contains(format_side_by_side({{"quiet", sample_results()}}), "*"));
  EXPECT_FALSE(contains(format_side_by_side({{"a", sample_results()}, {"b", sample_results()}}),
                        "figures: median of"));
}

}  // namespace
