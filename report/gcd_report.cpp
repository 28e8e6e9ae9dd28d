// gcd_report: runs the cross-checks once and the benchmarks several times, studies the
// kernels in its own process, reads their machine code, and prints what it found; writes the
// results as JSON and draws them as SVG. Options: gcd_report --help.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kernels/rng.h"
#include "platform/host.h"
#include "report/figures/bounds.h"
#include "report/figures/results.h"
#include "report/figures/trace.h"
#include "report/figures/within_limits.h"
#include "report/figures/work_out.h"
#include "report/files/outputs.h"
#include "report/files/paths.h"
#include "report/files/report_file.h"
#include "report/files/side_by_side_file.h"
#include "report/files/trace_file.h"
#include "report/machine/model.h"
#include "report/machine/processor.h"
#include "report/options.h"
#include "report/picture/report_picture.h"
#include "report/picture/side_by_side_picture.h"
#include "report/progress.h"
#include "report/run/kit.h"
#include "report/run/programs.h"
#include "report/text/compare_text.h"
#include "report/text/report_text.h"
#include "report/text/side_by_side_text.h"
#include "report/text/trace_text.h"
#include "report/words/safe_text.h"
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

// The text on standard output, whole, then a line on standard error for each file that was
// not written.
void print(const std::string& text, const std::vector<WrittenFile>& written) {
  std::fputs(text.c_str(), stdout);
  flush_stdout_or_fail();
  for (const WrittenFile& file : written) {
    if (!file.error.empty()) {
      std::fprintf(stderr, "gcd_report: cannot write %s: %s\n", safe_text(file.path, 200).c_str(),
                   file.error.c_str());
    }
  }
}

Options options_or_usage(int argc, char** argv) {
  std::map<std::string, std::string> environment;
  for (const std::string& name : option_variables()) {
    if (const char* value = std::getenv(name.c_str())) {
      environment[name] = value;
    }
  }
  std::string error;
  std::optional<Options> options = parse_options(command_line(argc, argv), environment, error);
  if (!options) {
    bad_usage(error);
  }
  return *options;
}

std::string working_folder() {
  std::error_code no_folder;
  return utf8_of(std::filesystem::current_path(no_folder));
}

// The outputs, refused where one is an input, and begun; the command ends here if one cannot be.
std::vector<ReplacedFile> begun(const std::vector<Output>& outputs) {
  std::string error;
  std::optional<std::vector<ReplacedFile>> files = begin_outputs(outputs, error);
  if (!files) {
    fail(error, 2);
  }
  return *files;
}

void refuse_over(const std::vector<Output>& outputs, const std::vector<std::string>& inputs,
                 const char* read_as) {
  if (const std::optional<std::string> why = output_over_input(outputs, inputs, read_as)) {
    fail(*why, 2);
  }
}

// What the report runs is read as much as any file it reads, in every mode: no output goes
// over the kit's programs (where they are, or where they would be looked for), the tools it
// runs from PATH, or its own program, whose loss would end the kit's report.
void refuse_over_what_the_report_runs(const std::vector<Output>& outputs,
                                      const ProgramPaths& programs) {
  std::vector<std::string> program_paths;
  for (const auto& [name, path] : programs) {
    program_paths.push_back(path);
  }
  refuse_over(outputs, program_paths, "a program the report runs");
  const ModelTools tools;
  for (const std::string& tool : {tools.objdump, tools.llvm_mca}) {
    if (const std::string path = tool_path(tool); !path.empty()) {
      refuse_over(outputs, {path}, "a tool the report runs");
    }
  }
  if (const std::string own = own_program(); !own.empty()) {
    refuse_over(outputs, {own}, "the report's own program");
  }
}

