// The report's files: the ones it will write, checked before the first run, and the ones it
// reads, taken only if they are regular files of a bounded size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "report/words/utf8.h"

// The largest report file that is read: a report of 1000 runs and 100 repetitions is below
// 1 MiB.
inline constexpr std::uintmax_t MAX_REPORT_FILE_BYTES = std::uintmax_t{16} << 20;

// The whole content of a regular file of at most limit bytes; nullopt with the reason in
// error ("is a directory", "is not a regular file", "is larger than 16 MiB").
[[nodiscard]] std::optional<std::string> read_bounded(const std::string& path, std::uintmax_t limit,
                                                      std::string& error);

// Why a file cannot be written at path ("its folder does not exist", "is a directory", "is
// not a regular file"), or nullopt if nothing speaks against it until it is tried.
[[nodiscard]] std::optional<std::string> why_not_writable(const std::string& path);

// Whether two paths name the same file, also where one of them does not exist yet.
[[nodiscard]] bool same_file(const std::string& a, const std::string& b);

// The path as the report shows it: relative to the folder given (the one the report runs in)
// where it lies below it, so that the report's last lines stay short; else absolute. Both
// without "." and ".." steps.
[[nodiscard]] std::string shown_path(const std::string& path, const std::string& folder);
