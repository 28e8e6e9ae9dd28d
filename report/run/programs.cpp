// Locating and running the kit's programs.
#include "report/run/programs.h"

#include <filesystem>
#include <iterator>
#include <string_view>

#include "kernels/rng.h"
#include "platform/host.h"
#include "report/built_programs.h"
#include "report/run/kit.h"
#include "report/run/message.h"
#include "report/words/safe_text.h"
#include "report/words/utf8.h"
#include "study/stats.h"

namespace {

// What a program's message must say, and the values it can hold.
struct Message {
  std::string_view prefix;
  std::string_view suffix;
  std::int32_t low;
  std::int32_t high;
  const char* impossible;  // why a value outside [low, high] cannot be
};
constexpr Message ERRORS_COUNT{"Errors count = ", "", 0, ITERATION_COUNT,
                               "not a count of pairs from 0 to 10000000"};
constexpr Message DURATION{"Process duration = ", " msec", 1, INT32_MAX,
                           "a duration below the counter's resolution of 1 ms, which "
                           "10000000 calls cannot take"};

// A program's output as its error line shows it: the start of what was kept, and how much
// more it wrote.
std::string quoted(const ProgramRun& run) {
  return '"' + safe_text(run.out, 200) + '"' +
         (run.dropped == 0 ? ""
                           : " and " + std::to_string(run.dropped) + " bytes more, not kept (" +
                                 std::to_string(PROGRAM_OUTPUT_KEPT) + " are)");
}

// Runs a program with nothing on standard input and returns the number in its message.
std::optional<std::int32_t> run_program(const std::string& name, const std::string& path,
                                        const Message& message, std::chrono::seconds limit,
                                        ProgramFault& fault) {
  const ProgramRun run = run_captured(path, limit);
  if (run.end != ProgramRun::End::exited || run.code != 0) {
    fault.why =
        name + ": " + describe_end(run, limit) + " (expected exit status 0), output " + quoted(run);
    return std::nullopt;
  }
  const std::optional<std::int32_t> value = parse_message(run.out, message.prefix, message.suffix);
  if (!value || run.dropped != 0) {
    fault.why = name + ": printed " + quoted(run) + ", not \"" + std::string(message.prefix) + "N" +
                std::string(message.suffix) + "\"";
    return std::nullopt;
  }
  if (*value < message.low || *value > message.high) {
    fault.why = name + ": printed " + quoted(run) + ", " + message.impossible;
    return std::nullopt;
  }
  return value;
}

}  // namespace

ProgramPaths program_places(const std::map<std::string, std::string>& given) {
  const std::filesystem::path own = file_path(own_folder());
  ProgramPaths paths;
  for (const BuiltProgram& built : BUILT_PROGRAMS) {
    const std::filesystem::path relative = file_path(built.path);
    const std::string beside = utf8_of(own / relative.filename());
    const auto named = given.find(built.name);
    if (named != given.end()) {
      paths[built.name] = named->second;
    } else if (!own.empty() && !why_not_a_program(beside)) {
      paths[built.name] = beside;
    } else {
      paths[built.name] = utf8_of(own / relative);
    }
  }
  return paths;
}

std::optional<ProgramPaths> locate_programs(const std::map<std::string, std::string>& given,
                                            ProgramFault& fault) {
  ProgramPaths paths = program_places(given);
  for (const auto& [name, path] : given) {
    if (paths.find(name) == paths.end()) {
      fault = {"no program of the kit is called '" + safe_text(name, 40) + "'", true};
      return std::nullopt;
    }
  }
  for (const auto& [name, path] : paths) {
    if (const std::optional<std::string> why = why_not_a_program(path)) {
      fault = {name + ": cannot run " + safe_text(path, 200) + ": " + *why, false};
      return std::nullopt;
    }
  }
  return paths;
}

