// Results made up for the rendering tests: known figures, no measuring.
#pragma once

#include <string>
#include <vector>

#include "report/figures/results.h"
#include "report/figures/work_out.h"
#include "study/fit.h"

// A virtual Intel machine at 3 GHz. Programs whose unsigned binary kernel takes half the time of
// Euclid's and whose signed one takes 0.38 of it; a sweep in which binary is slower up to 6 bits
// and faster from 7 on, unsigned, and faster at every size, signed; passes per bit on the
// constants. Unsigned and signed figures differ, so that a sentence that swaps them is seen.
inline Results sample_results() {
  Results results;
  results.machine.processor = "Test CPU";
  results.machine.compiler = "g++ 12";
  results.machine.build_type = "Release";
  results.machine.x86 = X86Signature{"GenuineIntel", 6, 207, 2};
  results.machine.virtual_machine = true;
  results.machine.hypervisor = "KVM";
  results.calls_per_run = 10'000'000;
  results.checks = {{"check_u", "gcd_binary_u", "gcd_euclid_u", 10'000'000, 0},
                    {"check_s", "gcd_binary_s", "gcd_euclid_s", 10'000'000, 0}};
  results.benchmarks = {{"bench_euclid_u", {800, 810, 790, 805, 795}},
                        {"bench_euclid_s", {780, 790, 770, 785, 775}},
                        {"bench_binary_u", {400, 405, 395, 402, 398}},
                        {"bench_binary_s", {300, 305, 295, 302, 298}}};
  Study& study = results.study;
  study.settings.drawn_pairs = 1'000'000;
  study.settings.repetitions = 5;
  study.settings.sweep_pairs = 1000;
  study.loop_ns_per_call = {2.0, 2.1, 2.2, 2.05, 2.15};
  study.sweep_loop_ns_per_call = {1.0, 1.0, 1.0, 1.0, 1.0};
  // 3 GHz, so that a cycle is a third of a ns; a mispredicted branch of 14.4 cycles.
  study.clock_before_ghz = 2.95;
  study.clock_after_ghz = 3.05;
  study.mispredicted_branch_ns = 4.8;
  const std::vector<std::string> names{"gcd_euclid_u", "gcd_euclid_s",  "gcd_binary_u",
                                       "gcd_binary_s", "fast_binary_u", "euclid_two_u"};
  const double ns[] = {80, 78, 40, 45, 30, 50};
  const double passes[] = {19, 18.4, 20.7, 20, 0, 0};
  for (std::size_t i = 0; i < names.size(); ++i) {
    KernelFigures kernel{
        names[i], {ns[i] - 1, ns[i], ns[i] + 1, ns[i] - 0.5, ns[i] + 0.5}, std::nullopt};
    if (passes[i] > 0) {
      kernel.passes_per_call = passes[i];
    }
    study.kernels.push_back(kernel);
    const bool binary = names[i].find("binary") != std::string::npos;
    const bool is_signed = names[i].ends_with("_s");
    for (unsigned bits = 1; bits <= 32; ++bits) {
      // Euclid: 3 ns a bit. Binary: 2 ns a bit, plus 6 ns unsigned: the lines cross at 6 bits.
      const double time = binary ? 2.0 * bits + (is_signed ? 0 : 6) : 3.0 * bits;
      SweepFigures point{names[i], bits, {time, time, time, time, time}, std::nullopt};
      if (passes[i] > 0) {
        point.passes_per_call = (binary ? BINARY_PASSES_PER_BIT : EUCLID_PASSES_PER_BIT) * bits;
      }
      study.sweep.push_back(point);
    }
  }
  study.passes_per_bit = {{"gcd_euclid_u", 0.585, EUCLID_PASSES_PER_BIT},
                          {"gcd_binary_u", 0.706, BINARY_PASSES_PER_BIT}};
  results.notes = {"mpn_gcd_1_u left out: GMP was not found at build time (Debian libgmp-dev)"};
  // A model that gives gcd_euclid_u 14 cycles a pass (12.6 measured) and gcd_binary_u 13 (5.8
  // measured, a finding); counters that count 3 cycles a ns.
  results.model = ProcessorModel{"testlake", "LLVM 14", {}};
  const double model_cycles[] = {14, 15, 13, 13};
  for (std::size_t i = 0; i < 4; ++i) {
    results.model->kernels.push_back({names[i], model_cycles[i], 8,
                                      "backend pressure in 82.1% of cycles: resource pressure "
                                      "52.1% (P0 44.6%), register dependencies 60.0%",
                                      "tzcntl %eax, %eax (3) -> shrl %cl, %esi (3)",
                                      "tzcntl %eax, %eax", 3});
    study.counters.push_back({names[i], ns[i] * 3, passes[i] * 6, 1.0});
  }
  // Latencies timed at 3 GHz; shr by 1 below the plausible. The divider of gcd_euclid_u slower
  // on larger quotients, that of gcd_euclid_s not.
  study.latencies.clock_before_ghz = 2.99;
  study.latencies.clock_after_ghz = 3.01;
  study.latencies.forms = {{"and", "and $0, r32 (the carrier)", 1.0, 0, true},
                           {"div", "div r32, quotient 1", 10.0, 2.0, true},
                           {"cmp_cmovbe", "cmp and cmovbe", 3.0, 0, true},
                           {"shr_1", "shr r32 (by 1)", 0.5, 0, false},
                           {"mov", "mov r32, r32", 0.2, 0, true}};
  study.divider = {{"gcd_euclid_u", 20000, 379312, 10.5, 6.0, {}},
                   {"gcd_euclid_s", 20000, 367323, 10.0, 6.1, {}}};
  const std::uint64_t shares[] = {10000, 150000, 100000, 60000, 59312};
  const double slower[] = {10.1, 10.0, 10.0, 12.0, 14.0};
  for (std::size_t g = 0; g < QUOTIENT_GROUPS.size(); ++g) {
    const auto [low, high] = QUOTIENT_GROUPS[g];
    study.divider[0].groups.push_back({low, high, shares[g], slower[g]});
    study.divider[1].groups.push_back({low, high, shares[g] - 1000 * (g == 4), 10.0});
  }
  // Chains: gcd_euclid_u its chain (19 * 12 + 14.4 = 242.4 against 240), gcd_binary_u costing
  // more (20.7 * 4 + 14.4 = 97.2 against 120), gcd_euclid_s faster (18.4 * 15 + 14.4 = 290.4
  // against 234), gcd_binary_s none.
  results.bounds = {
      {"gcd_euclid_u", 12.0, "mov %edx,%ecx (0.2) -> div %ecx (11.8)", {}, 1, true},
      {"gcd_euclid_s", 15.0, "mov %edx,%edi (0.2) -> idiv %edi (14.8)", {"xchg"}, 1, true},
      {"gcd_binary_u", 4.0, "cmp %esi,%edi (1.0) -> cmovbe %edi,%esi (3.0)", {}, 3, true}};
  // Passes spread: gcd_euclid_u's calls of 18 and 20 passes, its quotients on Gauss-Kuzmin;
  // gcd_binary_u's of 20, its zeros far from the geometric law at 1 and 2.
  PassDistribution euclid;
  euclid.kernel = "gcd_euclid_u";
  euclid.calls = 100;
  euclid.passes.assign(21, 0);
  euclid.passes[18] = 50;
  euclid.passes[20] = 50;
  euclid.quotients = {50, 415, 170, 93, 59, 41, 30, 23, 169};
  PassDistribution binary;
  binary.kernel = "gcd_binary_u";
  binary.calls = 100;
  binary.passes.assign(21, 0);
  binary.passes[20] = 100;
  binary.difference_zeros = {6000, 2500, 1250, 625, 312, 313};
  binary.exits = {80, 0, 20};
  study.distributions = {euclid, binary};
  // Calls by their kind: gcd_euclid_u's on a line of 6 cycles a pass (2 ns), five groups over 8
  // passes, 80 ns in the programs' order, 19.52 passes on average: 19.52 x 12 (its chain) + 14.4
  // = 248.7 predicted against 240; gcd_binary_u's at 5 cycles a pass, the larger than its chain
  // of 4, two exits: 21 x 5 + 14.4 = 119.4 against 120. euclid_two_u on the same pairs takes
  // 50 ns a pair.
  const auto repeated = [](double each) {
    return std::vector<double>{each, each, each, each, each};
  };
  CallTimings euclid_calls{"gcd_euclid_u", 1050, 22, {}, repeated(80)};
  const std::uint64_t euclid_pairs[] = {100, 150, 200, 250, 300};
  for (std::uint32_t g = 0; g < 5; ++g) {
    const std::uint32_t on = 14 + 2 * g;
    euclid_calls.groups.push_back(
        {on, CallExit::one, euclid_pairs[g], repeated((6.0 * on - 5) / 3)});
  }
  euclid_calls.groups.push_back({30, CallExit::one, 50, repeated(200 / 3.0)});  // off the line
  CallTimings binary_calls{"gcd_binary_u", 2000, 23, {}, repeated(40)};
  for (std::uint32_t on = 17; on <= 25; on += 2) {
    binary_calls.groups.push_back({on, CallExit::u_is_one, 300, repeated(5.0 * on / 3)});
  }
  for (std::uint32_t on = 17; on <= 25; on += 2) {
    binary_calls.groups.push_back({on, CallExit::u_equals_v, 100, repeated((5.0 * on + 4) / 3)});
  }
  study.calls = {euclid_calls, binary_calls};
  study.two_pairs = {{"euclid_two_u", "gcd_euclid_u", repeated(50)}};
  // Quiet phases: every repetition ran on its processor, the host stole nothing.
  const auto quiet = [](const char* phase, double seconds) {
    return PhaseWatch{phase, seconds, seconds, 3, 0.0, 3.0, 3.0, {1.0, 0.99, 1.0}};
  };
  results.programs_watch = quiet("programs", 20);
  study.phases = {quiet("study", 3), quiet("sweep", 5)};
  work_out(results);
  return results;
}

// The results with their figures worked out again, after a test has changed them.
inline Results worked(Results results) {
  work_out(results);
  return results;
}

// The sample with a phase ("programs", "study" or "sweep") whose host stole a tenth of the
// machine's time: a phase disturbed by a sign no repetition left out mends, its figures' spread
// as quiet as before.
inline Results with_phase_busy(const std::string& phase) {
  Results results = sample_results();
  for (PhaseWatch* watch :
       {&*results.programs_watch, &results.study.phases[0], &results.study.phases[1]}) {
    if (watch->phase == phase) {
      watch->stolen_share = 0.1;
    }
  }
  return worked(results);
}
