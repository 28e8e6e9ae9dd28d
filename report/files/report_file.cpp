// The report's file: its sections in the order it holds them, written and read back.
#include "report/files/report_file.h"

#include <cmath>
#include <iterator>

#include "report/figures/work_out.h"
#include "report/files/paths.h"
#include "report/files/sections/section.h"
#include "report/words/safe_text.h"

namespace {

// The format written, and the one before it, which had no clock, no processor signature
// and no cycles; both are read.
constexpr const char* FORMAT = "gcd-kit report 2";
constexpr const char* FORMAT_WITHOUT_CYCLES = "gcd-kit report 1";

// Which files hold a section: every report, those of the format with the cycles, or, for a
// section that came later within that format, those that hold its first key.
struct ReportSection {
  SectionWriter write;
  SectionReader read;
  bool needs_cycles;
  const char* first_key;  // nullptr: every file of its format holds it
};

// Every section, in the order the file holds them: adding a section adds a line here.
constexpr ReportSection SECTIONS[] = {
    {write_machine, read_machine, false, nullptr},
    {write_summary, read_summary, false, nullptr},
    {write_clock, read_clock, true, nullptr},
    {write_settings, read_settings, false, nullptr},
    {write_cross_checks, read_cross_checks, false, nullptr},
    {write_benchmarks, read_benchmarks, false, nullptr},
    {write_loops, read_loops, false, nullptr},
    {write_kernels, read_kernels, false, nullptr},
    {write_sweep, read_sweep, false, nullptr},
    {write_passes_per_bit, read_passes_per_bit, false, nullptr},
    {write_model, read_model, true, "model"},
    {write_counters, read_counters, true, "model"},
    {write_latencies, read_latencies, true, "latencies"},
    {write_divider, read_divider, true, "latencies"},
    {write_latency_bounds, read_latency_bounds, true, "latencies"},
    {write_spread, read_spread, true, "pass_counts"},
    {write_calls, read_calls, true, "calls_in_order"},
    {write_phases, read_phases, true, "phases"},
    {write_notes, read_notes, false, nullptr},
};

}  // namespace

Json estimate_json(const Estimate& figure) {
  return Json::Object{{"value", rounded(figure.value)},
                      {"low", figure.has_interval ? Json(rounded(figure.low)) : Json(nullptr)},
                      {"high", figure.has_interval ? Json(rounded(figure.high)) : Json(nullptr)}};
}

Json results_to_json(const Results& results) {
  Json::Object report{{"format", FORMAT}};
  for (const ReportSection& section : SECTIONS) {
    section.write(results, report);
  }
  return report;
}

std::optional<Results> results_from_json(const Json& json, std::string& error) {
  const Json* format = json.find("format");
  if (format == nullptr || format->get<std::string>() == nullptr) {
    error = "no \"format\": \"" + std::string(FORMAT) + "\"";
    return std::nullopt;
  }
  const std::string& version = *format->get<std::string>();
  if (version != FORMAT && version != FORMAT_WITHOUT_CYCLES) {
    error = "its format is \"" + safe_text(version, 40) + "\", and this gcd_report reads \"" +
            FORMAT + "\" and \"" + FORMAT_WITHOUT_CYCLES + "\"";
    return std::nullopt;
  }
  Reader read(json, version == FORMAT);
  Results results;
  for (const ReportSection& section : SECTIONS) {
    const bool held = (!section.needs_cycles || read.with_cycles) &&
                      (section.first_key == nullptr || json.find(section.first_key) != nullptr);
    if (held) {
      section.read(read, json, results);
    }
  }
  if (!read.error.empty()) {
    error = read.error;
    return std::nullopt;
  }
  work_out(results);
  return results;
}

std::optional<std::string> readable_report_json(const Results& results, std::string& why) {
  const Json json = results_to_json(results);
  if (!results_from_json(json, why)) {
    why = "it would not read back as a report: " + why;
    return std::nullopt;
  }
  return to_text(json);
}

std::optional<Results> read_results(const std::string& path, std::string& error) {
  const std::string shown_path = safe_text(path, 200);
  const std::optional<std::string> text = read_bounded(path, MAX_REPORT_FILE_BYTES, error);
  if (!text) {
    error = "cannot read " + shown_path + ": " + error;
    return std::nullopt;
  }
  std::string why;
  const std::optional<Json> json = parse_json(*text, why);
  std::optional<Results> results;
  if (!json) {
    why = "not JSON (" + why + ")";
  } else {
    results = results_from_json(*json, why);
  }
  if (!results) {
    error = shown_path + " is not a report of this kit: " + why;
  }
  return results;
}
