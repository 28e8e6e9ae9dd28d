// Text from a file, shown safely: escaped controls and bad bytes, kept letters, a cut.
#include "report/words/safe_text.h"

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
      // Characters that reorder the text around them: "gpj.exe" would show as "exe.jpg".
      {"gpj\xe2\x80\xae"
       "exe",
       "gpj\\u202eexe"},
      {"\xe2\x80\xaa\xe2\x80\xad\xe2\x81\xa6\xe2\x81\xa9", "\\u202a\\u202d\\u2066\\u2069"},
      {"\xe2\x80\x8f\xe2\x81\xaa", "\xe2\x80\x8f\xe2\x81\xaa"},  // U+200F, U+206A: not among them
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
