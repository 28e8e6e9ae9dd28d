// Which findings the report states and which it withholds, decided once from the phases'
// verdicts: made-up results, never a real clock.
#include "report/figures/findings.h"

#include <gtest/gtest.h>

#include "report/figures/disturbance.h"
#include "tests/report/sample_results.h"

namespace {

TEST(Findings, AreEachFindingTheReportDrawsAndNoneWithheldOnAQuietRun) {
  const Results results = sample_results();
  std::vector<std::string> drawn;
  for (const Finding& finding : results.worked_out.findings) {
    drawn.push_back(std::string(finding_key(finding.kind)) + " " + finding.subject);
    EXPECT_EQ(finding.withheld, Withheld::no) << drawn.back();
  }
  EXPECT_EQ(drawn, (std::vector<std::string>{
                       "why unsigned", "why signed", "agreement ", "chain gcd_euclid_u",
                       "chain gcd_euclid_s", "chain gcd_binary_u", "model gcd_euclid_u",
                       "model gcd_euclid_s", "model gcd_binary_u", "model gcd_binary_s",
                       "lines gcd_euclid_u", "lines gcd_binary_u", "call gcd_euclid_u",
                       "call gcd_binary_u", "two_pairs euclid_two_u", "crossover unsigned",
                       "crossover signed"}));
}

// A phase disturbed by the system's signs alone, its figures' spread quiet, withholds every
// finding drawn from its timings, and no other.
TEST(Findings, AreWithheldWhereAPhaseTheyRestOnWasDisturbedByAnySign) {
  const Results study = with_phase_busy("study");
  EXPECT_TRUE(find_verdict(study, "study")->figures.empty());
  for (const Finding& finding : study.worked_out.findings) {
    const bool on_study = finding.kind != FindingKind::crossover;
    EXPECT_EQ(finding.withheld, on_study ? Withheld::disturbed : Withheld::no)
        << finding_key(finding.kind) << " " << finding.subject;
  }
  const Results sweep = with_phase_busy("sweep");
  EXPECT_EQ(withheld(sweep, FindingKind::crossover, "unsigned"), Withheld::disturbed);
  EXPECT_EQ(withheld(sweep, FindingKind::agreement), Withheld::disturbed);
  EXPECT_EQ(withheld(sweep, FindingKind::call, "gcd_euclid_u"), Withheld::no);
  const Results programs = with_phase_busy("programs");
  EXPECT_EQ(withheld(programs, FindingKind::agreement), Withheld::disturbed);
  EXPECT_EQ(withheld(programs, FindingKind::chain, "gcd_euclid_u"), Withheld::no);
}

// A figure that does not hold withholds the findings that rest on it, and no other: gcd_binary_u
// disturbed withholds why binary is faster unsigned, its chain and its model, not the signed
// answer nor Euclid's chain; the loop every figure of the study is net of withholds them all.
TEST(Findings, AreWithheldWhereAFigureTheyRestOnDoesNotHold) {
  Results results = sample_results();
  results.study.kernels[2].ns_per_call = {40, 80, 80, 40, 80};
  const Results binary = worked(results);
  EXPECT_EQ(withheld(binary, FindingKind::why, "unsigned"), Withheld::disturbed);
  EXPECT_EQ(withheld(binary, FindingKind::chain, "gcd_binary_u"), Withheld::disturbed);
  EXPECT_EQ(withheld(binary, FindingKind::model, "gcd_binary_u"), Withheld::disturbed);
  EXPECT_EQ(withheld(binary, FindingKind::why, "signed"), Withheld::no);
  EXPECT_EQ(withheld(binary, FindingKind::chain, "gcd_euclid_u"), Withheld::no);
  EXPECT_EQ(withheld(binary, FindingKind::call, "gcd_binary_u"), Withheld::no);
  EXPECT_EQ(withheld(binary, FindingKind::crossover, "unsigned"), Withheld::no);
  results = sample_results();
  results.study.loop_ns_per_call = {2, 9, 9, 2, 9};
  const Results loop = worked(results);
  EXPECT_EQ(withheld(loop, FindingKind::why, "signed"), Withheld::disturbed);
  EXPECT_EQ(withheld(loop, FindingKind::model, "gcd_euclid_s"), Withheld::disturbed);
  EXPECT_EQ(withheld(loop, FindingKind::crossover, "signed"), Withheld::no);
}

// One repetition: the study's quiet cannot be judged, and its findings are withheld as such.
TEST(Findings, AreWithheldWhereAPhasesQuietCouldNotBeJudged) {
  Results results = sample_results();
  results.study.settings.repetitions = 1;
  for (KernelFigures& kernel : results.study.kernels) {
    kernel.ns_per_call.resize(1);
  }
  const Results one = worked(results);
  EXPECT_EQ(withheld(one, FindingKind::why, "unsigned"), Withheld::not_judged);
  EXPECT_EQ(withheld(one, FindingKind::crossover, "unsigned"), Withheld::no);
  // Disturbed outweighs not judged.
  EXPECT_EQ(
      withheld_for(with_phase_busy("sweep"), {{"study", "gcd_euclid_u"}, {"sweep", "the loop"}}),
      Withheld::disturbed);
}

// A report from before the watch has no verdicts: nothing to withhold by.
TEST(Findings, WithholdNothingForAReportWithoutPhases) {
  Results results = sample_results();
  results.programs_watch.reset();
  results.study.phases.clear();
  EXPECT_EQ(withheld_for(
                worked(results),
                {{"programs", "bench_euclid_u"}, {"study", "gcd_euclid_u"}, {"sweep", "the loop"}}),
            Withheld::no);
  EXPECT_EQ(find_finding(worked(results), FindingKind::call, "gcd_binary_s"), nullptr);
}

}  // namespace