bool runs_hold(const Repeated& runs_ms, std::uint32_t calls_per_run) {
  const double ns_per_ms = 1e6 / calls_per_run;
  return settled(runs_ms, ns_per_ms) && spread(kept(runs_ms, ns_per_ms)) <= NOISY_RUNS;
}

bool run_programs(const ProgramPaths& paths, unsigned runs, std::chrono::seconds limit,
                  const RunStep& step, PhaseWatcher& watch, RetimeBudget& budget,
                  std::vector<CrossCheckRow>& checks, std::vector<BenchmarkRow>& benchmarks,
                  ProgramFault& fault) {
  for (const CrossCheckProgram& check : CROSS_CHECK_PROGRAMS) {
    step(std::string("running ") + check.program);
    const std::optional<std::int32_t> errors =
        run_program(check.program, paths.at(check.program), ERRORS_COUNT, limit, fault);
    if (!errors) {
      return false;
    }
    checks.push_back({check.program, check.under_test, check.reference, ITERATION_COUNT, *errors});
  }
  for (const BenchmarkProgram& benchmark : BENCHMARK_PROGRAMS) {
    benchmarks.push_back({benchmark.program, {}});
  }
  // One run of a program, its signs the run's own.
  const auto run = [&](BenchmarkRow& row, const std::string& what, bool again) {
    step(what);
    watch.begin_repetition();
    const std::optional<std::int32_t> ms =
        run_program(row.program, paths.at(row.program), DURATION, limit, fault);
    const bool quiet = watch.end_repetition();
    if (ms) {
      again ? row.runs_ms.again(*ms, quiet) : row.runs_ms.push_back(*ms, quiet);
    }
    return ms.has_value();
  };
  double ran_s = 0;
  for (unsigned round = 1; round <= runs; ++round) {
    for (BenchmarkRow& row : benchmarks) {
      const double start = watch.source().wall_s();
      if (!run(row,
               "running " + row.program + " (" + std::to_string(round) + " of " +
                   std::to_string(runs) + ")",
               false)) {
        return false;
      }
      ran_s += watch.source().wall_s() - start;
    }
  }
  budget.begin_phase(PROGRAMS_SHARE);
  // One run or one round of each can be judged of nothing: nothing is run again.
  const double run_s = ran_s / static_cast<double>(runs * benchmarks.size());
  for (unsigned round = 1; runs > 1 && round <= MOST_ROUNDS_AGAIN; ++round) {
    // The programs whose runs do not hold first, then those whose runs are not yet settled.
    std::vector<BenchmarkRow*> again;
    for (const bool settle : {false, true}) {
      for (BenchmarkRow& row : benchmarks) {
        const bool wanted = settle ? !runs_hold(row.runs_ms, ITERATION_COUNT)
                                   : !holds(row.runs_ms, 1e6 / ITERATION_COUNT);
        if (wanted) {
          again.push_back(&row);
        }
      }
      if (!again.empty()) {
        break;
      }
    }
    // Beside bench_euclid_u, which the others' ratios stand on.
    if (!again.empty() && again.front() != &benchmarks.front()) {
      again.insert(again.begin(), &benchmarks.front());
    }
    // Where the whole round does not fit what is left, as many as fit, bench_euclid_u and
    // those first in turn: on a machine busy throughout, four runs may cost more than the
    // phase's share, and none would be run again.
    while (again.size() > 2 && !budget.allows(static_cast<double>(again.size()) * run_s)) {
      again.pop_back();
    }
    if (again.empty() || !budget.allows(static_cast<double>(again.size()) * run_s)) {
      break;
    }
    const double start = watch.source().wall_s();
    for (BenchmarkRow* row : again) {
      if (!run(*row,
               std::string(TIMING_AGAIN) + row->program + " (round " + std::to_string(round) + ")",
               true)) {
        return false;
      }
    }
    const double took = watch.source().wall_s() - start;
    budget.spend(took);
    watch.timed_again(took);
  }
  return true;
}
