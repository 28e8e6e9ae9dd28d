// Running the kit's programs: where each one is, and each run read for the one number its
// message holds.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "study/budget.h"
#include "study/repeated.h"
#include "study/rounds.h"
#include "study/watch.h"

struct CrossCheckRow {
  std::string program;
  std::string under_test;
  std::string reference;
  std::uint32_t pairs;
  std::int32_t errors;
};

struct BenchmarkRow {
  std::string program;
  Repeated runs_ms;  // at least one run
};

// Runs of one program that spread more than this share of their median (kept, repeated.h) are
// noisy: the report runs more of them within its budget, and says so where they stay noisy.
inline constexpr double NOISY_RUNS = 0.10;

// Whether a program's runs are settled (repeated.h: as many kept as hold and give an interval) and,
// those kept, spread within NOISY_RUNS: else the report runs it again.
[[nodiscard]] bool runs_hold(const Repeated& runs_ms, std::uint32_t calls_per_run);

// Each program's path, by its name.
using ProgramPaths = std::map<std::string, std::string>;

// Why a program cannot be run, or ran and failed: one line; usage where the fault is the
// command line's (a name that is no program of the kit).
struct ProgramFault {
  std::string why;
  bool usage = false;
};

// Where each program of the kit would be looked for: as given (NAME=PATH), else beside this
// executable (an installed kit), else where the build put it, relative to this executable.
[[nodiscard]] ProgramPaths program_places(const std::map<std::string, std::string>& given);

// Where each program is, as program_places() says. Each must be a file that can be started;
// nullopt with the fault where one is not, or where a name given is no program of the kit.
[[nodiscard]] std::optional<ProgramPaths> locate_programs(
    const std::map<std::string, std::string>& given, ProgramFault& fault);

// Called before each run, with what it runs: "running bench_binary_u (3 of 5)".
using RunStep = std::function<void(const std::string& step)>;

// The cross-checks once, then the benchmarks round by round, so that a slow spell of the
// machine falls on all four alike; then, where a program's runs do not hold and the budget's
// share allows, rounds of running it again beside bench_euclid_u. False with the fault where a
// program fails, runs past the limit or prints anything but its message. Each benchmark run is
// one repetition of the watch, its signs the run's.
[[nodiscard]] bool run_programs(const ProgramPaths& paths, unsigned runs,
                                std::chrono::seconds limit, const RunStep& step,
                                PhaseWatcher& watch, RetimeBudget& budget,
                                std::vector<CrossCheckRow>& checks,
                                std::vector<BenchmarkRow>& benchmarks, ProgramFault& fault);
