// The report's command line: GNU-style options, strict numbers, clear refusals.
#include "report/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ParseOptions, TakesGnuStyleOptions) {
  struct Row {
    std::vector<std::string> arguments;
    unsigned runs;
    std::string json;
  };
  const std::vector<Row> rows{
      {{}, 5, "report.json"},
      {{"--runs", "3"}, 3, "report.json"},
      {{"--runs=3"}, 3, "report.json"},
      {{"-r", "9"}, 9, "report.json"},
      {{"-r9"}, 9, "report.json"},
      {{"--ru=7"}, 7, "report.json"},  // a unique prefix
      {{"--json", "a b.json", "-r", "2"}, 2, "a b.json"},
      {{"--", "check_u=/x/-r"}, 5, "report.json"},
  };
  for (const Row& row : rows) {
    std::string error;
    const std::optional<Options> options = parse_options(row.arguments, {}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->runs, row.runs);
    EXPECT_EQ(options->json_path, row.json);
  }
  std::string error;
  const std::optional<Options> options =
      parse_options({"--repetitions=3", "--pairs", "5000", "--sweep-pairs=2000", "-t", "30",
                     "--svg=p.svg", "--compare", "old.json", "check_u=/tmp/my check"},
                    {}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->study.repetitions, 3U);
  EXPECT_EQ(options->study.drawn_pairs, 5000U);
  EXPECT_EQ(options->study.sweep_pairs, 2000U);
  EXPECT_EQ(options->timeout_s, 30U);
  EXPECT_EQ(options->svg_path, "p.svg");
  EXPECT_EQ(options->compare_path, "old.json");
  EXPECT_EQ(options->programs.at("check_u"), "/tmp/my check");
}

