// The tests' report files (tests/report/data), read as the report reads one.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "report/files/report_file.h"

// The report in the named file; a failure of the test that reads it where it cannot be read.
inline Results test_report(const char* name) {
  std::string error;
  std::optional<Results> results = read_results(std::string(TEST_DATA_DIR) + "/" + name, error);
  EXPECT_TRUE(results) << error;
  return results.value_or(Results{});
}
