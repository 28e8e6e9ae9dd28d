// Reports read from their files, to be set side by side: the figures each one is compared by.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/figures/results.h"

struct NamedReport {
  std::string name;  // as a column's heading: the file's name, short
  Results results;
};

// Short names for the report files: each file's name without ".json", with as many of its
// folders before it as it takes to tell two files of the same name apart.
[[nodiscard]] std::vector<std::string> report_names(const std::vector<std::string>& paths);

// A kernel's ns per pass in one report; none where it was not measured or counted.
[[nodiscard]] std::optional<double> ns_per_pass_of(const Results& results,
                                                   const std::string& kernel);

// The same in cycles; none also where the report has no clock.
[[nodiscard]] std::optional<double> cycles_per_pass_of(const Results& results,
                                                       const std::string& kernel);

// What bounds a kit kernel's call in one report; nullptr where it has none.
[[nodiscard]] const CallBound* call_bound_of(const Results& results, const std::string& kernel);

// A kernel's median time over gcd_euclid_u's; none where either was not measured.
[[nodiscard]] std::optional<double> ratio_to_euclid(const Results& results,
                                                    const std::string& kernel);

// A kit kernel's fitted passes per bit; none where the sweep gave none.
[[nodiscard]] std::optional<double> passes_per_bit(const Study& study, const std::string& kernel);

// The peers any of the reports measured, in the order first seen.
[[nodiscard]] std::vector<std::string> peers_of(const std::vector<NamedReport>& reports);

struct SpeedupPoint {
  unsigned bits;
  double speedup;  // Euclid's median ns per call over binary's
};

// The binary speed-up at each size of a report's sweep, where neither time is too small to time
// (SMALLEST_TIMED_NS).
[[nodiscard]] std::vector<SpeedupPoint> sweep_speedup(const Study& study, const char* euclid,
                                                      const char* binary);
