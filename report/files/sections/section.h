// A section of the report file: the keys one part of the results takes, written and read by
// one pair of functions. report_file.cpp lists every pair, in the order the file holds them.
// Each reader checks every figure against what a report of this kit can hold, and makes
// every text safe to show.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/figures/limits.h"
#include "report/figures/results.h"
#include "report/files/json.h"
#include "report/files/report_file.h"
#include "study/rounds.h"

// Limits of what a report can hold: a benchmark run is over 0 ms (the programs refuse to
// report 0) and within the longest time limit, a day; a kernel's time per call is far below a
// millisecond, and, net of the loop timed beside it, may come out at or below 0 where the
// noise of a small or busy run is larger than a fast kernel.
inline constexpr double MAX_MS = 86'400'000;
inline constexpr double MAX_NS = 1e6;
inline constexpr double MAX_PASSES = 1000;
// A figure timed again has MOST_ROUNDS_AGAIN repetitions more, at the most (study/rounds.h).
inline constexpr std::size_t MAX_TIMED_REPETITIONS = MAX_REPETITIONS + MOST_ROUNDS_AGAIN;
inline constexpr std::size_t MAX_TIMED_RUNS = MAX_RUNS + MOST_ROUNDS_AGAIN;
// A report notes what it left out: a handful of lines.
inline constexpr std::size_t MAX_NOTES = 32;
// A processor has a few dozen forms that chains time.
inline constexpr std::size_t MAX_LATENCIES = 64;
// A kit kernel's calls make at most a few dozen passes, and leave by one of three exits.
inline constexpr std::size_t MAX_CALL_GROUPS = 200;
// A phase of the report lasts far less than a day.
inline constexpr double MAX_SECONDS = 86'400;

// The text in double quotes, as an error names a key or a path.
[[nodiscard]] std::string in_quotes(const std::string& text);

// A figure as an error shows it: a whole number whole, others to six digits.
[[nodiscard]] std::string shown(double value);

// Reading: each helper records the first thing wrong and returns a neutral value, so that
// the reader can go on and report one clear error at the end.
class Reader {
 public:
  Reader(const Json& document, bool cycles_format)
      : with_cycles(cycles_format), document_(&document) {}

  // The file's format has the clock, the cycles and the machine's signature.
  const bool with_cycles;
  std::string error;

  // A member's whole path, as an error names it: "latency_bounds[0].cycles_per_pass"; and a
  // value's within the document (the fallback where it is not in it).
  [[nodiscard]] std::string at(const Json& object, const char* key) const;
  [[nodiscard]] std::string path_of(const Json& value, const char* fallback) const;

  const Json& member(const Json& object, const char* key);
  const Json::Array& array(const Json& object, const char* key);
  const Json::Array& filled_array(const Json& object, const char* key);
  std::string text(const Json& object, const char* key, std::size_t max_characters = 100);
  // A program's or kernel's name: letters, digits and '_' only.
  std::string name(const Json& object, const char* key);
  double number(const Json& object, const char* key, double low, double high);
  double number(const Json& object, const char* key, const Limit& limit) {
    return number(object, key, limit.low, limit.high);
  }
  std::optional<double> optional_number(const Json& object, const char* key, double low,
                                        double high);
  std::optional<double> optional_number(const Json& object, const char* key, const Limit& limit) {
    return optional_number(object, key, limit.low, limit.high);
  }
  std::optional<bool> optional_flag(const Json& object, const char* key);
  // At most max_count numbers, each in [low, high]; at least one unless may_be_empty.
  std::vector<double> numbers(const Json& object, const char* key, double low, double high,
                              std::size_t max_count, bool may_be_empty = false);
  // A figure timed in repetitions (study/repeated.h): its values under key, each in [low,
  // high], at most max_count; beside them, where the file has them (a report from before has
  // not, and every value counts), the signs of each under key + "_quiet" and how many of the
  // last were timed again under key + "_timed_again".
  Repeated repeated(const Json& object, const char* key, double low, double high,
                    std::size_t max_count);
  // A kernel's name: one of the kit's four, or (where peers may stand) one of the peers.
  std::string kernel(const Json& object, const char* key, bool peers);
  // A whole number in [low, high].
  template <class T>
  T whole(const Json& object, const char* key, double low, double high);
  void fail(const std::string& what);
  // Each name once in a list: a second row of one program would make its figures ambiguous.
  void once_each(std::vector<std::string> names, const char* list);

