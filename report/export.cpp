// Results to JSON and back.
#include "report/export.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "study/stats.h"

namespace {

constexpr const char* FORMAT = "gcd-kit report 1";

// Figures to a thousandth: more digits would only be noise.
double rounded(double value) { return std::round(value * 1000) / 1000; }

Json numbers(const std::vector<double>& values) {
  Json::Array array;
  for (const double value : values) {
    array.emplace_back(rounded(value));
  }
  return array;
}

Json optional_number(const std::optional<double>& value) {
  return value ? Json(rounded(*value)) : Json(nullptr);
}

Json estimate(const Estimate& figure) {
  return Json::Object{{"value", rounded(figure.value)},
                      {"low", rounded(figure.low)},
                      {"high", rounded(figure.high)}};
}

// Reading: each helper records the first thing missing and returns a neutral value, so
// that the reader can go on and report one clear error at the end.
class Reader {
 public:
  std::string error;

  const Json& member(const Json& object, const char* key) {
    static const Json NONE;
    const Json* found = object.find(key);
    if (found == nullptr) {
      fail(std::string("no \"") + key + "\"");
      return NONE;
    }
    return *found;
  }
  const Json::Array& array(const Json& object, const char* key) {
    static const Json::Array EMPTY;
    const Json::Array* found = member(object, key).get<Json::Array>();
    if (found == nullptr) {
      fail(std::string("\"") + key + "\" is not a list");
      return EMPTY;
    }
    return *found;
  }
  std::string text(const Json& object, const char* key) {
    const std::string* found = member(object, key).get<std::string>();
    if (found == nullptr) {
      fail(std::string("\"") + key + "\" is not a text");
      return "";
    }
    return *found;
  }
  double number(const Json& object, const char* key) {
    const double* found = member(object, key).get<double>();
    if (found == nullptr) {
      fail(std::string("\"") + key + "\" is not a number");
      return 0;
    }
    return *found;
  }
  std::optional<double> optional_number(const Json& object, const char* key) {
    const Json& value = member(object, key);
    if (value.get<std::nullptr_t>() != nullptr) {
      return std::nullopt;
    }
    return number(object, key);
  }
  std::vector<double> numbers(const Json& object, const char* key) {
    std::vector<double> values;
    for (const Json& item : array(object, key)) {
      const double* value = item.get<double>();
      if (value == nullptr) {
        fail(std::string("\"") + key + "\" holds something that is not a number");
        return {};
      }
      values.push_back(*value);
    }
    return values;
  }
  void fail(const std::string& what) {
    if (error.empty()) {
      error = what;
    }
  }
  template <class T>
  T whole(const Json& object, const char* key) {
    const double value = number(object, key);
    if (value < 0 || value != std::floor(value)) {
      fail(std::string("\"") + key + "\" is not a whole number");
      return 0;
    }
    return static_cast<T>(value);
  }
};

}  // namespace

Json results_to_json(const Results& results) {
  const Study& study = results.study;
  const StudySettings& settings = study.settings;

  Json::Array checks;
  for (const CrossCheckRow& row : results.checks) {
    checks.emplace_back(Json::Object{{"program", row.program},
                                     {"under_test", row.under_test},
                                     {"reference", row.reference},
                                     {"pairs", row.pairs},
                                     {"errors", row.errors}});
  }

  Json::Array benchmarks;
  for (const BenchmarkRow& row : results.benchmarks) {
    const double middle = median(row.runs_ms);
    const auto [low, high] = std::minmax_element(row.runs_ms.begin(), row.runs_ms.end());
    benchmarks.emplace_back(Json::Object{
        {"program", row.program},
        {"runs_ms", numbers(row.runs_ms)},
        {"median_ms", rounded(middle)},
        {"min_ms", *low},
        {"max_ms", *high},
        {"ns_per_call", rounded(middle * 1e6 / results.calls_per_run)},
        {"ratio", estimate(ratio_estimate(row.runs_ms, results.benchmarks.front().runs_ms))}});
  }

  const KernelFigures* euclid = find_kernel(study, "gcd_euclid_u");
  const std::vector<double> baseline =
      euclid != nullptr ? euclid->ns_per_call : std::vector<double>{};
  Json::Array kernels;
  for (const KernelFigures& kernel : study.kernels) {
    const double ns = median(kernel.ns_per_call);
    kernels.emplace_back(Json::Object{
        {"name", kernel.name},
        {"ns_per_call", rounded(ns)},
        {"ns_per_call_runs", numbers(kernel.ns_per_call)},
        {"passes_per_call", optional_number(kernel.passes_per_call)},
        {"ns_per_pass",
         kernel.passes_per_call ? Json(rounded(ns / *kernel.passes_per_call)) : Json(nullptr)},
        {"ratio_to_gcd_euclid_u", estimate(ratio_estimate(kernel.ns_per_call, baseline))}});
  }

  Json::Array sweep;
  for (const SweepFigures& point : study.sweep) {
    sweep.emplace_back(Json::Object{{"kernel", point.kernel},
                                    {"bits", point.bits},
                                    {"ns_per_call", rounded(median(point.ns_per_call))},
                                    {"ns_per_call_runs", numbers(point.ns_per_call)},
                                    {"passes_per_call", optional_number(point.passes_per_call)}});
  }

  Json::Array fits;
  for (const PassesPerBit& fit : study.passes_per_bit) {
    fits.emplace_back(Json::Object{{"kernel", fit.kernel},
                                   {"measured", std::round(fit.measured * 1e5) / 1e5},
                                   {"theory", std::round(fit.theory * 1e5) / 1e5}});
  }

  Json::Array notes;
  for (const std::string& note : results.notes) {
    notes.emplace_back(note);
  }

  return Json::Object{
      {"format", FORMAT},
      {"machine", Json::Object{{"processor", results.machine.processor},
                               {"compiler", results.machine.compiler},
                               {"build_type", results.machine.build_type}}},
      {"settings", Json::Object{{"calls_per_run", results.calls_per_run},
                                {"drawn_pairs", settings.drawn_pairs},
                                {"repetitions", settings.repetitions},
                                {"sweep_pairs", settings.sweep_pairs},
                                {"sweep_from_bits", settings.sweep_from_bits},
                                {"sweep_step_bits", settings.sweep_step_bits},
                                {"fit_from_bits", settings.fit_from_bits},
                                {"seed", static_cast<double>(settings.seed)}}},
      {"cross_checks", std::move(checks)},
      {"benchmarks", std::move(benchmarks)},
      {"loop_ns_per_call", Json::Object{{"programs_loop", numbers(study.loop_ns_per_call)},
                                        {"sweep_loop", numbers(study.sweep_loop_ns_per_call)}}},
      {"kernels", std::move(kernels)},
      {"sweep", std::move(sweep)},
      {"passes_per_bit", std::move(fits)},
      {"notes", std::move(notes)},
  };
}