// The highest value of each limit is taken; one more is refused (below).
TEST(ParseOptions, TakesEachLimitItself) {
  std::string error;
  const std::optional<Options> options =
      parse_options({"--runs=1000", "--repetitions=100", "--pairs=10000000",
                     "--sweep-pairs=16777216", "--timeout=86400", "--retime=3600"},
                    {}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->runs, 1000U);
  EXPECT_EQ(options->study.retime_seconds, 3600U);
  EXPECT_EQ(options->study.repetitions, 100U);
  EXPECT_EQ(options->study.drawn_pairs, 10'000'000U);
  EXPECT_EQ(options->study.sweep_pairs, 16'777'216U);
  EXPECT_EQ(options->timeout_s, 86'400U);
}

TEST(ParseOptions, TakesTheEnvironmentAndLetsOptionsOverrideIt) {
  std::string error;
  const std::map<std::string, std::string> environment{{"GCD_REPORT_RUNS", "11"},
                                                       {"GCD_REPORT_TIMEOUT", "300"}};
  std::optional<Options> options = parse_options({}, environment, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->runs, 11U);
  EXPECT_EQ(options->timeout_s, 300U);
  options = parse_options({"--runs", "2"}, environment, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->runs, 2U);
  // A variable that the command line overrides is not read, so it cannot stop the run.
  options = parse_options({"-r", "3", "--timeout=9"},
                          {{"GCD_REPORT_RUNS", "0"}, {"GCD_REPORT_TIMEOUT", "x"}}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->runs, 3U);
  EXPECT_EQ(options->timeout_s, 9U);
}

// Timing again: 10 s unless told; 0 (on the command line or in GCD_REPORT_RETIME) times
// nothing again.
TEST(ParseOptions, TakesTheBudgetForTimingAgain) {
  std::string error;
  std::optional<Options> options = parse_options({}, {}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->study.retime_seconds, 10U);
  options = parse_options({}, {{"GCD_REPORT_RETIME", "0"}}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->study.retime_seconds, 0U);
  options = parse_options({"--retime", "30"}, {{"GCD_REPORT_RETIME", "0"}}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->study.retime_seconds, 30U);
  EXPECT_FALSE(parse_options({"--retime=3601"}, {}, error));
  EXPECT_EQ(error, "--retime takes a whole number from 0 to 3600, not '3601'");
  EXPECT_FALSE(parse_options({}, {{"GCD_REPORT_RETIME", "-1"}}, error));
  EXPECT_EQ(error, "GCD_REPORT_RETIME must be a whole number from 0 to 3600, not '-1'");
  EXPECT_FALSE(parse_options({"--side-by-side", "a.json", "b.json", "--retime=5"}, {}, error));
  EXPECT_EQ(error, "--retime does nothing with --side-by-side, which runs nothing");
}

TEST(ParseOptions, RefusesWhatItCannotTakeAndSaysWhy) {
  struct Row {
    std::vector<std::string> arguments;
    std::string error;
  };
  const std::vector<Row> rows{
      {{"--runs", " 3"}, "--runs takes a whole number from 1 to 1000, not ' 3'"},
      {{"--runs=3 "}, "--runs takes a whole number from 1 to 1000, not '3 '"},
      {{"--runs=+3"}, "--runs takes a whole number from 1 to 1000, not '+3'"},
      {{"-r0"}, "--runs takes a whole number from 1 to 1000, not '0'"},
      {{"--runs", "1001"}, "--runs takes a whole number from 1 to 1000, not '1001'"},
      {{"--runs", "99999999999"}, "--runs takes a whole number from 1 to 1000, not '99999999999'"},
      {{"--repetitions=101"}, "--repetitions takes a whole number from 1 to 100, not '101'"},
      {{"--pairs=999"}, "--pairs takes a whole number from 1000 to 10000000, not '999'"},
      {{"--pairs=10000001"}, "--pairs takes a whole number from 1000 to 10000000, not '10000001'"},
      {{"--sweep-pairs=16777217"},
       "--sweep-pairs takes a whole number from 1000 to 16777216, not '16777217'"},
      {{"--timeout=86401"}, "--timeout takes a whole number from 1 to 86400, not '86401'"},
      {{"--runs"}, "option '--runs' requires an argument"},
      {{"--r=2"}, "option '--r' is ambiguous"},
      {{"--bogus"}, "unrecognized option '--bogus'"},
      {{"-x"}, "invalid option -- 'x'"},
      {{"--help=yes"}, "option '--help' doesn't allow an argument"},
      {{"--json="}, "--json takes a file name"},
      {{"stray"}, "unexpected argument 'stray' (a program is given as NAME=PATH)"},
      {{"check_u="}, "no path in 'check_u=' (a program is given as NAME=PATH)"},
      {{"--side-by-side", "a.json"}, "--side-by-side takes two report files or more"},
      {{"--mcpu=zen 3"},
       "--mcpu takes a processor's name as LLVM knows it (znver3, icelake-server), not 'zen 3'"},
      // A value repeated in a message is shown, not obeyed by the terminal.
      {{"--runs=\x1b]0;owned\x07"},
       "--runs takes a whole number from 1 to 1000, not '\\x1b]0;owned\\x07'"},
      {{"--\xe2\x80\xae"
        "evil"},
       "unrecognized option '--\\u202eevil'"},
      {{"x\x1b[2J"}, "unexpected argument 'x\\x1b[2J' (a program is given as NAME=PATH)"},
      // Side by side runs nothing: what would set a run up does nothing there, and says so.
      {{"--side-by-side", "a.json", "b.json", "--runs", "3"},
       "--runs does nothing with --side-by-side, which runs nothing"},
      {{"-r3", "--side-by-side", "a.json", "b.json"},
       "-r does nothing with --side-by-side, which runs nothing"},
      {{"--side-by-side", "--compare=c.json", "a.json", "b.json"},
       "--compare does nothing with --side-by-side, which runs nothing"},
      {{"--side-by-side", "--mcpu=znver3", "a.json", "b.json"},
       "--mcpu does nothing with --side-by-side, which runs nothing"},
      {{"--side-by-side", "--no-svg", "a.json", "b.json"},
       "--no-svg does nothing with --side-by-side, which runs nothing"},
  };
  for (const Row& row : rows) {
    std::string error;
    EXPECT_FALSE(parse_options(row.arguments, {}, error)) << row.arguments[0];
    EXPECT_EQ(error, row.error);
  }
  std::string error;
  const std::optional<Options> side =
      parse_options({"a.json", "--side-by-side", "b=c.json"}, {}, error);
  ASSERT_TRUE(side) << error;
  EXPECT_EQ(side->side_by_side_files, (std::vector<std::string>{"a.json", "b=c.json"}));
  EXPECT_FALSE(parse_options({}, {{"GCD_REPORT_RUNS", "3x"}}, error));
  EXPECT_EQ(error, "GCD_REPORT_RUNS must be a whole number from 1 to 1000, not '3x'");
  EXPECT_FALSE(parse_options({}, {{"GCD_REPORT_TIMEOUT", "\x1b[2J"}}, error));
  EXPECT_EQ(error, "GCD_REPORT_TIMEOUT must be a whole number from 1 to 86400, not '\\x1b[2J'");
}

// --trace runs nothing: two words, negative ones too, and --json; anything else is refused.
TEST(ParseOptions, TakesTwoWordsToTrace) {
  std::string error;
  std::optional<Options> options = parse_options({"--trace", "-12", "0x12"}, {}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_TRUE(options->trace);
  EXPECT_EQ(options->trace_first, static_cast<std::uint32_t>(-12));
  EXPECT_EQ(options->trace_second, 18U);
  options = parse_options({"--json=t.json", "--trace", "48", "18"}, {}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_TRUE(options->json_given);
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"--trace", "48"}, "--trace takes two numbers, A and B"},
      {{"--trace", "1", "2", "3"}, "--trace takes two numbers, A and B"},
      {{"--trace", "48", "x18"},
       "--trace: 'x18' is no number: give a decimal one, with an optional sign, or a "
       "hexadecimal one after 0x"},
      {{"--trace", "-2147483649", "1"},
       "--trace: '-2147483649' is outside both 32-bit ranges, signed and unsigned "
       "(-2147483648 to 4294967295)"},
      {{"--trace", "--runs=3", "1", "2"}, "--runs does nothing with --trace, which runs nothing"},
      {{"--trace", "--svg=t.svg", "1", "2"}, "--svg does nothing with --trace, which runs nothing"},
      {{"--trace", "--side-by-side", "1", "2"}, "--trace and --side-by-side: one thing at a time"},
  };
  for (const auto& [arguments, why] : refused) {
    EXPECT_FALSE(parse_options(arguments, {}, error)) << why;
    EXPECT_EQ(error, why);
  }
}

