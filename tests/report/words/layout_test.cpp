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

// An interval whose ends are negative reads "-0.082 to -0.080", never "-0.082--0.080".
TEST(RangeText, KeepsAMinusSignApartFromTheDash) {
  EXPECT_EQ(range_text(0.519, 0.530, 3), "0.519-0.530");
  EXPECT_EQ(range_text(-0.082, -0.080, 3), "-0.082 to -0.080");
  EXPECT_EQ(range_text(-0.1, 0.2, 1), "-0.1 to 0.2");
}

TEST(ChangeWords, SayWhichWayAFigureMoved) {
  EXPECT_EQ(change_words(-0.189), "fell by 18.9%");
  EXPECT_EQ(change_words(0.053), "rose by 5.3%");
}

}  // namespace
