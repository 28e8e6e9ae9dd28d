// Numbers and units in the report's words.
#include "report/words/layout.h"

#include <gtest/gtest.h>

namespace {

std::string shown(std::string text) {
  for (char& c : text) {
    c = c == GLUE ? ' ' : c;
  }
  return text;
}

TEST(WithUnit, SaysOneCycleAndManyCycles) {
  EXPECT_EQ(shown(with_unit(1.0, 0, "cycles")), "1 cycle");
  EXPECT_EQ(shown(with_unit(1.2, 0, "cycles")), "1 cycle");
  EXPECT_EQ(shown(with_unit(1.0, 1, "cycles")), "1.0 cycles");
  EXPECT_EQ(shown(with_unit(3.0, 0, "cycles")), "3 cycles");
  EXPECT_EQ(shown(with_unit(1.0, 0, "GHz")), "1 GHz");
}

// A ratio keeps the digits that tell it: never "0.0 times".
TEST(RatioWords, KeepTheDigitsThatTellTheRatio) {
  EXPECT_EQ(ratio_words(0.0396), "0.04");
  EXPECT_EQ(ratio_words(0.00312), "0.0031");
  EXPECT_EQ(ratio_words(0.5), "0.5");
  EXPECT_EQ(ratio_words(2.21), "2.2");
  EXPECT_EQ(ratio_words(5.3), "5.3");
  EXPECT_EQ(ratio_words(123.4), "123");
}

}  // namespace
