// gcd_report: runs the cross-checks once and the benchmarks several times, and prints one
// table that compares the kernels. Progress goes to standard error.
//
//   gcd_report NAME=PATH...     (the programs check_u, check_s and the four benchmarks)
//   GCD_REPORT_RUNS=N           runs of each benchmark, 1 to 1000 (default 5)
//   GCD_REPORT_TIMEOUT=S        seconds one program may run before it is stopped (default 120)
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "kernels/rng.h"
#include "report/command.h"
#include "report/report.h"

namespace {

struct CrossCheckProgram {
  const char* program;
  const char* under_test;
  const char* reference;
};
constexpr CrossCheckProgram CHECKS[] = {
    {"check_u", "gcd_binary_u", "gcd_euclid_u"},
    {"check_s", "gcd_binary_s", "gcd_euclid_s"},
};
// The first is the baseline of the ratios.
constexpr const char* BENCHMARKS[] = {"bench_euclid_u", "bench_euclid_s", "bench_binary_u",
                                      "bench_binary_s"};

[[noreturn]] void fail(const std::string& why) {
  std::fprintf(stderr, "gcd_report: %s\n", why.c_str());
  std::exit(1);
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// Runs a program with nothing on standard input and returns the number in its message.
std::int32_t run_program(const std::string& name, const std::string& path, std::string_view prefix,
                         std::string_view suffix, std::chrono::seconds limit) {
  const ProgramRun run = run_captured(path, limit);
  if (run.end != ProgramRun::End::exited || run.code != 0) {
    fail(name + ": " + describe_end(run, limit) + " (expected exit status 0), output " +
         quoted(run.out));
  }
  const std::optional<std::int32_t> value = parse_message(run.out, prefix, suffix);
  if (!value) {
    fail(name + ": printed " + quoted(run.out) + ", not \"" + std::string(prefix) + "N" +
         std::string(suffix) + "\"");
  }
  return *value;
}

std::string processor_name() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.starts_with("model name")) {
      const std::size_t colon = line.find(':');
      if (colon != std::string::npos && colon + 2 <= line.size()) {
        return line.substr(colon + 2);
      }
    }
  }
  return "unknown processor";
}

constexpr const char* COMPILER =
#if defined(__clang__)
    "clang++ " __clang_version__;
#elif defined(__GNUC__)
    "g++ " __VERSION__;
#else
    "unknown compiler";
#endif

// A whole number from the environment, digits only, or the default where the variable is unset.
unsigned setting(const char* variable, unsigned fallback, unsigned low, unsigned high) {
  const char* text = std::getenv(variable);
  if (text == nullptr || *text == '\0') {
    return fallback;
  }
  const std::string_view digits = text;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc{} || end != digits.data() + digits.size() || value < low || value > high) {
    fail(std::string(variable) + " must be a number from " + std::to_string(low) + " to " +
         std::to_string(high) + ", not \"" + text + "\"");
  }
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const std::size_t equals = arg.find('=');
    if (equals == std::string_view::npos) {
      fail("arguments are NAME=PATH, not \"" + std::string(arg) + "\"");
    }
    paths[std::string(arg.substr(0, equals))] = std::string(arg.substr(equals + 1));
  }
  const auto path_of = [&paths](const std::string& name) {
    const auto found = paths.find(name);
    if (found == paths.end()) {
      fail("no path given for " + name);
    }
    return found->second;
  };
  const unsigned runs = setting("GCD_REPORT_RUNS", 5, 1, 1000);
  const std::chrono::seconds limit{setting("GCD_REPORT_TIMEOUT", 120, 1, 86400)};

  std::vector<CrossCheckRow> checks;
  for (const CrossCheckProgram& check : CHECKS) {
    std::fprintf(stderr, "gcd_report: running %s\n", check.program);
    const std::int32_t errors =
        run_program(check.program, path_of(check.program), "Errors count = ", "", limit);
    checks.push_back({check.program, check.under_test, check.reference, errors});
  }

  std::vector<BenchmarkRow> benchmarks;
  for (const char* name : BENCHMARKS) {
    benchmarks.push_back({name, {}});
  }
  // Round by round, so that a slow spell of the machine falls on all four alike.
  for (unsigned round = 1; round <= runs; ++round) {
    for (BenchmarkRow& row : benchmarks) {
      std::fprintf(stderr, "gcd_report: running %s (%u of %u)\n", row.program.c_str(), round, runs);
      const std::int32_t ms =
          run_program(row.program, path_of(row.program), "Process duration = ", " msec", limit);
      if (ms < 0) {
        fail(row.program + ": negative duration " + std::to_string(ms));
      }
      row.runs_ms.push_back(static_cast<std::uint32_t>(ms));
    }
  }

  std::fputs(format_report(processor_name(), COMPILER, checks, benchmarks, ITERATION_COUNT).c_str(),
             stdout);
  if (std::fflush(stdout) != 0) {
    fail("write error");
  }
  for (const CrossCheckRow& row : checks) {
    if (row.errors != 0) {
      fail(row.program + ": " + std::to_string(row.errors) + " pairs got different answers from " +
           row.under_test + " and " + row.reference);
    }
  }
  return 0;
}
