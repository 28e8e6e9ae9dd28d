// Texts counted, cut and padded by characters, never inside one.
#include "report/words/utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8, CountsCutsAndPadsByCharacters) {
  const std::string text = "caf\xc3\xa9 \xe2\x82\xac\xf0\x9d\x84\x9e";  // "café €𝄞"
  EXPECT_EQ(characters(text), 7U);
  EXPECT_EQ(first_characters(text, 4), "caf\xc3\xa9");
  EXPECT_EQ(first_characters(text, 7), text);
  EXPECT_EQ(first_characters(text, 99), text);
  EXPECT_EQ(padded("\xc3\xa9", 3), "\xc3\xa9  ");
  EXPECT_EQ(padded("abcd", 3), "abcd");
  // A byte that starts no character counts as one, and is cut as one.
  EXPECT_EQ(characters("a\xff\xe2\x82"), 4U);
  EXPECT_EQ(first_characters("\xe2\x82z", 1), "\xe2");
}

TEST(Utf8, WritesEachCodePointInItsLength) {
  for (const auto& [code_point, bytes] : {std::pair<std::uint32_t, std::string>{0x41, "A"},
                                          {0xE9, "\xc3\xa9"},
                                          {0x20AC, "\xe2\x82\xac"},
                                          {0xFFFD, "\xef\xbf\xbd"},
                                          {0x1D11E, "\xf0\x9d\x84\x9e"}}) {
    std::string out;
    append_utf8(out, code_point);
    EXPECT_EQ(out, bytes);
    std::uint32_t read = 0;
    EXPECT_EQ(utf8_sequence(out, read), bytes.size());
    EXPECT_EQ(read, code_point);
  }
}

}  // namespace
