// Reading a program's one message.
#include "report/run/message.h"

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

}  // namespace