// --show runs nothing: one report file, and nothing beside it.
TEST(ParseOptions, TakesAReportFileToShow) {
  std::string error;
  std::optional<Options> options = parse_options({"--show", "old.json"}, {}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->show_path, "old.json");
  // A variable of the environment sets up nothing there, and stops nothing.
  options = parse_options({"--show=old.json"}, {{"GCD_REPORT_RUNS", "x"}}, error);
  ASSERT_TRUE(options) << error;
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"--show"}, "option '--show' requires an argument"},
      {{"--show="}, "--show takes a file name"},
      {{"--show", "a.json", "b.json"},
       "unexpected argument 'b.json' (--show takes one report file)"},
      {{"--show", "a.json", "--json=x.json"},
       "--json does nothing with --show, which runs nothing"},
      {{"--runs=3", "--show", "a.json"}, "--runs does nothing with --show, which runs nothing"},
      {{"--show", "a.json", "--side-by-side", "b.json"},
       "--show does nothing with --side-by-side, which runs nothing"},
      {{"--trace", "--show", "a.json", "1", "2"},
       "--show does nothing with --trace, which runs nothing"},
  };
  for (const auto& [arguments, why] : refused) {
    EXPECT_FALSE(parse_options(arguments, {}, error)) << why;
    EXPECT_EQ(error, why);
  }
}

// The help says each default as it is.
TEST(Usage, SaysTheDefaultsAsTheyAre) {
  EXPECT_NE(usage().find("(default " + std::to_string(DEFAULT_RETIME_SECONDS) +
                         ", or GCD_REPORT_RETIME)"),
            std::string::npos)
      << usage();
  EXPECT_NE(usage().find("--show=FILE"), std::string::npos);
}

TEST(ParseOptions, TurnsThePictureOff) {
  std::string error;
  std::optional<Options> options = parse_options({"--no-svg"}, {}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->svg_path, "");
  EXPECT_EQ(options->json_path, "report.json");
  // Side by side writes what it is asked to and nothing else; --json and --svg mean something.
  options = parse_options({"--side-by-side", "a.json", "b.json", "--svg=s.svg"}, {}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_TRUE(options->svg_given);
}

// A word signed twice is no number, whichever sign comes first: not an option of one letter.
TEST(ParseOptions, TakesAWordSignedTwiceAsNoNumber) {
  std::string error;
  for (const char* word : {"+-5", "-+5"}) {
    EXPECT_FALSE(parse_options({"--trace", word, "0"}, {}, error)) << word;
    EXPECT_EQ(error, std::string("--trace: '") + word +
                         "' is no number: give a decimal one, with an optional sign, or a "
                         "hexadecimal one after 0x");
  }
}

TEST(ParseTraceWord, TakesDecimalAndHexadecimalWordsInEitherRange) {
  std::string error;
  EXPECT_EQ(parse_trace_word("48", error), 48U);
  EXPECT_EQ(parse_trace_word("+48", error), 48U);
  EXPECT_EQ(parse_trace_word("-1", error), 0xFFFFFFFFU);
  EXPECT_EQ(parse_trace_word("-2147483648", error), 0x80000000U);
  EXPECT_EQ(parse_trace_word("4294967295", error), 0xFFFFFFFFU);
  EXPECT_EQ(parse_trace_word("0x80000000", error), 0x80000000U);
  EXPECT_EQ(parse_trace_word("-0x10", error), 0xFFFFFFF0U);
  for (const char* bad : {"", "-", "0x", "12x", " 12", "1e3", "0x1g", "--1", "+-5", "-+5"}) {
    EXPECT_FALSE(parse_trace_word(bad, error)) << bad;
    EXPECT_NE(error.find("is no number"), std::string::npos) << error;
  }
  for (const char* far : {"4294967296", "-2147483649", "0x100000000", "99999999999999999999999"}) {
    EXPECT_FALSE(parse_trace_word(far, error)) << far;
    EXPECT_EQ(error, std::string(1, '\'').append(far).append(
                         "' is outside both 32-bit ranges, signed and unsigned (-2147483648 to "
                         "4294967295)"));
  }
}

}  // namespace
