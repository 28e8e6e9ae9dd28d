// Reports to set side by side: their short names.
#include "report/figures/side_by_side.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

TEST(ReportNames, AreTheFileNamesWithTheFoldersThatTellThemApart) {
  EXPECT_EQ(report_names({"a/gxx.json", "b/clang.json"}),
            (std::vector<std::string>{"gxx", "clang"}));
  // In the system's own spelling of a path: a\report on Windows.
  const auto below = [](const char* folder) {
    const std::u8string text = (std::filesystem::path(folder) / "report").u8string();
    return std::string(text.begin(), text.end());
  };
  EXPECT_EQ(report_names({"x/a/report.json", "x/b/report.json", "c.json", "d.txt"}),
            (std::vector<std::string>{below("a"), below("b"), "c", "d.txt"}));
}

}  // namespace
