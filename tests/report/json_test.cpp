// JSON: the reader against good and bad text, and the results written and read back.
#include "report/json.h"

#include <gtest/gtest.h>

#include <string>

#include "report/export.h"
#include "study/stats.h"
#include "tests/report/sample_results.h"

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

  for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "{\"a\": 1} x", "'a'", "[01x]", "\"open",
                          "{\"a\": tru}", "[1 2]"}) {
    EXPECT_FALSE(parse_json(bad, error)) << bad;
  }
  EXPECT_FALSE(parse_json(std::string(100, '[') + std::string(100, ']'), error));
  EXPECT_FALSE(parse_json("{\n\n  \"a\": }", error));
  EXPECT_EQ(error, "line 3: expected a value");
}

TEST(ResultsJson, HasTheKeysAReaderNeeds) {
  std::string error;
  const std::optional<Json> json = parse_json(to_text(results_to_json(sample_results())), error);
  ASSERT_TRUE(json) << error;
  const auto first_of = [&](const char* list) -> const Json& {
    const Json::Array* items = json->find(list)->get<Json::Array>();
    EXPECT_TRUE(items != nullptr && !items->empty()) << list;
    return items->front();
  };
  for (const char* key : {"processor", "compiler", "build_type"}) {
    EXPECT_NE(json->find("machine")->find(key), nullptr) << key;
  }
  const std::vector<std::pair<const char*, std::vector<const char*>>> lists{
      {"cross_checks", {"program", "pairs", "errors"}},
      {"benchmarks", {"program", "runs_ms", "median_ms", "min_ms", "max_ms"}},
      {"kernels", {"name", "ns_per_call", "passes_per_call", "ns_per_pass"}},
      {"sweep", {"kernel", "bits", "ns_per_call", "passes_per_call"}},
      {"passes_per_bit", {"kernel", "measured", "theory"}},
  };
  for (const auto& [list, keys] : lists) {
    for (const char* key : keys) {
      EXPECT_NE(first_of(list).find(key), nullptr) << list << "." << key;
    }
  }
  EXPECT_EQ(*first_of("benchmarks").find("median_ms")->get<double>(), 800.0);
  EXPECT_EQ(*first_of("kernels").find("name")->get<std::string>(), "gcd_euclid_u");
}

TEST(ResultsJson, ReadsBackWhatWasWritten) {
  const Results written = sample_results();
  std::string error;
  const std::optional<Json> json = parse_json(to_text(results_to_json(written)), error);
  ASSERT_TRUE(json) << error;
  const std::optional<Results> read = results_from_json(*json, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->machine.processor, "Test CPU");
  ASSERT_EQ(read->benchmarks.size(), 4U);
  EXPECT_EQ(read->benchmarks[2].runs_ms, written.benchmarks[2].runs_ms);
  ASSERT_EQ(read->study.kernels.size(), written.study.kernels.size());
  EXPECT_EQ(read->study.kernels[4].ns_per_call, written.study.kernels[4].ns_per_call);
  EXPECT_FALSE(read->study.kernels[4].passes_per_call);
  EXPECT_EQ(read->study.sweep.size(), written.study.sweep.size());
  EXPECT_EQ(read->study.settings.repetitions, 3U);
}

TEST(ResultsJson, TellsWhatIsWrongWithAFileThatIsNoReport) {
  std::string error;
  EXPECT_FALSE(results_from_json(*parse_json(R"({"name": "something else"})", error), error));
  EXPECT_EQ(error, "not a report of this kit (no \"format\": \"gcd-kit report 1\")");

  Json json = results_to_json(sample_results());
  auto& members = std::get<Json::Object>(json.value);
  std::erase_if(members, [](const auto& member) { return member.first == "benchmarks"; });
  EXPECT_FALSE(results_from_json(json, error));
  EXPECT_EQ(error, "no \"benchmarks\"");

  EXPECT_FALSE(read_results("/nonexistent/report.json", error));
  EXPECT_EQ(error, "cannot read /nonexistent/report.json: No such file or directory");
}

}  // namespace
