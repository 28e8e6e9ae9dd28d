// JSON: the reader against good and bad text.
#include "report/files/json.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

TEST(ParseJson, ReadsValuesAndRejectsWhatIsNotJson) {
  std::string error;
  const std::optional<Json> json =
      parse_json(R"({"a": [1, -2.5e3, true, null], "b": {"c": "x\"y\n\u0041"}})", error);
  ASSERT_TRUE(json) << error;
  const Json::Array& a = *json->find("a")->get<Json::Array>();
  EXPECT_EQ(*a[1].get<double>(), -2500.0);
  EXPECT_EQ(*a[2].get<bool>(), true);
  EXPECT_NE(a[3].get<std::nullptr_t>(), nullptr);
  EXPECT_EQ(*json->find("b")->find("c")->get<std::string>(), "x\"y\nA");

  for (const char* bad : {"",     "{",     "[1,]",   "{\"a\" 1}",    "{\"a\": 1} x",
                          "'a'",  "[01x]", "\"open", "{\"a\": tru}", "[1 2]",
                          "0733", "[-01]", "+1",     "[1.]",         "[.5]",
                          "[1e]", "[-]",   "[0x10]", "[Infinity]",   "[NaN]"}) {
    EXPECT_FALSE(parse_json(bad, error)) << bad;
  }
  for (const char* huge : {"[1e400]", "[-1e400]", "[0.001e312]", "[1000e306]"}) {
    EXPECT_FALSE(parse_json(huge, error)) << huge;
    EXPECT_EQ(error, "line 1: a number out of range");
  }
  // Too small for a double: as near 0 as one gets, as a JSON tool writes a value it rounded.
  for (const char* tiny : {"1e-400", "-1e-400", "0.0000001e-320", "1000e-330", "0e-999999"}) {
    const std::optional<Json> zero = parse_json(tiny, error);
    ASSERT_TRUE(zero) << tiny << ": " << error;
    EXPECT_EQ(*zero->get<double>(), 0.0) << tiny;
  }
  for (const char* good : {"0", "-0", "[10]", "[-0.5e-3]", "[1E+2]", "[2.25]"}) {
    EXPECT_TRUE(parse_json(good, error)) << good << ": " << error;
  }
  EXPECT_FALSE(parse_json(std::string(100, '[') + std::string(100, ']'), error));
  EXPECT_FALSE(parse_json("{\n\n  \"a\": }", error));
  EXPECT_EQ(error, "line 3: expected a value");
}

// A UTF-8 file as Windows tools write it, with a byte-order mark before the text: the mark is
// read as nothing; anywhere else it is no JSON.
TEST(ParseJson, ReadsAByteOrderMarkAsNothing) {
  std::string error;
  const std::optional<Json> json = parse_json("\xEF\xBB\xBF{\"a\": 1}", error);
  ASSERT_TRUE(json) << error;
  EXPECT_EQ(*json->find("a")->get<double>(), 1);
  EXPECT_FALSE(
      parse_json("{\"a\": \xEF\xBB\xBF"
                 "1}",
                 error));
  EXPECT_FALSE(parse_json("\xEF\xBB{}", error));
}

// A JSON tool may re-save a report with every letter beyond ASCII escaped: it reads the same.
// Two members of one name: most readers take the last, this one would take the first; the
// file is refused, naming the key, so that no two tools read two reports from one file.
TEST(ParseJson, RefusesAKeyTwiceInOneObject) {
  std::string error;
  EXPECT_FALSE(parse_json("{\"format\": \"gcd-kit report 2\",\n \"format\": \"x\"}", error));
  EXPECT_EQ(error, "line 2: \"format\" twice in one object");
  EXPECT_FALSE(parse_json("{\"divider\": [{\"kernel\": 1, \"cycles\": 2, \"kernel\": 3}]}", error));
  EXPECT_EQ(error, "line 1: \"kernel\" twice in one object");
  EXPECT_TRUE(parse_json("[{\"kernel\": 1}, {\"kernel\": 2}]", error)) << error;  // one each
}

TEST(ParseJson, ReadsEscapedLettersBeyondAscii) {
  std::string error;
  const std::optional<Json> json =
      parse_json(R"(["caf\u00e9", "\u20ac", "\ud834\udd1e", "\u00E9"])", error);
  ASSERT_TRUE(json) << error;
  const Json::Array& texts = *json->get<Json::Array>();
  EXPECT_EQ(*texts[0].get<std::string>(), "caf\xc3\xa9");
  EXPECT_EQ(*texts[1].get<std::string>(), "\xe2\x82\xac");
  EXPECT_EQ(*texts[2].get<std::string>(), "\xf0\x9d\x84\x9e");  // a pair of surrogates
  EXPECT_EQ(*texts[3].get<std::string>(), "\xc3\xa9");
  for (const char* lone :
       {R"(["\ud834"])", R"(["\ud834x"])", R"(["\udd1e"])", R"(["\ud834\u0041"])"}) {
    EXPECT_FALSE(parse_json(lone, error)) << lone;
    EXPECT_EQ(error, "line 1: a lone surrogate in a \\u escape");
  }
}

// A text of many small values is refused before it takes memory many times its size.
TEST(ParseJson, RefusesMoreValuesThanAReportHolds) {
  std::string many = "[0";
  for (std::size_t i = 2; i < MAX_JSON_VALUES; ++i) {
    many += ",0";
  }
  std::string error;
  EXPECT_TRUE(parse_json(many + "]", error)) << error;  // the array and all but one number
  EXPECT_FALSE(parse_json(many + ",0]", error));
  EXPECT_EQ(error, "line 1: more than 250000 values");
}

}  // namespace