// --side-by-side: nothing is run. Every file is checked and read before anything is printed.
int side_by_side(const Options& options) {
  std::vector<Output> outputs;
  if (options.json_given) {
    outputs.push_back({"--json", options.json_path});
  }
  if (options.svg_given) {
    outputs.push_back({"--svg", options.svg_path});
  }
  refuse_over(outputs, options.side_by_side_files, "a report to set side by side");
  refuse_over_what_the_report_runs(outputs, program_places({}));
  // One file twice would be two columns of one name, or two names of one file.
  const std::vector<std::string>& files = options.side_by_side_files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    for (std::size_t j = i + 1; j < files.size(); ++j) {
      if (same_file(files[i], files[j])) {
        fail("--side-by-side names one report twice: " + safe_text(files[i], 200) + " and " +
                 safe_text(files[j], 200),
             2);
      }
    }
  }
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
  std::vector<std::optional<std::string>> contents;
  for (const Output& output : outputs) {
    contents.emplace_back(std::string(output.option) == "--json"
                              ? to_text(side_by_side_json(reports))
                              : draw_side_by_side(reports));
  }
  std::vector<WrittenFile> written = to_be_written(outputs);
  const bool all_written = finish_outputs(begun(outputs), contents, written);
  std::string out = format_side_by_side(reports);
  for (const WrittenFile& file : written) {
    out += format_written(file, working_folder());
  }
  print(out, written);
  return all_written ? 0 : 1;
}

// --trace A B: nothing is run; the pair through the four kernels' own loops.
int trace(const Options& options) {
  const Trace traced = trace_pair(options.trace_first, options.trace_second);
  std::vector<Output> outputs;
  if (options.json_given) {
    outputs.push_back({"--json", options.json_path});
  }
  refuse_over_what_the_report_runs(outputs, program_places({}));
  std::vector<WrittenFile> written = to_be_written(outputs);
  const bool all_written = finish_outputs(begun(outputs), {to_text(trace_json(traced))}, written);
  std::string out = format_trace(traced);
  for (const WrittenFile& file : written) {
    out += format_written(file, working_folder());
  }
  print(out, written);
  return all_written ? 0 : 1;
}

// --show FILE: nothing is run; a report file's text, as the run that wrote it printed it (its
// figures worked out again from what the file holds).
int show(const Options& options) {
  refuse_over_what_the_report_runs({}, program_places({}));
  std::string error;
  const std::optional<Results> results = read_results(*options.show_path, error);
  if (!results) {
    fail(error, 2);
  }
  print(format_report(*results), {});
  return 0;
}

// What a run reads and writes, all checked before the first program runs.
struct Inputs {
  ProgramPaths programs;
  std::optional<Results> old;  // the report to compare with
  std::vector<Output> outputs;
  std::vector<ReplacedFile> files;
};

Inputs checked_inputs(const Options& options) {
  Inputs inputs;
  inputs.outputs.push_back({"--json", options.json_path});
  if (!options.svg_path.empty()) {
    inputs.outputs.push_back({"--svg", options.svg_path});
  }
  if (options.compare_path) {
    refuse_over(inputs.outputs, {*options.compare_path}, "the report to compare with");
  }
  ProgramFault fault;
  std::optional<ProgramPaths> programs = locate_programs(options.programs, fault);
  if (!programs) {
    fault.usage ? bad_usage(fault.why) : fail(fault.why, 2);
  }
  inputs.programs = *programs;
  refuse_over_what_the_report_runs(inputs.outputs, inputs.programs);
  if (options.compare_path) {
    std::string error;
    inputs.old = read_results(*options.compare_path, error);
    if (!inputs.old) {
      fail(error, 2);
    }
  }
  inputs.files = begun(inputs.outputs);
  return inputs;
}

double seconds_now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::size_t steps_of(const Options& options) {
  return std::size(CROSS_CHECK_PROGRAMS) + std::size(BENCHMARK_PROGRAMS) * options.runs +
         study_steps(options.study) + 1;
}

// Progress through a step: one that times again what was disturbed is beyond the steps
// counted before the run, and counts itself in.
std::function<void(const std::string&)> stepping(Progress& progress) {
  return
      [&progress](const std::string& step) { progress.step(step, step.starts_with(TIMING_AGAIN)); };
}

