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
  EXPECT_FALSE(parse_json("[1e400]", error));
  EXPECT_EQ(error, "line 1: a number out of range");
  for (const char* good : {"0", "-0", "[10]", "[-0.5e-3]", "[1E+2]", "[2.25]"}) {
    EXPECT_TRUE(parse_json(good, error)) << good << ": " << error;
  }
  EXPECT_FALSE(parse_json(std::string(100, '[') + std::string(100, ']'), error));
  EXPECT_FALSE(parse_json("{\n\n  \"a\": }", error));
  EXPECT_EQ(error, "line 3: expected a value");
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