std::optional<Results> results_from_json(const Json& json, std::string& error) {
  const Json* format = json.find("format");
  if (format == nullptr || format->get<std::string>() == nullptr ||
      *format->get<std::string>() != FORMAT) {
    error = "not a report of this kit (no \"format\": \"" + std::string(FORMAT) + "\")";
    return std::nullopt;
  }
  Reader read;
  Results results;
  const Json& machine = read.member(json, "machine");
  results.machine = {read.text(machine, "processor"), read.text(machine, "compiler"),
                     read.text(machine, "build_type")};
  const Json& settings = read.member(json, "settings");
  results.calls_per_run = read.whole<std::uint32_t>(settings, "calls_per_run");
  StudySettings& study_settings = results.study.settings;
  study_settings.drawn_pairs = read.whole<std::uint32_t>(settings, "drawn_pairs");
  study_settings.repetitions = read.whole<unsigned>(settings, "repetitions");
  study_settings.sweep_pairs = read.whole<std::size_t>(settings, "sweep_pairs");
  study_settings.sweep_from_bits = read.whole<unsigned>(settings, "sweep_from_bits");
  study_settings.sweep_step_bits = read.whole<unsigned>(settings, "sweep_step_bits");
  study_settings.fit_from_bits = read.whole<unsigned>(settings, "fit_from_bits");

  for (const Json& row : read.array(json, "cross_checks")) {
    results.checks.push_back({read.text(row, "program"), read.text(row, "under_test"),
                              read.text(row, "reference"), read.whole<std::uint32_t>(row, "pairs"),
                              static_cast<std::int32_t>(read.number(row, "errors"))});
  }
  for (const Json& row : read.array(json, "benchmarks")) {
    results.benchmarks.push_back({read.text(row, "program"), read.numbers(row, "runs_ms")});
    if (results.benchmarks.back().runs_ms.empty()) {
      read.fail("a benchmark without runs");
    }
  }
  const Json& loops = read.member(json, "loop_ns_per_call");
  results.study.loop_ns_per_call = read.numbers(loops, "programs_loop");
  results.study.sweep_loop_ns_per_call = read.numbers(loops, "sweep_loop");
  for (const Json& row : read.array(json, "kernels")) {
    results.study.kernels.push_back({read.text(row, "name"), read.numbers(row, "ns_per_call_runs"),
                                     read.optional_number(row, "passes_per_call")});
  }
  for (const Json& row : read.array(json, "sweep")) {
    results.study.sweep.push_back({read.text(row, "kernel"), read.whole<unsigned>(row, "bits"),
                                   read.numbers(row, "ns_per_call_runs"),
                                   read.optional_number(row, "passes_per_call")});
  }
  for (const Json& row : read.array(json, "passes_per_bit")) {
    results.study.passes_per_bit.push_back(
        {read.text(row, "kernel"), read.number(row, "measured"), read.number(row, "theory")});
  }
  for (const Json& note : read.array(json, "notes")) {
    if (const std::string* text = note.get<std::string>()) {
      results.notes.push_back(*text);
    }
  }
  if (!read.error.empty()) {
    error = read.error;
    return std::nullopt;
  }
  return results;
}

std::optional<Results> read_results(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::stringstream text;
  text << file.rdbuf();
  std::string why;
  const std::optional<Json> json = parse_json(text.str(), why);
  std::optional<Results> results;
  if (!json) {
    why = "not JSON (" + why + ")";
  } else {
    results = results_from_json(*json, why);
  }
  if (!results) {
    error = path + " is not a report of this kit: " + why;
  }
  return results;
}
