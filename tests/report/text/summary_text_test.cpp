// The summary at the top of the report: each figure as the section below states it, what is
// withheld or missing said or left out, and a first screen of 80 columns.
#include "report/text/summary_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "report/text/report_text.h"
#include "tests/report/sample_results.h"
#include "tests/report/text/unwrapped.h"

namespace {

// The summary of a whole report, and the rest of it, apart.
struct Split {
  std::string summary;
  std::string rest;
};

Split split(const Results& results) {
  const std::string text = format_report(results);
  const std::size_t start = text.find("In short");
  const std::size_t end = text.find("\n\n", start);
  return {text.substr(start, end + 2 - start), text.substr(0, start) + text.substr(end + 2)};
}

// Each figure of the summary where its section states it: the sample's speed-ups (400 ms
// against 800, 300 against 780), the passes and their cycles, the calls' bounds, the gain of
// two pairs and the fastest peer.
TEST(Summary, StatesEachFigureAsItsSectionDoes) {
  const Split report = split(sample_results());
  const std::string summary = unwrapped(report.summary);
  const std::string rest = unwrapped(report.rest);
  const std::pair<const char*, const char*> figures[] = {
      {"unsigned, binary is 2.00 times as fast as Euclid (1.97-2.04)",
       "Unsigned: binary is 2.00 times as fast as Euclid (1.97-2.04)."},
      {"signed, binary is 2.60 times as fast as Euclid (2.56-2.65)",
       "Signed:   binary is 2.60 times as fast as Euclid (2.56-2.65)."},
      {"binary makes 1.09 times as many passes as Euclid, at 0.46 of the cycles of a pass (5.8 "
       "against 12.6), unsigned",
       "gcd_binary_u makes 1.09 times as many passes as gcd_euclid_u, at 0.46 of the cycles of "
       "a pass (5.8 against 12.6)."},
      {"1.09 times, at 0.53 (6.8 against 12.7), signed",
       "gcd_binary_s makes 1.09 times as many passes as gcd_euclid_s, at 0.53 of the cycles of "
       "a pass (6.8 against 12.7)."},
      {"euclid_two_u 1.60 times as fast as gcd_euclid_u", "1.60 times as fast."},
      {"the fastest peer, fast_binary_u, at 0.375 (0.362-0.388) of gcd_euclid_u's time",
       "fast_binary_u    30.0    90.0       -     -       -  0.375 (0.362-0.388)"},
  };
  for (const auto& [in_summary, in_section] : figures) {
    EXPECT_NE(summary.find(in_summary), std::string::npos) << in_summary << "\nin:\n" << summary;
    EXPECT_NE(rest.find(in_section), std::string::npos) << in_section << "\nin:\n" << rest;
  }
  // The bounds, row by row, as "What bounds a call?" gives them.
  EXPECT_NE(report.summary.find(
                "  gcd_euclid_u   its chain    12.0        6.0          248.7     240.0   3.6%\n"
                "  gcd_binary_u   throughput    4.0        5.0          119.4     120.0  -0.5%\n"),
            std::string::npos)
      << report.summary;
  for (const char* in_section : {"\n  gcd_euclid_u     12.0        6.0      248.7    240.0",
                                 "\n  gcd_binary_u      4.0        5.0      119.4    120.0"}) {
    EXPECT_NE(report.rest.find(in_section), std::string::npos) << in_section;
  }
  for (const char* in_section :
       {"gcd_euclid_u: a pass sits on its chain",
        "Predicted 248.7 cycles a call against 240.0 measured: within 10% (3.6% above).",
        "gcd_binary_u: a pass sits on the core's throughput",
        "Predicted 119.4 cycles a call against 120.0 measured: within 10% (0.5% below)."}) {
    EXPECT_NE(rest.find(in_section), std::string::npos) << in_section;
  }
  EXPECT_NE(summary.find("The machine was quiet in every phase."), std::string::npos);
}

// A finding withheld is said so in the summary, its figure never stated: the study disturbed
// withholds why binary is faster (its passes, counted, stay) and the calls' bounds.
TEST(Summary, SaysWhatIsWithheldAndStatesNoFigureOfIt) {
  Results results = sample_results();
  results.study.loop_ns_per_call = {2, 9, 9, 2, 9};
  results.study.calls[0].own_order_ns_per_call = {80, 160, 160, 80, 160};
  results.study.calls[1].own_order_ns_per_call = {40, 80, 80, 40, 80};
  const std::string lines = split(worked(results)).summary;
  const std::string summary = unwrapped(lines);
  EXPECT_NE(summary.find("Why: binary makes 1.09 times as many passes as Euclid, the cost of a "
                         "pass withheld, unsigned"),
            std::string::npos)
      << summary;
  EXPECT_EQ(summary.find("0.46"), std::string::npos) << summary;
  EXPECT_NE(lines.find("\n  gcd_euclid_u   withheld, timed while the machine was disturbed\n"),
            std::string::npos)
      << lines;
  EXPECT_EQ(summary.find("248.7"), std::string::npos) << summary;
  EXPECT_NE(summary.find("euclid_two_u withheld"), std::string::npos) << summary;
  EXPECT_NE(summary.find("The machine: the study disturbed; withheld: why binary is faster "
                         "(unsigned); why binary is faster (signed);"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("more (see \"Was the machine quiet?\")."), std::string::npos) << summary;
}

// A signed kernel's bound is shown where it differs from the unsigned one's, and only where
// both are stated: a difference drawn from withheld bounds is none to show.
TEST(Summary, ShowsASignedBoundThatDiffersOnlyWhereBothAreStated) {
  // The sample times the unsigned kernels' calls: a signed one beside gcd_binary_u, on its chain.
  const auto differing = [](Results results) {
    std::vector<CallBound>& calls = results.worked_out.calls;
    CallBound signed_bound = *find_named(calls, &CallBound::kernel, "gcd_binary_u");
    signed_bound.kernel = "gcd_binary_s";
    signed_bound.sits_on = PassBound::chain;
    calls.push_back(signed_bound);
    return split(results).summary;
  };
  EXPECT_NE(differing(worked(sample_results())).find("\n  gcd_binary_s   its chain"),
            std::string::npos);
  EXPECT_EQ(differing(with_phase_busy("study")).find("gcd_binary_s"), std::string::npos)
      << differing(with_phase_busy("study"));
}

// Three withheld findings named at the most, the rest counted, in two lines at the most.
TEST(Summary, NamesThreeWithheldFindingsAtTheMost) {
  Results results = with_phase_busy("study");
  std::vector<Finding>& findings = results.worked_out.findings;
  findings.clear();
  for (const char* peer : {"a", "b", "c", "d", "e"}) {
    findings.push_back({FindingKind::two_pairs, peer, {"study"}, {}, Withheld::disturbed});
  }
  const std::string summary = split(results).summary;
  EXPECT_NE(
      summary.find("  The machine: the study disturbed; withheld: what a gains; what b gains; "
                   "what c\n  gains; and 2 more (see \"Was the machine quiet?\").\n"),
      std::string::npos)
      << summary;
  // Where no name fits, the findings are counted.
  for (Finding& finding : findings) {
    finding.subject = std::string(60, 'x');
  }
  EXPECT_NE(unwrapped(split(results).summary)
                .find("The machine: the study disturbed; withheld: 5 findings (see \"Was"),
            std::string::npos)
      << split(results).summary;
}

// What a report did not measure is left out: no calls, no two pairs, no peers, no watch.
TEST(Summary, LeavesOutWhatTheReportDidNotMeasure) {
  Results results = sample_results();
  results.study.calls.clear();
  results.study.two_pairs.clear();
  std::erase_if(results.study.kernels,
                [](const KernelFigures& kernel) { return kernel.name.find("gcd_") != 0; });
  results.programs_watch.reset();
  results.study.phases.clear();
  const std::string summary = split(worked(results)).summary;
  for (const char* left_out : {"in cycles", "What would help", "The machine"}) {
    EXPECT_EQ(summary.find(left_out), std::string::npos) << left_out << " in:\n" << summary;
  }
  EXPECT_NE(summary.find("Which is faster here"), std::string::npos) << summary;
  // Nothing measured at all: no summary.
  Results none;
  work_out(none);
  EXPECT_EQ(format_report(none).find("In short"), std::string::npos);
}

// The first screen: the summary right after the machine's identity, in at most 15 lines of 80
// columns, even where every phase was disturbed and each bound differs by signedness.
TEST(Summary, FitsTheFirstScreen) {
  Results results = sample_results();
  for (BenchmarkRow& row : results.benchmarks) {
    row.runs_ms = {row.runs_ms[0], 2 * row.runs_ms[0], 2 * row.runs_ms[0], row.runs_ms[0],
                   2 * row.runs_ms[0]};
  }
  results.study.loop_ns_per_call = {2, 9, 9, 2, 9};
  results.study.sweep[0].ns_per_call = {2, 9, 9, 2, 9};
  const std::string text = format_report(worked(results));
  const std::string summary = split(worked(results)).summary;
  EXPECT_LT(text.find("  compiler"), text.find("In short"));
  EXPECT_LT(text.find("In short"), text.find("Do the two algorithms agree?"));
  std::istringstream lines(summary);
  std::string line;
  std::size_t count = 0;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 80U) << line;
    count += line.empty() ? 0U : 1U;
  }
  EXPECT_LE(count, 15U) << summary;
  EXPECT_NE(summary.find("The machine: the programs disturbed, the study disturbed, the sweep "
                         "disturbed;"),
            std::string::npos)
      << summary;
}

// One run and one repetition: nothing judged, each bound said so within 80 columns, the
// fastest peer marked as the machine line names the phases.
TEST(Summary, SaysWhatCouldNotBeJudgedWithinTheScreen) {
  Results results = sample_results();
  for (BenchmarkRow& row : results.benchmarks) {
    row.runs_ms.resize(1);
  }
  results.study.loop_ns_per_call.resize(1);
  results.study.sweep[0].ns_per_call.resize(1);
  const std::string summary = split(worked(results)).summary;
  std::istringstream lines(summary);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 80U) << line;
  }
  EXPECT_NE(summary.find("\n  gcd_euclid_u   withheld, timed in too few repetitions to judge\n"),
            std::string::npos)
      << summary;
  EXPECT_NE(unwrapped(summary).find(
                "fast_binary_u, at 0.375 (0.362-0.388) of gcd_euclid_u's time, not judged."),
            std::string::npos)
      << summary;
  EXPECT_NE(
      unwrapped(summary).find("The machine: the programs not judged, the study not judged, the "
                              "sweep not judged;"),
      std::string::npos)
      << summary;
}

}  // namespace
