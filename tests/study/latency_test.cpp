// The latencies of single instructions: the arithmetic that turns a chain's time into cycles,
// what counts as a latency, and the chains themselves, which must run on every processor that
// has them (no figure is asserted: a shared machine makes timings noisy).
#include "study/latency.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "study/chains.h"

namespace {

// A link of 3 ns at 4 GHz is 12 cycles; less 2 of carriers, 10; of two instructions, 5 each.
TEST(InstructionCycles, TakesTheCarriersOffAndSharesTheRestAmongTheLink) {
  EXPECT_DOUBLE_EQ(instruction_cycles(3.0, 4.0, 2.0, 1), 10.0);
  EXPECT_DOUBLE_EQ(instruction_cycles(3.0, 4.0, 2.0, 2), 5.0);
  EXPECT_DOUBLE_EQ(instruction_cycles(0.25, 4.0, 0.0, 1), 1.0);
}

TEST(PlausibleLatency, AsksACycleOfArithmeticAndNothingOfAMove) {
  EXPECT_TRUE(plausible_latency("div", 10.0));
  EXPECT_TRUE(plausible_latency("sub", 0.8));
  EXPECT_FALSE(plausible_latency("sub", 0.79));
  EXPECT_FALSE(plausible_latency("and", 0.1));  // a carrier resolved at renaming
  EXPECT_TRUE(plausible_latency("mov", 0.0));   // eliminated
  EXPECT_TRUE(plausible_latency("mov", 0.2));
}

// The clock of the latencies is the mean of the two around them, unless it moved by more than
// 5%; a form is found by its key only where its figure is a latency.
TEST(Latencies, UseTheClockOnlyWhereItHeldAndOnlyPlausibleForms) {
  Latencies latencies;
  latencies.clock_before_ghz = 4.0;
  latencies.clock_after_ghz = 4.18;
  ASSERT_TRUE(latencies.ghz());
  EXPECT_DOUBLE_EQ(*latencies.ghz(), 4.09);
  latencies.clock_after_ghz = 4.21;  // 5.25%
  EXPECT_FALSE(latencies.ghz());
  latencies.forms = {{"sub", "sub", 0.5, 0, false}, {"div", "div", 10, 2, true}};
  EXPECT_EQ(latencies.find("sub"), nullptr);
  ASSERT_NE(latencies.find("div"), nullptr);
  EXPECT_EQ(latencies.find("div")->cycles, 10);
}

// Every chain of this processor runs, the carrier first; and the divisions of a chain divide:
// the last remainder is the last pair's (the carried 0 changes no divisor).
TEST(Chains, RunAndDivide) {
  const std::span<const InstructionChain> chains = instruction_chains();
  if (chains.empty()) {
    GTEST_SKIP() << "no chains on this processor";
  }
  EXPECT_EQ(std::string(chains.front().key), "and");
  for (const InstructionChain& chain : chains) {
    chain.run(2);
  }
  const Division unsigned_divisions[] = {{100, 7}, {4294967295U, 10}, {12345, 1000}};
  EXPECT_EQ(run_divisions(unsigned_divisions, false, true), 345U);
  EXPECT_EQ(run_divisions(unsigned_divisions, false, false), 345U);
  const Division signed_divisions[] = {{100, 7}, {static_cast<std::uint32_t>(-12345), 1000}};
  EXPECT_EQ(run_divisions(signed_divisions, true, true), static_cast<std::uint32_t>(-345));
  EXPECT_EQ(run_divisions(signed_divisions, true, false), static_cast<std::uint32_t>(-345));
  EXPECT_FALSE(run_divisions({}, false, true));
}

// What the caller takes off a link's time is what the link holds: each zeroing "and" and each
// "add" besides the instruction timed is a carrier, and the instruction timed (where its key
// is a mnemonic) appears per_link times.
TEST(Chains, CountTheCarriersAndInstructionsOfEachLink) {
  for (const InstructionChain& chain : instruction_chains()) {
    const std::string key = chain.key;
    unsigned ands = 0;
    unsigned adds = 0;
    unsigned timed = 0;
    std::stringstream link(chain.link);
    for (std::string instruction; std::getline(link, instruction);) {
      const std::size_t start = instruction.find_first_not_of('\t');
      const std::size_t end = instruction.find(' ', start);
      const std::string mnemonic = instruction.substr(start, end - start);
      const bool zeroing = instruction.find("$0,") != std::string::npos ||
                           instruction.find("wzr") != std::string::npos;
      ands += mnemonic == "and" && zeroing ? 1U : 0U;
      adds += mnemonic == "add" ? 1U : 0U;
      timed += mnemonic == key ? 1U : 0U;
    }
    SCOPED_TRACE(chain.shown);
    EXPECT_EQ(ands, chain.and_carriers + (key == "and" ? chain.per_link : 0));
    EXPECT_EQ(adds, chain.add_carriers);
    if (key.find('_') == std::string::npos) {
      EXPECT_EQ(timed, chain.per_link);
    }
  }
}

}  // namespace
