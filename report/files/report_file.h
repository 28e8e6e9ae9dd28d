// The results as a JSON document, and back: a report to keep, and to compare with later.
#pragma once

#include <optional>
#include <string>

#include "report/figures/results.h"
#include "report/files/json.h"

// The report's sections, in the order report_file.cpp lists them (sections/ holds each one's
// writer and reader; docs/json.md its keys): times in msec (the programs) and ns per call (the
// study), with every repetition's figure beside the median.
[[nodiscard]] Json results_to_json(const Results& results);

// A figure and its 95% interval, {"value", "low", "high"}, the ends null where there is none.
[[nodiscard]] Json estimate_json(const Estimate& figure);

// The results in a report's JSON, or nullopt with what is wrong in error.
[[nodiscard]] std::optional<Results> results_from_json(const Json& json, std::string& error);

// The report's JSON as text, where it reads back as a report: a file the kit would refuse to
// read is never written. nullopt with why it would not read back.
[[nodiscard]] std::optional<std::string> readable_report_json(const Results& results,
                                                              std::string& why);

// The results in a report's JSON file, or nullopt with one line saying why not in error
// ("cannot read FILE: ...", "FILE is not a report of this kit: ...").
[[nodiscard]] std::optional<Results> read_results(const std::string& path, std::string& error);
