// gcd_report: runs the cross-checks once and the benchmarks several times, studies the
// kernels in its own process, and prints what it found; writes the results as JSON and
// draws them as SVG. Options: gcd_report --help.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kernels/rng.h"
#include "platform/host.h"
#include "report/built_programs.h"
#include "report/compare.h"
#include "report/export.h"
#include "report/files.h"
#include "report/machine.h"
#include "report/message.h"
#include "report/model.h"
#include "report/options.h"
#include "report/progress.h"
#include "report/safe_text.h"
#include "report/side_by_side.h"
#include "report/svg.h"
#include "report/text.h"
#include "report/trace.h"
#include "study/peers.h"

namespace {

[[noreturn]] void fail(const std::string& why, int status = 1) {
  std::fprintf(stderr, "gcd_report: %s\n", why.c_str());
  std::exit(status);  // the temporaries of the files not yet written go with it
}

[[noreturn]] void bad_usage(const std::string& why) {
  std::fprintf(stderr, "gcd_report: %s\nTry 'gcd_report --help' for more information.\n",
               why.c_str());
  std::exit(2);
}

// Standard output written whole, or one line saying why not and status 1.
void flush_stdout_or_fail() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    fail(errno != 0 ? std::string("write error: ") + std::strerror(errno) : "write error");
  }
}

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
std::int32_t run_program(const std::string& name, const std::string& path, const Message& message,
                         std::chrono::seconds limit) {
  const ProgramRun run = run_captured(path, limit);
  if (run.end != ProgramRun::End::exited || run.code != 0) {
    fail(name + ": " + describe_end(run, limit) + " (expected exit status 0), output " +
         quoted(run));
  }
  const std::optional<std::int32_t> value = parse_message(run.out, message.prefix, message.suffix);
  if (!value || run.dropped != 0) {
    fail(name + ": printed " + quoted(run) + ", not \"" + std::string(message.prefix) + "N" +
         std::string(message.suffix) + "\"");
  }
  if (*value < message.low || *value > message.high) {
    fail(name + ": printed " + quoted(run) + ", " + message.impossible);
  }
  return *value;
}

std::map<std::string, std::string> environment() {
  std::map<std::string, std::string> variables;
  for (const char* name : {"GCD_REPORT_RUNS", "GCD_REPORT_TIMEOUT"}) {
    if (const char* value = std::getenv(name)) {
      variables[name] = value;
    }
  }
  return variables;
}

// Where each program is: as given, else beside this executable (an installed kit), else
// where the build put it, relative to this executable. Each must be a file that can be
// started.
std::map<std::string, std::string> locate_programs(const Options& options) {
  const std::filesystem::path own = file_path(own_folder());
  std::map<std::string, std::string> paths;
  for (const BuiltProgram& built : BUILT_PROGRAMS) {
    const std::filesystem::path relative = file_path(built.path);
    const std::string beside = utf8_of(own / relative.filename());
    const auto given = options.programs.find(built.name);
    if (given != options.programs.end()) {
      paths[built.name] = given->second;
    } else if (!own.empty() && !why_not_a_program(beside)) {
      paths[built.name] = beside;
    } else {
      paths[built.name] = utf8_of(own / relative);
    }
  }
  for (const auto& [name, path] : options.programs) {
    if (paths.find(name) == paths.end()) {
      bad_usage("no program of the kit is called '" + safe_text(name, 40) + "'");
    }
  }
  for (const auto& [name, path] : paths) {
    if (const std::optional<std::string> why = why_not_a_program(path)) {
      fail(name + ": cannot run " + safe_text(path, 200) + ": " + *why, 2);
    }
  }
  return paths;
}

// The files to write, checked and begun before the first run, so that a run of a minute
// never ends in a file that cannot be written.
std::vector<ReplacedFile> begin_output_files(const std::vector<const std::string*>& paths) {
  for (const std::string* path : paths) {
    if (const std::optional<std::string> why = why_not_writable(*path)) {
      fail("cannot write " + safe_text(*path, 200) + ": " + *why, 2);
    }
  }
  if (paths.size() == 2 && same_file(*paths[0], *paths[1])) {
    fail("--json and --svg name the same file, " + safe_text(*paths[0], 200), 2);
  }
  std::vector<ReplacedFile> files;
  for (const std::string* path : paths) {
    std::string error;
    std::optional<ReplacedFile> file = begin_replacing(*path, error);
    if (!file) {
      fail("cannot write " + safe_text(*path, 200) + ": " + error, 2);
    }
    files.push_back(*file);
  }
  return files;
}

