// JSON: the reader against good and bad text, and the results written and read back.
#include "report/json.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

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
  EXPECT_EQ(error, "no \"format\": \"gcd-kit report 1\"");

  Json json = results_to_json(sample_results());
  auto& members = std::get<Json::Object>(json.value);
  std::erase_if(members, [](const auto& member) { return member.first == "benchmarks"; });
  EXPECT_FALSE(results_from_json(json, error));
  EXPECT_EQ(error, "no \"benchmarks\"");

  EXPECT_FALSE(read_results("/nonexistent/report.json", error));
  EXPECT_EQ(error, "cannot read /nonexistent/report.json: No such file or directory");
}

// The member at a path of keys and list indexes ("benchmarks", "0", "runs_ms").
Json& at(Json& json, const std::vector<std::string_view>& path) {
  Json* here = &json;
  for (const std::string_view step : path) {
    if (auto* list = std::get_if<Json::Array>(&here->value)) {
      here = &list->at(static_cast<std::size_t>(step[0] - '0'));
    } else {
      auto& members = std::get<Json::Object>(here->value);
      here = &std::find_if(members.begin(), members.end(), [&](const auto& m) {
                return m.first == step;
              })->second;
    }
  }
  return *here;
}

// A report is read only if every figure is one that a run of the kit can give: nonsense
// would print as a ratio of -216.4 or a number 130 digits wide.
TEST(ResultsJson, RefusesFiguresNoRunCanGive) {
  struct Row {
    std::vector<std::string_view> path;
    Json value;
    std::string error;
  };
  const std::string out_of_range = " not a figure from 1e-09 to 8.64e+07";
  const std::vector<Row> rows{
      {{"benchmarks", "0", "runs_ms"}, Json::Array{0}, "\"runs_ms\" holds 0," + out_of_range},
      {{"benchmarks", "0", "runs_ms"},
       Json::Array{-216.4},
       "\"runs_ms\" holds -216.4," + out_of_range},
      {{"benchmarks", "0", "runs_ms"},
       Json::Array{1e308},
       "\"runs_ms\" holds 1e+308," + out_of_range},
      {{"benchmarks", "0", "runs_ms"},
       Json::Array{5e-324},
       "\"runs_ms\" holds 4.94066e-324," + out_of_range},
      {{"benchmarks", "0", "runs_ms"}, Json::Array{}, "\"runs_ms\" is empty"},
      {{"benchmarks"}, Json::Array{}, "\"benchmarks\" is empty"},
      {{"kernels"}, Json::Array{}, "\"kernels\" is empty"},
      {{"kernels", "0", "ns_per_call_runs"},
       Json::Array{0.0},
       "\"ns_per_call_runs\" holds 0, not a figure from 1e-09 to 1e+06"},
      {{"benchmarks", "1", "program"},
       "bench_euclid_u",
       "\"benchmarks\" names bench_euclid_u twice"},
      {{"benchmarks", "0", "program"},
       "bench_foo",
       "\"benchmarks\" names bench_foo, no benchmark of the kit"},
      {{"kernels", "1", "name"}, "gcd_euclid_u", "\"kernels\" names gcd_euclid_u twice"},
      {{"kernels", "0", "name"}, "gcd\x1b[2J", "\"name\" is not a name of letters, digits and '_'"},
      {{"cross_checks", "0", "errors"}, -1, "\"errors\" holds -1, not a figure from 0 to 1e+07"},
      {{"settings", "repetitions"}, 0, "\"repetitions\" holds 0, not a figure from 1 to 1000"},
      {{"format"},
       "gcd-kit report 2",
       "its format is \"gcd-kit report 2\", and this gcd_report reads \"gcd-kit report 1\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.error);
    Json json = results_to_json(sample_results());
    at(json, row.path) = row.value;
    std::string error;
    EXPECT_FALSE(results_from_json(json, error)) << row.error;
    EXPECT_EQ(error, row.error);
  }
}

// Text from a file reaches the terminal with its control characters shown, not obeyed.
TEST(ResultsJson, ShowsTheTextsOfAFileSafely) {
  Json json = results_to_json(sample_results());
  at(json, {"machine", "processor"}) = "Evil\x1b[2J\nCPU " + std::string(300, 'x');
  std::string error;
  const std::optional<Results> read = results_from_json(json, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->machine.processor, "Evil\\x1b[2J\\nCPU " + std::string(87, 'x') + "...");
}

}  // namespace
