// The report's parsing of messages, its medians and its table.
#include "report/report.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(ParseMessage, AcceptsOnlyTheExactMessage) {
  struct Row {
    const char* output;
    std::optional<std::int32_t> value;
  };
  const std::vector<Row> rows{
      {"Process duration = 712 msec", 712},
      {"Process duration = 0 msec", 0},
      {"Process duration = -5 msec", -5},
      {"Process duration = 2147483647 msec", 2147483647},
      {"Process duration = -2147483648 msec", INT32_MIN},
      {"Process duration = 2147483648 msec", std::nullopt},  // out of the %i range
      {"Process duration = 99999999999 msec", std::nullopt},
      {"Process duration = 712 msec\n", std::nullopt},  // the programs print no line end
      {"Process duration =  712 msec", std::nullopt},
      {"Process duration = +712 msec", std::nullopt},
      {"Process duration = 7x2 msec", std::nullopt},
      {"Process duration =  msec", std::nullopt},
      {"Process duration = - msec", std::nullopt},
      {"", std::nullopt},
      {"Process duration = 712", std::nullopt},
      {"rocess duration = 712 msec", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(parse_message(row.output, "Process duration = ", " msec"), row.value)
        << '"' << row.output << '"';
  }
  EXPECT_EQ(parse_message("Errors count = 0", "Errors count = ", ""), 0);
  EXPECT_EQ(parse_message("Errors count = 17", "Errors count = ", ""), 17);
  EXPECT_EQ(parse_message("Errors count = ", "Errors count = ", ""), std::nullopt);
}

TEST(Median, IsTheMiddleOrTheMeanOfTheTwoMiddles) {
  EXPECT_EQ(median({7}), 7.0);
  EXPECT_EQ(median({9, 1, 5}), 5.0);
  EXPECT_EQ(median({4, 1, 3, 2}), 2.5);
  EXPECT_EQ(median({700, 690, 4000, 705, 701}), 701.0);  // one slow run does not move it
  EXPECT_EQ(median({}), 0.0);
}

std::string row_of(const std::string& table, const std::string& program) {
  const std::size_t start = table.find("\n" + program + " ");
  if (start == std::string::npos) {
    return "";
  }
  return table.substr(start + 1, table.find('\n', start + 1) - start - 1);
}

TEST(FormatReport, ShowsEveryProgramWithItsFiguresAndBar) {
  const std::string table = format_report(
      "Test CPU", "g++ 12",
      {{"check_u", "gcd_binary_u", "gcd_euclid_u", 0},
       {"check_s", "gcd_binary_s", "gcd_euclid_s", 3}},
      {{"bench_euclid_u", {800, 820, 780}}, {"bench_binary_u", {400, 390, 410, 2000}}}, 10'000'000);

  EXPECT_TRUE(table.starts_with("GCD kit report: Test CPU, g++ 12\n")) << table;
  EXPECT_NE(row_of(table, "check_u").find("gcd_binary_u"), std::string::npos) << table;
  EXPECT_TRUE(row_of(table, "check_s").ends_with(" 3")) << table;

  const std::string euclid = row_of(table, "bench_euclid_u");
  const std::string binary = row_of(table, "bench_binary_u");
  // runs, median, min, max, ns per call, ratio
  EXPECT_NE(euclid.find(" 3    800.0    780    820     80.0     1.00x  "), std::string::npos)
      << euclid;
  EXPECT_NE(binary.find(" 4    405.0    390   2000     40.5     0.51x  "), std::string::npos)
      << binary;
  // The slowest median has the full bar; the others are in proportion.
  EXPECT_TRUE(euclid.ends_with("  " + std::string(40, '#'))) << euclid;
  EXPECT_TRUE(binary.ends_with("  " + std::string(20, '#'))) << binary;
}

}  // namespace