// An output that is also an input would be lost before it is read, or overwritten after:
// refused, whatever way the two names reach one file (a link, "..", a hard link).
void refuse_outputs_over_inputs(
    const std::vector<std::pair<const char*, const std::string*>>& outputs,
    const std::vector<std::string>& inputs, const char* read_as) {
  for (const auto& [option, output] : outputs) {
    for (const std::string& input : inputs) {
      if (same_file(*output, input)) {
        fail(std::string(option) + " " + safe_text(*output, 200) + " is also " + read_as + ", " +
                 safe_text(input, 200) + ": name another file to write",
             2);
      }
    }
  }
}

// Writes each file whole, or says on standard error why not; false if any was not written.
// A content of nullopt is not written: its file's error says why already.
bool finish_output_files(const std::vector<ReplacedFile>& files,
                         const std::vector<std::optional<std::string>>& contents,
                         std::vector<WrittenFile>& written) {
  bool all = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!contents[i] || !finish_replacing(files[i], *contents[i], written[i].error)) {
      all = false;
    }
  }
  return all;
}

// The report's JSON, where it reads back as a report: a file the kit would refuse to read is
// not written, and the file's error says why.
std::optional<std::string> readable_json(const Results& results, WrittenFile& file) {
  const Json json = results_to_json(results);
  std::string why;
  if (!results_from_json(json, why)) {
    file.error = "it would not read back as a report: " + why;
    return std::nullopt;
  }
  return to_text(json);
}

void say_which_files_failed(const std::vector<WrittenFile>& written) {
  for (const WrittenFile& file : written) {
    if (!file.error.empty()) {
      std::fprintf(stderr, "gcd_report: cannot write %s: %s\n", safe_text(file.path, 200).c_str(),
                   file.error.c_str());
    }
  }
}

std::string working_folder() {
  std::error_code no_folder;
  return utf8_of(std::filesystem::current_path(no_folder));
}

// --side-by-side: nothing is run. Every file is checked and read before anything is printed.
int side_by_side(const Options& options) {
  std::vector<std::pair<const char*, const std::string*>> outputs;
  if (options.json_given) {
    outputs.emplace_back("--json", &options.json_path);
  }
  if (options.svg_given) {
    outputs.emplace_back("--svg", &options.svg_path);
  }
  refuse_outputs_over_inputs(outputs, options.side_by_side_files, "a report to set side by side");
  std::vector<NamedReport> reports;
  const std::vector<std::string> names = report_names(options.side_by_side_files);
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string error;
    std::optional<Results> results = read_results(options.side_by_side_files[i], error);
    if (!results) {
      fail(error, 2);
    }
    reports.push_back({safe_text(names[i], 60), std::move(*results)});
  }
  std::vector<const std::string*> paths;
  std::vector<WrittenFile> written;
  std::vector<std::optional<std::string>> contents;
  for (const auto& [option, path] : outputs) {
    const bool json = std::string(option) == "--json";
    paths.push_back(path);
    written.push_back({json ? "JSON" : "SVG", *path, ""});
    contents.emplace_back(json ? to_text(side_by_side_json(reports)) : draw_side_by_side(reports));
  }
  const std::vector<ReplacedFile> files = begin_output_files(paths);
  const bool all_written = finish_output_files(files, contents, written);
  std::string out = format_side_by_side(reports);
  for (std::size_t i = 0; i < written.size(); ++i) {
    out += format_written(written[i], working_folder());
  }
  std::fputs(out.c_str(), stdout);
  flush_stdout_or_fail();
  say_which_files_failed(written);
  return all_written ? 0 : 1;
}

// --trace A B: nothing is run; the pair through the four kernels' own loops.
int trace(const Options& options) {
  const Trace traced = trace_pair(options.trace_first, options.trace_second);
  std::vector<WrittenFile> written;
  if (options.json_given) {
    written.push_back({"JSON", options.json_path, ""});
    const std::vector<ReplacedFile> files = begin_output_files({&options.json_path});
    static_cast<void>(finish_output_files(files, {to_text(trace_json(traced))}, written));
  }
  std::string out = format_trace(traced);
  for (const WrittenFile& file : written) {
    out += format_written(file, working_folder());
  }
  std::fputs(out.c_str(), stdout);
  flush_stdout_or_fail();
  say_which_files_failed(written);
  return written.empty() || written.front().error.empty() ? 0 : 1;
}

