// Text from a file, shown safely: escaped controls and bad bytes, kept letters, a cut.
#include "report/safe_text.h"

#include <gtest/gtest.h>

namespace {

TEST(SafeText, EscapesWhatATerminalWouldObey) {
  struct Row {
    std::string text;
    std::string shown;
  };
  const Row rows[] = {
      {"AMD EPYC 7B13", "AMD EPYC 7B13"},
      {"a\x1b[2Jb", "a\\x1b[2Jb"},
      {"two\nlines\ttab\r", "two\\nlines\\ttab\\x0d"},
      {std::string("nul\0", 4), "nul\\x00"},
      {"del\x7f", "del\\x7f"},
      {"c1 \xc2\x9b"
       "31m",
       "c1 \\u009b31m"},                     // CSI as one code point
      {"C:\\Users\\kit", "C:\\Users\\kit"},  // a Windows path as it is
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9d\x84\x9e", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9d\x84\x9e"},
      {"bad \xff\xfe", "bad \\xff\\xfe"},
      {"cut \xe2\x82", "cut \\xe2\\x82"},            // a sequence cut short
      {"overlong \xc0\xaf", "overlong \\xc0\\xaf"},  // '/' in two bytes
      {"surrogate \xed\xa0\x80", "surrogate \\xed\\xa0\\x80"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(safe_text(row.text, 100), row.shown) << row.text;
  }
}

TEST(SafeText, CutsLongTextAfterItsCharacters) {
  EXPECT_EQ(safe_text("abcdef", 6), "abcdef");
  EXPECT_EQ(safe_text("abcdefg", 6), "abcdef...");
  EXPECT_EQ(safe_text("\xc3\xa9\xc3\xa9\xc3\xa9", 2),
            "\xc3\xa9\xc3\xa9...");  // characters, not bytes
  EXPECT_EQ(safe_text(std::string(100000, 'x'), 100).size(), 103U);
}

}  // namespace
