// One pair traced, as JSON: every pass kept, and the keys the guide lists.
#include "report/files/trace_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/report/key_table.h"

namespace {

TEST(TraceJson, KeepsEveryPass) {
  const Json json = trace_json(trace_pair(48, 18));
  EXPECT_EQ(*json.find("format")->get<std::string>(), "gcd-kit trace 1");
  EXPECT_EQ(*json.find("second")->find("word")->get<std::string>(), "0x00000012");
  const Json::Array& kernels = *json.find("kernels")->get<Json::Array>();
  ASSERT_EQ(kernels.size(), 4U);
  const Json& binary = kernels[2];
  EXPECT_EQ(*binary.find("exit")->get<std::string>(), "u equals v");
  const Json::Array& strips = *binary.find("strips")->get<Json::Array>();
  ASSERT_EQ(strips.size(), 2U);
  EXPECT_EQ(*strips[0].find("u_zeros")->get<double>(), 4);
  EXPECT_EQ(
      *kernels[0].find("divisions")->get<Json::Array>()->at(1).find("remainder")->get<double>(), 6);
}

// The guide's table of the trace file's keys against the file, on a pair that both divides
// and strips.
TEST(TraceJson, HasExactlyTheKeysTheGuideLists) {
  expect_keys_as_documented(trace_json(trace_pair(48, 18)),
                            key_table(GCD_KIT_JSON_GUIDE, "## The trace file"));
}

}  // namespace