 private:
  double in_range(const Json& value, const char* key, double low, double high);
  const Json* document_;
};

template <class T>
T Reader::whole(const Json& object, const char* key, double low, double high) {
  const double value = number(object, key, low, high);
  if (value != std::floor(value)) {
    fail(in_quotes(at(object, key)) + " is not a whole number");
    return 0;
  }
  return static_cast<T>(value);
}

// Writing. A measurement, read back to work out the figures again, whole: the shortest digits
// that read back as the same number, so that a file's figures and text are the run's own. A
// figure worked out from them, to a thousandth (more digits would only be noise). Null where a
// figure is missing.
[[nodiscard]] Json numbers(const std::vector<double>& values);
// A figure timed in repetitions, as Reader::repeated() reads it back.
void add_repeated(Json::Object& object, const std::string& key, const Repeated& figure);
[[nodiscard]] Json exact(const std::optional<double>& value);
[[nodiscard]] double rounded(double value);
[[nodiscard]] Json optional_number(const std::optional<double>& value);
[[nodiscard]] Json optional_text(const std::string& text);
// Why a finding is withheld: null where it is not, "disturbed", "not judged".
[[nodiscard]] Json withheld_json(Withheld why);
// The figure where it holds within the limit, else null: a measurement that noise left outside
// what a report can hold is written as not measured, so that the file reads back.
[[nodiscard]] Json within(const std::optional<double>& value, const Limit& limit);

// Cycles for a time in ns, where the clock is known.
[[nodiscard]] Json cycles(const std::optional<double>& ghz, double ns);

// One section's pair: the writer appends its keys to the report's object, the reader takes
// them back into the results.
using SectionWriter = void (*)(const Results& results, Json::Object& report);
using SectionReader = void (*)(Reader& read, const Json& report, Results& results);

// The pairs, one per section (report_file.cpp lists them).
void write_machine(const Results& results, Json::Object& report);
void read_machine(Reader& read, const Json& report, Results& results);
void write_clock(const Results& results, Json::Object& report);
void read_clock(Reader& read, const Json& report, Results& results);
void write_settings(const Results& results, Json::Object& report);
void read_settings(Reader& read, const Json& report, Results& results);
void write_cross_checks(const Results& results, Json::Object& report);
void read_cross_checks(Reader& read, const Json& report, Results& results);
void write_benchmarks(const Results& results, Json::Object& report);
void read_benchmarks(Reader& read, const Json& report, Results& results);
void write_loops(const Results& results, Json::Object& report);
void read_loops(Reader& read, const Json& report, Results& results);
void write_kernels(const Results& results, Json::Object& report);
void read_kernels(Reader& read, const Json& report, Results& results);
void write_sweep(const Results& results, Json::Object& report);
void read_sweep(Reader& read, const Json& report, Results& results);
void write_passes_per_bit(const Results& results, Json::Object& report);
void read_passes_per_bit(Reader& read, const Json& report, Results& results);
void write_model(const Results& results, Json::Object& report);
void read_model(Reader& read, const Json& report, Results& results);
void write_counters(const Results& results, Json::Object& report);
void read_counters(Reader& read, const Json& report, Results& results);
void write_latencies(const Results& results, Json::Object& report);
void read_latencies(Reader& read, const Json& report, Results& results);
void write_divider(const Results& results, Json::Object& report);
void read_divider(Reader& read, const Json& report, Results& results);
void write_latency_bounds(const Results& results, Json::Object& report);
void read_latency_bounds(Reader& read, const Json& report, Results& results);
void write_spread(const Results& results, Json::Object& report);
void read_spread(Reader& read, const Json& report, Results& results);
void write_calls(const Results& results, Json::Object& report);
void read_calls(Reader& read, const Json& report, Results& results);
void write_phases(const Results& results, Json::Object& report);
void read_phases(Reader& read, const Json& report, Results& results);
// The summary is written, never read: a file read back works it out again.
void write_summary(const Results& results, Json::Object& report);
void read_summary(Reader& read, const Json& report, Results& results);
void write_notes(const Results& results, Json::Object& report);
void read_notes(Reader& read, const Json& report, Results& results);
