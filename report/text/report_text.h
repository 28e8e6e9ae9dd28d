// The report as text for a terminal of 80 columns: one section per question the kit answers.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "report/figures/results.h"
#include "report/files/outputs.h"

// Every section: the machine, the cross-checks, the benchmark programs with their ratios and
// the verdict, the kernels on the programs' pairs (why), the sweep (when) and the theory.
[[nodiscard]] std::string format_report(const Results& results);

// The operand size from which on the binary kernel is the faster one, in words: "from 6 bits
// on", "at every size", or "at no size".
[[nodiscard]] std::string crossover_text(const Crossover& crossover);

// The report's last lines: the folders of the programs, and the files it wrote, each shown
// relative to the working folder where it lies below it.
[[nodiscard]] std::string format_files(const std::map<std::string, std::string>& program_paths,
                                       const std::vector<WrittenFile>& files,
                                       const std::string& working_folder);

// One of those lines: "  JSON      report.json", or "... (not written: REASON)".
[[nodiscard]] std::string format_written(const WrittenFile& file,
                                         const std::string& working_folder);
