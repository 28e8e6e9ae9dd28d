// Several reports side by side: one column per report (a machine, a compiler, a build), the
// figures a reader compares in rows, as text, as JSON and as a picture.
#pragma once

#include <string>
#include <vector>

#include "report/json.h"
#include "report/results.h"

struct NamedReport {
  std::string name;  // as a column's heading: the file's name, short
  Results results;
};

// Short names for the report files: each file's name without ".json", with as many of its
// folders before it as it takes to tell two files of the same name apart.
[[nodiscard]] std::vector<std::string> report_names(const std::vector<std::string>& paths);

// The table for a terminal of 80 columns: as many report columns as fit, in blocks of them
// one below the other. Headed by each report's machine (processor, virtual or not, clock),
// compiler and build; then the binary speed-up per signedness with its interval, each kit
// kernel's cycles per pass (ns where a report has no clock) and passes per call, passes per
// bit, each peer's ratio to gcd_euclid_u, and LLVM's model where a report has one.
[[nodiscard]] std::string format_side_by_side(const std::vector<NamedReport>& reports);

// The table's data, one object per report.
[[nodiscard]] Json side_by_side_json(const std::vector<NamedReport>& reports);

// The binary speed-up against operand size, from each report's sweep: one line per report
// and signedness.
[[nodiscard]] std::string draw_side_by_side(const std::vector<NamedReport>& reports);
