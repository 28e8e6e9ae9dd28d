// The report file: the results written and read back, every figure checked on the way in.
#include "report/files/report_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "report/text/report_text.h"
#include "study/stats.h"
#include "tests/report/key_table.h"
#include "tests/report/sample_results.h"

namespace {

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

// The guide's table of the report file's keys against the file the report writes.
TEST(ResultsJson, HasExactlyTheKeysTheGuideLists) {
  const KeyTable table = key_table(GCD_KIT_JSON_GUIDE, "## The report file");
  ASSERT_GE(table.size(), 10U) << "the report file's key table was not found";
  expect_keys_as_documented(results_to_json(sample_results()), table);
}

// The summary as data: the text's answers, each the figure its section holds (2.00 times as fast
// unsigned, a pass of gcd_binary_u at 0.46 of gcd_euclid_u's, its call on the core's
// throughput), and the findings withheld; written, never read.
TEST(ResultsJson, HoldsTheSummarysAnswers) {
  const Json json = results_to_json(with_phase_busy("study"));
  const Json& summary = *json.find("summary");
  const Json& faster = (*summary.find("faster")->get<Json::Array>())[0];
  EXPECT_EQ(*faster.find("signedness")->get<std::string>(), "unsigned");
  EXPECT_DOUBLE_EQ(*faster.find("binary_speedup")->find("value")->get<double>(), 2.0);
  const Json& why = (*summary.find("why")->get<Json::Array>())[0];
  EXPECT_NEAR(*why.find("pass_ratio")->get<double>(), (40 / 20.7) / (80 / 19.0), 1e-3);
  EXPECT_EQ(*why.find("withheld")->get<std::string>(), "disturbed");
  const Json& bound = (*summary.find("bounds")->get<Json::Array>())[1];
  EXPECT_EQ(*bound.find("kernel")->get<std::string>(), "gcd_binary_u");
  EXPECT_EQ(*bound.find("sits_on")->get<std::string>(), "overlapped pass");
  EXPECT_EQ(*summary.find("quiet")->get<bool>(), false);
  EXPECT_EQ(summary.find("withheld")->get<Json::Array>()->size(), 15U);
  // Read back, the file's summary is worked out again, not read: a changed one changes nothing.
  Json changed = json;
  at(changed, {"summary"}) = Json(nullptr);
  std::string error;
  EXPECT_TRUE(results_from_json(changed, error)) << error;
}

// Every figure in cycles is the one in ns times the clock, 3 GHz in sample_results().
TEST(ResultsJson, GivesCyclesAsNsTimesTheClock) {
  const Json json = results_to_json(sample_results());
  EXPECT_EQ(*json.find("clock")->find("ghz")->get<double>(), 3.0);
  std::size_t checked = 0;
  for (const char* list : {"kernels", "sweep"}) {
    for (const Json& row : *json.find(list)->get<Json::Array>()) {
      EXPECT_NEAR(*row.find("cycles_per_call")->get<double>(),
                  *row.find("ns_per_call")->get<double>() * 3.0, 0.002);
      ++checked;
    }
  }
  for (const Json& row : *json.find("kernels")->get<Json::Array>()) {
    if (const double* ns = row.find("ns_per_pass")->get<double>()) {
      EXPECT_NEAR(*row.find("cycles_per_pass")->get<double>(), *ns * 3.0, 0.002);
    } else {
      EXPECT_NE(row.find("cycles_per_pass")->get<std::nullptr_t>(), nullptr);
    }
  }
  EXPECT_EQ(checked, 6U + 6U * 32U);
  EXPECT_NEAR(*json.find("mispredicted_branch")->find("cycles")->get<double>(), 4.8 * 3.0, 0.002);
}

// A file keeps its measurements whole, so that its figures, worked out again, and its text are
// the run's own: a clock of 3.00049 GHz and a call of 80.00691 ns show 240.1 cycles in both,
// where a thousandth's rounding would make the file's 240.0.
TEST(ResultsJson, ReadsBackToTheRunsOwnText) {
  Results written = sample_results();
  written.study.clock_before_ghz = 2.95049;
  written.study.clock_after_ghz = 3.05049;
  for (double& ns : written.study.kernels[0].ns_per_call.values) {
    ns += 0.00691;
  }
  const Results run = worked(written);
  std::string error;
  const std::optional<Results> read = results_from_json(results_to_json(run), error);
  ASSERT_TRUE(read) << error;
  const std::string text = format_report(run);
  EXPECT_NE(text.find("  gcd_euclid_u     80.0   240.1"), std::string::npos) << text;
  EXPECT_EQ(format_report(*read), text);
}

TEST(ResultsJson, ReadsBackWhatWasWritten) {
  const Results written = sample_results();
  std::string error;
  const std::optional<Json> json = parse_json(to_text(results_to_json(worked(written))), error);
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
  EXPECT_EQ(read->study.settings.repetitions, 5U);
  EXPECT_EQ(read->study.clock_before_ghz, 2.95);
  EXPECT_EQ(read->study.clock_after_ghz, 3.05);
  EXPECT_EQ(read->study.mispredicted_branch_ns, 4.8);
  ASSERT_TRUE(read->machine.x86);
  EXPECT_EQ(read->machine.x86->model, 207U);
  EXPECT_EQ(read->machine.virtual_machine, true);
  EXPECT_EQ(read->machine.hypervisor, "KVM");
  // The calls by their kind, and the watches over the phases.
  ASSERT_EQ(read->study.calls.size(), 2U);
  const CallTimings& binary = read->study.calls[1];
  EXPECT_EQ(binary.kernel, "gcd_binary_u");
  EXPECT_EQ(binary.pairs, 2000U);
  ASSERT_EQ(binary.groups.size(), 10U);
  EXPECT_EQ(binary.groups[6].passes, 19U);
  EXPECT_EQ(binary.groups[6].exit, CallExit::u_equals_v);
  EXPECT_EQ(binary.groups[6].pairs, 100U);
  EXPECT_NEAR(binary.groups[6].ns_per_call[0], 99 / 3.0, 0.001);
  ASSERT_EQ(read->study.two_pairs.size(), 1U);
  EXPECT_EQ(read->study.two_pairs[0].peer, "euclid_two_u");
  EXPECT_EQ(read->study.two_pairs[0].kernel, "gcd_euclid_u");
  EXPECT_EQ(read->study.two_pairs[0].ns_per_pair, written.study.two_pairs[0].ns_per_pair);
  EXPECT_EQ(read->study.calls[0].groups[0].exit, CallExit::one);
  EXPECT_EQ(binary.own_order_ns_per_call, written.study.calls[1].own_order_ns_per_call);
  ASSERT_TRUE(read->programs_watch);
  EXPECT_EQ(read->programs_watch->wall_s, 20);
  ASSERT_EQ(read->study.phases.size(), 2U);
  const PhaseWatch& sweep = read->study.phases[1];
  EXPECT_EQ(sweep.phase, "sweep");
  EXPECT_EQ(sweep.cpu_s, 5);
  EXPECT_EQ(sweep.cpu_shares, (std::vector<double>{1.0, 0.99, 1.0}));
  EXPECT_EQ(sweep.involuntary_switches, 3U);
  EXPECT_EQ(sweep.stolen_share, 0.0);
  EXPECT_EQ(sweep.clock_before_ghz, 3.0);
  EXPECT_EQ(sweep.clock_after_ghz, 3.0);
  // And the figures worked out from them, the same by the same call.
  ASSERT_EQ(read->worked_out.calls.size(), 2U);
  EXPECT_NEAR(*read->worked_out.calls[0].prediction, *written.worked_out.calls[0].prediction, 0.01);
}

TEST(ResultsJson, TellsWhatIsWrongWithAFileThatIsNoReport) {
  std::string error;
  EXPECT_FALSE(results_from_json(*parse_json(R"({"name": "something else"})", error), error));
  EXPECT_EQ(error, "no \"format\": \"gcd-kit report 2\"");

  Json json = results_to_json(sample_results());
  auto& members = std::get<Json::Object>(json.value);
  std::erase_if(members, [](const auto& member) { return member.first == "benchmarks"; });
  EXPECT_FALSE(results_from_json(json, error));
  EXPECT_EQ(error, "no \"benchmarks\"");

  EXPECT_FALSE(read_results("/nonexistent/report.json", error));
  EXPECT_EQ(error, "cannot read /nonexistent/report.json: No such file or directory");
}

// A report is read only if every figure is one that a run of the kit can give: nonsense
// would print as a ratio of -216.4 or a number 130 digits wide.
TEST(ResultsJson, RefusesFiguresNoRunCanGive) {
  struct Row {
    std::vector<std::string_view> path;
    Json value;
    std::string error;
  };
  const std::string out_of_range = " not a figure from 1e-09 to 86400000";
  const std::vector<Row> rows{
      {{"benchmarks", "0", "runs_ms"},
       Json::Array{0},
       "\"benchmarks[0].runs_ms[0]\" holds 0," + out_of_range},
      {{"benchmarks", "0", "runs_ms"},
       Json::Array{-216.4},
       "\"benchmarks[0].runs_ms[0]\" holds -216.4," + out_of_range},
      {{"benchmarks", "0", "runs_ms"},
       Json::Array{1e308},
       "\"benchmarks[0].runs_ms[0]\" holds 1e+308," + out_of_range},
      {{"benchmarks", "0", "runs_ms"},
       Json::Array{5e-324},
       "\"benchmarks[0].runs_ms[0]\" holds 4.94066e-324," + out_of_range},
      {{"benchmarks", "0", "runs_ms"}, Json::Array{}, "\"benchmarks[0].runs_ms\" is empty"},
      {{"benchmarks"}, Json::Array{}, "\"benchmarks\" is empty"},
      {{"kernels"}, Json::Array{}, "\"kernels\" is empty"},
      {{"kernels", "0", "ns_per_call_runs"},
       Json::Array{2e6},
       "\"kernels[0].ns_per_call_runs[0]\" holds 2000000, not a figure from -1000000 to 1000000"},
      {{"benchmarks", "1", "program"},
       "bench_euclid_u",
       "\"benchmarks\" names bench_euclid_u twice"},
      {{"benchmarks", "0", "program"},
       "bench_foo",
       "\"benchmarks[0].program\" names bench_foo, no benchmark of the kit"},
      {{"kernels", "1", "name"}, "gcd_euclid_u", "\"kernels\" names gcd_euclid_u twice"},
      {{"kernels", "0", "name"},
       "gcd\x1b[2J",
       "\"kernels[0].name\" is not a name of letters, digits and '_'"},
      {{"cross_checks", "0", "errors"},
       -1,
       "\"cross_checks[0].errors\" holds -1, not a figure from 0 to 10000000"},
      {{"settings", "repetitions"},
       0,
       "\"settings.repetitions\" holds 0, not a figure from 1 to 100"},
      {{"settings", "repetitions"},
       101,
       "\"settings.repetitions\" holds 101, not a figure from 1 to 100"},
      // What a report holds is bounded: no more runs, repetitions, kernels or notes than a run
      // of the kit can give, each name once and known.
      // Runs and repetitions: as many again as asked for, at the most, timed again.
      {{"benchmarks", "0", "runs_ms"},
       Json::Array(1101, Json(800)),
       "\"benchmarks[0].runs_ms\" holds 1101 figures, more than the 1100 a report can have"},
      {{"kernels", "0", "ns_per_call_runs"},
       Json::Array(201, Json(80)),
       "\"kernels[0].ns_per_call_runs\" holds 201 figures, more than the 200 a report can have"},
      {{"kernels", "0", "ns_per_call_runs_quiet"},
       Json::Array(4, Json(true)),
       "\"kernels[0].ns_per_call_runs_quiet\" holds no sign of quiet for each of 5 values"},
      {{"sweep", "3", "ns_per_call_runs_quiet"},
       Json::Array{Json(true), Json(true), Json(1.0), Json(true), Json(true)},
       "\"sweep[3].ns_per_call_runs_quiet[2]\" is neither true nor false"},
      {{"benchmarks", "1", "runs_ms_timed_again"},
       5,
       "\"benchmarks[1].runs_ms_timed_again\" holds 5, not a figure from 0 to 4"},
      {{"settings", "estimator"},
       "mean of everything",
       "\"settings.estimator\" names an estimator this gcd_report does not know"},
      {{"settings", "retime_seconds"},
       3601,
       "\"settings.retime_seconds\" holds 3601, not a figure from 0 to 3600"},
      {{"kernels", "4", "name"},
       "gcd_mystery_u",
       "\"kernels[4].name\" names gcd_mystery_u, no kernel or peer of the kit"},
      {{"sweep", "0", "kernel"},
       "gcd_mystery_u",
       "\"sweep[0].kernel\" names gcd_mystery_u, no kernel or peer of the kit"},
      {{"passes_per_bit", "1", "kernel"},
       "gcd_euclid_u",
       "\"passes_per_bit\" names gcd_euclid_u twice"},
      {{"passes_per_bit", "1", "kernel"},
       "fast_binary_u",
       "\"passes_per_bit[1].kernel\" names fast_binary_u, no kernel of the kit"},
      {{"model_kernels", "1", "kernel"},
       "gcd_euclid_u",
       "\"model_kernels\" names gcd_euclid_u twice"},
      {{"model_kernels", "1", "bound"},
       "backend pressure in 82.1% of cycles: register dependencies inf%",
       "\"model_kernels[1].bound\" gives gcd_euclid_s a bound whose shares are not all from 0 to "
       "100%"},
      {{"counters", "3", "kernel"}, "gcd_binary_u", "\"counters\" names gcd_binary_u twice"},
      {{"call_groups", "3", "exit"},
       "u is 2",
       "\"call_groups[3].exit\" holds u is 2, no exit of the binary loop"},
      {{"call_groups", "7", "passes"},
       17.0,
       "\"call_groups\" names gcd_binary_u, 17 passes, u is 1 twice"},
      {{"call_groups", "0", "kernel"},
       "gcd_euclid_s",
       "\"call_groups[0].kernel\" names gcd_euclid_s, which has no calls_in_order"},
      {{"calls_in_order", "1", "pairs"},
       0.0,
       "\"calls_in_order[1].pairs\" holds 0, not a figure from 1 to 4294967295"},
      // Files that contradict themselves.
      {{"call_groups", "0", "exit"},
       "v is 1",
       "\"call_groups[0].exit\" holds a second exit of gcd_euclid_u's loop, which has one"},
      {{"call_groups", "6", "exit"},
       nullptr,
       "\"call_groups[6].exit\" holds no exit for a call of gcd_binary_u that makes 17 passes, "
       "which leaves its loop by one"},
      {{"kernels", "2", "name"},
       "mpn_gcd_1_u",
       "\"calls_in_order[1].kernel\" names gcd_binary_u, which has no row in \"kernels\""},
      {{"call_groups", "0", "pairs"},
       4294967295.0,
       "\"call_groups\" of gcd_euclid_u hold 4294968245 pairs, and "
       "\"calls_in_order[0].pairs\" 1050"},
      {{"calls_in_order", "0", "passes_of_two"},
       0.0,
       "\"calls_in_order[0].passes_of_two\" holds 0, outside the passes of gcd_euclid_u's "
       "groups, 14 to 30"},
      {{"phases", "1", "phase"},
       "lunch",
       "\"phases[1].phase\" names lunch, no phase of the report"},
      {{"phases", "2", "phase"}, "study", "\"phases\" names study twice"},
      {{"phases", "0", "stolen_share"},
       1.5,
       "\"phases[0].stolen_share\" holds 1.5, not a figure from 0 to 1"},
      {{"notes"}, Json::Array(33, Json("a note")), "\"notes\" holds 33 notes, more than 32"},
      {{"format"},
       "gcd-kit report 3",
       "its format is \"gcd-kit report 3\", and this gcd_report reads \"gcd-kit report 2\" and "
       "\"gcd-kit report 1\""},
      {{"clock", "before_ghz"}, 0.0, "\"clock.before_ghz\" holds 0, not a figure from 0.01 to 100"},
      {{"machine", "virtual_machine"},
       "yes",
       "\"machine.virtual_machine\" is neither true, false nor null"},
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

// A report of a build with every peer, re-saved with its letters escaped, reads as written.
TEST(ResultsJson, ReadsAReportResavedWithEscapedLetters) {
  Results written = sample_results();
  written.machine.processor = "AMD EPYC\xe2\x84\xa2 9B14";  // "AMD EPYC™ 9B14"
  std::string text = to_text(results_to_json(worked(written)));
  const std::size_t at = text.find("\xe2\x84\xa2");
  text.replace(at, 3, "\\u2122");
  std::string error;
  const std::optional<Json> json = parse_json(text, error);
  ASSERT_TRUE(json) << error;
  const std::optional<Results> read = results_from_json(*json, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->machine.processor, written.machine.processor);
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
