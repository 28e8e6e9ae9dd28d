// gcd_report: runs the cross-checks once and the benchmarks several times, studies the
// kernels in its own process, and prints what it found; writes the results as JSON and
// draws them as SVG. Options: gcd_report --help.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "kernels/rng.h"
#include "report/built_programs.h"
#include "report/command.h"
#include "report/compare.h"
#include "report/export.h"
#include "report/machine.h"
#include "report/message.h"
#include "report/options.h"
#include "report/progress.h"
#include "report/svg.h"
#include "report/text.h"
#include "study/peers.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

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

[[noreturn]] void fail(const std::string& why, int status = 1) {
  std::fprintf(stderr, "gcd_report: %s\n", why.c_str());
  std::exit(status);
}

[[noreturn]] void bad_usage(const std::string& why) {
  std::fprintf(stderr, "gcd_report: %s\nTry 'gcd_report --help' for more information.\n",
               why.c_str());
  std::exit(2);
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

std::map<std::string, std::string> environment() {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
      variables[std::string(text.substr(0, equals))] = std::string(text.substr(equals + 1));
    }
  }
  return variables;
}

// Where each program is: as given, else beside this executable (an installed kit), else
// where the build put it.
std::map<std::string, std::string> locate_programs(const Options& options) {
  std::error_code error;
  const fs::path own_folder = fs::read_symlink("/proc/self/exe", error).parent_path();
  std::map<std::string, std::string> paths;
  for (const BuiltProgram& built : BUILT_PROGRAMS) {
    const auto given = options.programs.find(built.name);
    if (given != options.programs.end()) {
      paths[built.name] = given->second;
    } else if (!own_folder.empty() && access((own_folder / built.name).c_str(), X_OK) == 0) {
      paths[built.name] = own_folder / built.name;
    } else {
      paths[built.name] = built.path;
    }
  }
  for (const auto& [name, path] : options.programs) {
    if (paths.find(name) == paths.end()) {
      bad_usage("no program of the kit is called '" + name + "'");
    }
  }
  return paths;
}

// A file can be written where its folder can.
void check_writable(const std::string& path) {
  const fs::path folder = fs::absolute(path).parent_path();
  if (access(folder.c_str(), W_OK) != 0) {
    fail("cannot write " + path + ": " + std::strerror(errno), 2);
  }
}

void write_file(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  file.close();
  if (!file) {
    fail("cannot write " + path + ": " + std::strerror(errno));
  }
}

double seconds_now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const std::optional<Options> parsed =
      parse_options(std::vector<std::string>(argv + 1, argv + argc), environment(), error);
  if (!parsed) {
    bad_usage(error);
  }
  const Options& options = *parsed;
  if (options.help) {
    std::fputs(usage().c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

  // Everything that can be checked is checked before the first run is announced.
  const std::map<std::string, std::string> paths = locate_programs(options);
  for (const auto& [name, path] : paths) {
    if (access(path.c_str(), X_OK) != 0) {
      fail(name + ": cannot run " + path + ": " + std::strerror(errno), 2);
    }
  }
  check_writable(options.json_path);
  check_writable(options.svg_path);
  std::optional<Results> old;
  if (options.compare_path) {
    old = read_results(*options.compare_path, error);
    if (!old) {
      fail(error, 2);
    }
  }
  const std::chrono::seconds limit{options.timeout_s};

  Progress progress(
      std::size(CHECKS) + std::size(BENCHMARKS) * options.runs + study_steps(options.study),
      isatty(fileno(stderr)) != 0, stderr, seconds_now);
  Results results;
  results.machine = {processor_name(), COMPILER, BUILD_TYPE};
  results.calls_per_run = ITERATION_COUNT;
  for (const CrossCheckProgram& check : CHECKS) {
    progress.step(std::string("running ") + check.program);
    const std::int32_t errors =
        run_program(check.program, paths.at(check.program), "Errors count = ", "", limit);
    results.checks.push_back(
        {check.program, check.under_test, check.reference, ITERATION_COUNT, errors});
  }
  for (const char* name : BENCHMARKS) {
    results.benchmarks.push_back({name, {}});
  }
  // Round by round, so that a slow spell of the machine falls on all four alike.
  for (unsigned round = 1; round <= options.runs; ++round) {
    for (BenchmarkRow& row : results.benchmarks) {
      progress.step("running " + row.program + " (" + std::to_string(round) + " of " +
                    std::to_string(options.runs) + ")");
      const std::int32_t ms =
          run_program(row.program, paths.at(row.program), "Process duration = ", " msec", limit);
      if (ms < 0) {
        fail(row.program + ": negative duration " + std::to_string(ms));
      }
      row.runs_ms.push_back(ms);
    }
  }
  try {
    results.study = run_study(studied_kernels(), options.study,
                              [&progress](const std::string& step) { progress.step(step); });
  } catch (const WrongAnswer& wrong) {
    progress.finish();
    fail("a peer gives a wrong answer, so it is not measured: " + std::string(wrong.what()));
  }
  if (const char* left_out = peer_left_out()) {
    results.notes.emplace_back(left_out);
  }
  progress.finish();

  write_file(options.json_path, to_text(results_to_json(results)));
  write_file(options.svg_path, draw_svg(results));

  std::string out = format_report(results);
  if (old) {
    out += format_comparison(results, *old, *options.compare_path);
  }
  out += format_files(paths, fs::absolute(options.json_path), fs::absolute(options.svg_path));
  std::fputs(out.c_str(), stdout);
  if (std::fflush(stdout) != 0) {
    fail(std::string("write error: ") + std::strerror(errno));
  }
  for (const CrossCheckRow& row : results.checks) {
    if (row.errors != 0) {
      fail(row.program + ": " + std::to_string(row.errors) + " pairs got different answers from " +
           row.under_test + " and " + row.reference);
    }
  }
  return 0;
}