double seconds_now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  stop_programs_and_temporaries_with_this_process();
  std::string error;
  const std::optional<Options> parsed =
      parse_options(command_line(argc, argv), environment(), error);
  if (!parsed) {
    bad_usage(error);
  }
  const Options& options = *parsed;
  if (options.help) {
    std::fputs(usage().c_str(), stdout);
    flush_stdout_or_fail();
    return 0;
  }
  if (options.side_by_side) {
    return side_by_side(options);
  }
  if (options.trace) {
    return trace(options);
  }

  // Everything that can be checked is checked before the first run is announced.
  std::vector<std::pair<const char*, const std::string*>> outputs{{"--json", &options.json_path}};
  if (!options.svg_path.empty()) {
    outputs.emplace_back("--svg", &options.svg_path);
  }
  if (options.compare_path) {
    refuse_outputs_over_inputs(outputs, {*options.compare_path}, "the report to compare with");
  }
  const std::map<std::string, std::string> paths = locate_programs(options);
  std::optional<Results> old;
  if (options.compare_path) {
    old = read_results(*options.compare_path, error);
    if (!old) {
      fail(error, 2);
    }
  }
  std::vector<const std::string*> output_paths;
  std::vector<WrittenFile> written;
  for (const auto& [option, path] : outputs) {
    output_paths.push_back(path);
    written.push_back({std::string(option) == "--json" ? "JSON" : "SVG", *path, ""});
  }
  const std::vector<ReplacedFile> files = begin_output_files(output_paths);
  const std::chrono::seconds limit{options.timeout_s};

  Progress progress(std::size(CROSS_CHECK_PROGRAMS) + std::size(BENCHMARK_PROGRAMS) * options.runs +
                        study_steps(options.study) + 1,
                    is_terminal(stderr), stderr, seconds_now);
  Results results;
  results.machine = this_machine();
  results.calls_per_run = ITERATION_COUNT;
  for (const CrossCheckProgram& check : CROSS_CHECK_PROGRAMS) {
    progress.step(std::string("running ") + check.program);
    const std::int32_t errors =
        run_program(check.program, paths.at(check.program), ERRORS_COUNT, limit);
    results.checks.push_back(
        {check.program, check.under_test, check.reference, ITERATION_COUNT, errors});
  }
  for (const BenchmarkProgram& benchmark : BENCHMARK_PROGRAMS) {
    results.benchmarks.push_back({benchmark.program, {}});
  }
  // Round by round, so that a slow spell of the machine falls on all four alike.
  for (unsigned round = 1; round <= options.runs; ++round) {
    for (BenchmarkRow& row : results.benchmarks) {
      progress.step("running " + row.program + " (" + std::to_string(round) + " of " +
                    std::to_string(options.runs) + ")");
      row.runs_ms.push_back(run_program(row.program, paths.at(row.program), DURATION, limit));
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
  progress.step("reading the kernels' loops (objdump) and modelling them (llvm-mca)");
  ModelTools tools;
  tools.cpu = options.mcpu;
  tools.limit = limit;
  std::vector<std::pair<std::string, std::string>> bound_kernels;
  for (const BenchmarkProgram& benchmark : BENCHMARK_PROGRAMS) {
    bound_kernels.emplace_back(benchmark.kernel, paths.at(benchmark.program));
  }
  if (const std::optional<std::vector<KernelLoop>> loops =
          find_kernel_loops(bound_kernels, tools, results.bounds_left_out)) {
    results.bounds = latency_bounds(*loops, results.study);
    results.model = model_loops(*loops, tools, results.model_left_out);
  } else {
    // No machine code to read: what Euclid's algorithm chains itself, and no model.
    results.model_left_out = results.bounds_left_out;
    results.bounds = algorithm_bounds(results.study);
  }
  progress.finish();

  // The files first, then the text, which says where they are or why they are not: the
  // text of a whole run is never lost to a file that could not be written.
  std::vector<std::optional<std::string>> contents{readable_json(results, written[0])};
  if (written.size() > 1) {
    contents.emplace_back(draw_svg(results));
  }
  const bool all_written = finish_output_files(files, contents, written);
  std::string out = format_report(results);
  if (old) {
    out += format_comparison(results, *old, *options.compare_path);
  }
  out += format_files(paths, written, working_folder());
  std::fputs(out.c_str(), stdout);
  flush_stdout_or_fail();
  say_which_files_failed(written);
  for (const CrossCheckRow& row : results.checks) {
    if (row.errors != 0) {
      fail(row.program + ": " + std::to_string(row.errors) + " pairs got different answers from " +
           row.under_test + " and " + row.reference);
    }
  }
  return all_written ? 0 : 1;
}
