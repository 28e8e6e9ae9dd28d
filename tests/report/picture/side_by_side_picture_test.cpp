// Reports side by side in one picture: each report's lines in a style of its own.
#include "report/picture/side_by_side_picture.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/report/sample_results.h"

namespace {

// 24 reports, two lines each (unsigned and signed): past the eighth report the colours come
// round again, each round with a dash of its own.
TEST(DrawSideBySide, DrawsEachReportInAStyleOfItsOwn) {
  std::vector<NamedReport> reports;
  for (int i = 0; i < 24; ++i) {
    // Appended, not "r" + a string: g++ 12 warns (-Wrestrict) of that, wrongly.
    reports.push_back({std::string("r").append(std::to_string(i)), sample_results()});
  }
  const std::string svg = draw_side_by_side(reports);
  const std::regex line(
      R"re(<polyline fill="none" stroke="([^"]+)" stroke-width="2"( stroke-dasharray="[^"]+")?)re");
  std::vector<std::string> styles;
  for (std::sregex_iterator it(svg.begin(), svg.end(), line), end; it != end; ++it) {
    styles.push_back((*it)[1].str() + (*it)[2].str());
  }
  ASSERT_EQ(styles.size(), 48U);
  // The unsigned panel's lines first, then the signed panel's, in the reports' order.
  EXPECT_EQ(std::set<std::string>(styles.begin(), styles.begin() + 24).size(), 24U);
  EXPECT_EQ(std::vector<std::string>(styles.begin(), styles.begin() + 24),
            std::vector<std::string>(styles.begin() + 24, styles.end()));
}

}  // namespace