// The programs: the cross-checks and the benchmarks, on the machine they ran on.
void run_the_programs(const Inputs& inputs, const Options& options, Progress& progress,
                      RetimeBudget& budget, Results& results) {
  results.machine = this_machine();
  results.calls_per_run = ITERATION_COUNT;
  ProgramFault fault;
  PhaseWatcher watch("programs", programs_watch_source());
  if (!run_programs(inputs.programs, options.runs, std::chrono::seconds{options.timeout_s},
                    stepping(progress), watch, budget, results.checks, results.benchmarks, fault)) {
    progress.finish();
    fail(fault.why);
  }
  results.programs_watch = watch.finish();
}

// The kernels in this process, and the peers beside them.
void study_the_kernels(const Options& options, Progress& progress, RetimeBudget& budget,
                       Results& results) {
  try {
    results.study = run_study(studied_kernels(), options.study, stepping(progress),
                              thread_watch_source(), &budget);
  } catch (const WrongAnswer& wrong) {
    progress.finish();
    fail("a peer gives a wrong answer, so it is not measured: " + std::string(wrong.what()));
  }
  if (const char* left_out = peer_left_out()) {
    results.notes.emplace_back(left_out);
  }
}

// The kernels' loops as linked into the programs: the chain of each pass, and LLVM's model.
void read_the_machine_code(const Inputs& inputs, const Options& options, Progress& progress,
                           Results& results) {
  progress.step("reading the kernels' loops (objdump) and modelling them (llvm-mca)");
  ModelTools tools;
  tools.cpu = options.mcpu;
  tools.limit = std::chrono::seconds{options.timeout_s};
  std::vector<std::pair<std::string, std::string>> bound_kernels;
  for (const BenchmarkProgram& benchmark : BENCHMARK_PROGRAMS) {
    bound_kernels.emplace_back(benchmark.kernel, inputs.programs.at(benchmark.program));
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
  keep_within_limits(results);
  progress.finish();
}

// The files first, then the text, which says where they are or why they are not: the text of
// a whole run is never lost to a file that could not be written.
bool write_and_print(const Inputs& inputs, const Options& options, const Results& results) {
  std::vector<WrittenFile> written = to_be_written(inputs.outputs);
  std::vector<std::optional<std::string>> contents{readable_report_json(results, written[0].error)};
  if (written.size() > 1) {
    contents.emplace_back(draw_svg(results));
  }
  const bool all_written = finish_outputs(inputs.files, contents, written);
  std::string out = format_report(results);
  if (inputs.old) {
    out += format_comparison(results, *inputs.old, *options.compare_path);
  }
  out += format_files(inputs.programs, written, working_folder());
  print(out, written);
  return all_written;
}

// A cross-check that found errors fails the report, after it is printed.
void fail_where_the_kernels_disagree(const Results& results) {
  for (const CrossCheckRow& row : results.checks) {
    if (row.errors != 0) {
      fail(row.program + ": " + std::to_string(row.errors) + " pairs got different answers from " +
           row.under_test + " and " + row.reference);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  stop_programs_and_temporaries_with_this_process();
  const Options options = options_or_usage(argc, argv);
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
  if (options.show_path) {
    return show(options);
  }
  const Inputs inputs = checked_inputs(options);
  Progress progress(steps_of(options), is_terminal(stderr), stderr, seconds_now);
  Results results;
  // What was disturbed is timed again within one budget, shared by the programs and the study.
  RetimeBudget budget(options.study.retime_seconds);
  run_the_programs(inputs, options, progress, budget, results);
  study_the_kernels(options, progress, budget, results);
  read_the_machine_code(inputs, options, progress, results);
  work_out(results);
  const bool all_written = write_and_print(inputs, options, results);
  fail_where_the_kernels_disagree(results);
  return all_written ? 0 : 1;
}
