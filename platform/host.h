// What the report needs of the operating system, beside the programs' own layer: starting a
// program and reading its output under a time limit, the report's own folder and console,
// files replaced whole, and programs and half-written files that never outlive the report.
// One implementation per platform (host_posix.cpp, host_windows.cpp).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ProgramRun {
  enum class End {
    exited,       // code is the exit status
    killed,       // code is the signal (POSIX) or the exception code (Windows) that ended it
    timed_out,    // still running at the limit, so it was stopped
    not_started,  // code is the error of the failed start
  };
  std::string out;             // what it wrote, up to the amount kept
  std::uintmax_t dropped = 0;  // bytes it wrote beyond that, read and not kept
  End end = End::not_started;
  unsigned long code = 0;
};

// What is kept of a program's output (its message is a few dozen bytes) and of a tool's (a
// loop's disassembly or llvm-mca's analysis of it: a few KB): the rest is read and dropped, so
// that a program that writes without end costs no memory.
inline constexpr std::size_t PROGRAM_OUTPUT_KEPT = 4096;
inline constexpr std::size_t TOOL_OUTPUT_KEPT = std::size_t{1} << 20;

// The null device, the programs' standard input.
extern const char* const NULL_DEVICE;

// Starts the program at path (as given: no shell, no search of PATH) with no arguments,
// standard input from stdin_path and standard error shared with this process. A program
// still running after limit is stopped, with any processes it started; so is one still
// running when the report ends, however it ends. Once the program has exited, what is
// already in the pipe is read for a moment, and anything it started that is still running
// (and may hold the pipe open) is stopped.
[[nodiscard]] ProgramRun run_captured(const std::string& path,
                                      std::chrono::seconds limit = std::chrono::seconds(120),
                                      const std::string& stdin_path = NULL_DEVICE);

// Runs a tool looked up in PATH (objdump, llvm-mca) with its arguments, no shell, input on
// its standard input and its standard error merged into the output, under the same rules.
[[nodiscard]] ProgramRun run_tool(const std::vector<std::string>& command, std::string_view input,
                                  std::chrono::seconds limit);

// How a run ended, in words: "exit status 1", "killed by SIGSEGV" ("access violation
// (0xC0000005)" on Windows), "still running after 120 s, stopped", "could not be started:
// No such file or directory".
[[nodiscard]] std::string describe_end(const ProgramRun& run, std::chrono::seconds limit);

// Why the file at path cannot be started as a program ("is a directory", "is not a program:
// no #! line and no executable header"), or nullopt if it can.
[[nodiscard]] std::optional<std::string> why_not_a_program(const std::string& path);

// Where a tool that run_tool would start by its name is: the file PATH leads to (as the
// system's search finds it), or "" where it finds none.
[[nodiscard]] std::string tool_path(const std::string& name);

// Why this process may not replace the file at path, as the system decides it for this user
// (owner, group and others, a read-only mount, a folder where only a file's owner may replace
// it): naming the file or its folder, whichever refuses; nullopt where both allow it.
[[nodiscard]] std::optional<std::string> why_not_replaceable(const std::string& path);

// The running executable, and its folder; "" where it cannot be told.
[[nodiscard]] std::string own_program();
[[nodiscard]] std::string own_folder();

// "standard output" or "standard error" where the file at path is the very file one of them
// writes to (a terminal or a pipe is no such file); nullopt otherwise.
[[nodiscard]] std::optional<std::string> standard_stream_at(const std::string& path);

// The command line as UTF-8 text, without the program's own name.
[[nodiscard]] std::vector<std::string> command_line(int argc, char** argv);

// Whether the stream is a terminal (a console), and its width there (80 where unknown).
[[nodiscard]] bool is_terminal(std::FILE* stream);
[[nodiscard]] std::size_t terminal_width(std::FILE* stream);

// A file replaced whole or not at all: a temporary file beside it is made first (which
// proves that the folder takes new files), written, flushed to the disk and renamed over the
// file. The temporary is removed if anything fails, and if the report ends early in any way.
struct ReplacedFile {
  std::string path;       // the file to replace (symbolic links followed)
  std::string temporary;  // beside it, in the same folder
};

// Makes the temporary, with the mode of the file it replaces (and, where this process may set
// it, its owner); nullopt with the reason ("Permission denied") if it cannot.
[[nodiscard]] std::optional<ReplacedFile> begin_replacing(const std::string& path,
                                                          std::string& error);
// Writes the content to the temporary and renames it over the file; false with the reason.
[[nodiscard]] bool finish_replacing(const ReplacedFile& file, std::string_view content,
                                    std::string& error);

// From here on, every signal or event that ends the report (POSIX: HUP, INT, QUIT, TERM,
// USR1, USR2, ALRM, PIPE; Windows: a console close or break) first stops the running program
// and removes the temporaries, then ends the report as it would have ended.
void stop_programs_and_temporaries_with_this_process();
