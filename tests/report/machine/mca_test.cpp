// llvm-mca's figures and words read from its output: fixed texts, as llvm-mca prints them.
#include "report/machine/mca.h"

#include <gtest/gtest.h>

#include "tests/report/tool_texts.h"

namespace {

TEST(ParseMca, KeepsTheFiguresAndWordsAsTheToolGivesThem) {
  std::string error;
  const std::optional<McaFigures> figures = parse_mca(MCA_EUCLID, error);
  ASSERT_TRUE(figures) << error;
  EXPECT_EQ(figures->iterations, 100);
  EXPECT_EQ(figures->total_cycles, 1305);
  EXPECT_EQ(figures->block_rthroughput, 13.0);
  EXPECT_EQ(figures->bound,
            "backend pressure in 67.7% of cycles: resource pressure 67.6% (Zn3ALU0 67.6%), "
            "register dependencies 67.7%");
  EXPECT_EQ(figures->critical, "divl %ecx (13) -> testl %edx, %edx (1) -> jne .Lloop (1)");
  EXPECT_EQ(figures->slowest, "divl %ecx");
  EXPECT_EQ(figures->slowest_latency, 13);

  const std::optional<McaFigures> none = parse_mca(
      "Iterations:        100\nTotal Cycles:      250\nBlock RThroughput: 2.5\n\n"
      "No resource or data dependency bottlenecks discovered.\n",
      error);
  ASSERT_TRUE(none) << error;
  EXPECT_EQ(none->bound, "no resource or data dependency bottlenecks");
  EXPECT_FALSE(parse_mca("error: invalid CPU name 'nonesuch'\n", error));
}

// The text of MCA_EUCLID with one part of it replaced.
std::string euclid_with(const std::string& part, const std::string& replacement) {
  std::string text = MCA_EUCLID;
  const std::size_t at = text.find(part);
  EXPECT_NE(at, std::string::npos) << part;
  return text.replace(at, part.size(), replacement);
}

// What is not llvm-mca's output as it prints it is refused with the reason: a figure that is
// no number in its range, a malformed table, a name that is no resource. Nothing throws.
TEST(ParseMca, RefusesWhatIsNoAnalysisAndSaysWhy) {
  const std::string summary =
      "no \"Iterations\", \"Total Cycles\" and \"Block RThroughput\" in its output";
  const std::string no_figures =
      "its summary gives no iterations, no cycles or a negative throughput";
  const std::pair<std::string, std::string> rows[] = {
      {euclid_with("1305", "nan"), summary},
      {euclid_with("1305", "inf"), summary},
      {euclid_with("1305", "-0.7"), no_figures},
      {euclid_with("1305", "0"), no_figures},
      {euclid_with("Block RThroughput: 13.0", "Block RThroughput: -13"), no_figures},
      {euclid_with("Iterations:        100", "Iterations:        0"), no_figures},
      {euclid_with("[ 67.59% ]\n  - Zn3ALU0", "[ 167.59% ]\n  - Zn3ALU0"),
       "a line of its bottleneck analysis holds no share from 0 to 100%: \"Resource Pressure       "
       "[ 167.59% ]\""},
      {euclid_with("- Zn3ALU0  [ 67.59% ]", "- Zn3ALU0  [ nan% ]"),
       "a line of its bottleneck analysis holds no share from 0 to 100%: \"- Zn3ALU0  [ nan% ]\""},
      {euclid_with("- Zn3ALU0",
                   "- Zn3\x1b]0;x\x07"
                   "ALU0"),
       "its bottleneck analysis names something that is no resource or dependency: "
       "\"Zn3\\x1b]0;x\\x07ALU0\""},
      {euclid_with("- Register Dependencies", "- Register Dependencies @"),
       "its bottleneck analysis names something that is no resource or dependency: "
       "\"Register Dependencies @\""},
      {euclid_with(" 2      13    13.00", "2"),
       "a row of its instruction table gives no latency: \"2                 U     divl\\t%ecx\""},
      {euclid_with(" 2      13    13.00", " 2      -1    13.00"),
       "a row of its instruction table gives no latency: \"2      -1    13.00                 U    "
       " "
       "divl\\t%ecx\""},
      {euclid_with("+----< 2.", "+----< x."),
       "a line of its critical sequence numbers no instruction: \"+----< x.    divl\\t%ecx\""},
  };
  for (const auto& [text, why] : rows) {
    std::string error;
    EXPECT_FALSE(parse_mca(text, error)) << why;
    EXPECT_EQ(error, why);
  }
}

// What the model's words hold of a tool's own texts reaches the terminal escaped.
TEST(ParseMca, ShowsTheToolsTextsSafely) {
  std::string error;
  const std::optional<McaFigures> figures = parse_mca(
      euclid_with("+----< 2.    divl\t%ecx", "+----< 2.    divl\t%ecx\x1b]0;x\x07"), error);
  ASSERT_TRUE(figures) << error;
  EXPECT_EQ(figures->critical,
            "divl %ecx\\x1b]0;x\\x07 (13) -> testl %edx, %edx (1) -> jne .Lloop (1)");
}

TEST(HostCpu, IsTheNameLlvmGivesThisProcessor) {
  EXPECT_EQ(host_cpu("Debian LLVM version 14.0.6\n  Optimized build.\n  Default target: "
                     "x86_64-pc-linux-gnu\n  Host CPU: rocketlake\n\n  Registered Targets:\n"),
            "rocketlake");
  EXPECT_EQ(host_cpu("LLVM version 14\n"), std::nullopt);
  // LLVM 14 on a processor it does not know, and a name no processor has.
  EXPECT_EQ(host_cpu("  Host CPU: (unknown)\n"), std::nullopt);
  EXPECT_EQ(host_cpu("  Host CPU: \x1b]0;owned\x07\n"), std::nullopt);
}

TEST(BoundShares, ReadsTheSharesOfTheBoundsWords) {
  const std::optional<BoundShares> shares = bound_shares(
      "backend pressure in 82.1% of cycles: resource pressure 52.1% (ICXPort0 44.6%), "
      "register dependencies 60.0%");
  ASSERT_TRUE(shares);
  EXPECT_EQ(shares->backend, 82.1);
  EXPECT_EQ(shares->resources, 52.1);
  EXPECT_EQ(shares->dependencies, 60.0);
  EXPECT_FALSE(bound_shares("backend pressure in 82.1% of cycles: register dependencies inf%"));
  EXPECT_FALSE(bound_shares("backend pressure in 182.1% of cycles"));
  EXPECT_TRUE(bound_shares("no resource or data dependency bottlenecks"));
}

}  // namespace
