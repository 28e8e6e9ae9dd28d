// Reports side by side as JSON: what tells builds apart, and the keys the guide lists.
#include "report/files/side_by_side_file.h"

#include <gtest/gtest.h>

#include <string>

#include "report/files/report_file.h"
#include "tests/report/key_table.h"
#include "tests/report/sample_results.h"
#include "tests/report/test_data.h"

namespace {

NamedReport load(const char* name) { return {name, test_report(name)}; }

// The table's data keeps what tells builds apart, and what the cross-checks found.
TEST(SideBySide, KeepsEachReportsFlagsAndCrossChecksInItsData) {
  NamedReport cycles = load("cycles.json");
  cycles.results.machine.flags = "-O3 -march=native";
  const Json json = side_by_side_json({cycles, load("hostile.json")});
  const Json::Array& reports = *json.find("reports")->get<Json::Array>();
  EXPECT_EQ(*reports[0].find("flags")->get<std::string>(), "-O3 -march=native");
  EXPECT_EQ(*reports[1].find("cross_check_errors")->find("check_s")->get<double>(), 3);
}

// Each report's phases with their verdicts, as the text names them.
TEST(SideBySide, KeepsEachReportsPhaseVerdictsInItsData) {
  const Json json = side_by_side_json({{"busy", with_phase_busy("sweep")}, load("old.json")});
  const Json::Array& reports = *json.find("reports")->get<Json::Array>();
  const Json::Array& verdicts = *reports[0].find("phase_verdicts")->get<Json::Array>();
  ASSERT_EQ(verdicts.size(), 3U);
  EXPECT_EQ(*verdicts[0].find("verdict")->get<std::string>(), "quiet");
  EXPECT_EQ(*verdicts[2].find("phase")->get<std::string>(), "sweep");
  EXPECT_EQ(*verdicts[2].find("verdict")->get<std::string>(), "disturbed");
  EXPECT_TRUE(reports[1].find("phase_verdicts")->get<Json::Array>()->empty());
}

// The guide's table of the side-by-side file's keys against the file.
TEST(SideBySide, WritesExactlyTheKeysTheGuideLists) {
  expect_keys_as_documented(
      side_by_side_json({{"one", sample_results()}, {"two", sample_results()}}),
      key_table(GCD_KIT_JSON_GUIDE, "## The side-by-side file"));
}

}  // namespace
