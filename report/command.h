// Running a program without a shell, with a time limit, and collecting its whole standard
// output and how it ended.
#pragma once

#include <chrono>
#include <string>

struct ProgramRun {
  enum class End {
    exited,       // code is the exit status
    killed,       // code is the signal that ended it
    timed_out,    // still running at the limit, so it was killed
    not_started,  // code is the errno of the failed start
  };
  std::string out;
  End end = End::not_started;
  int code = 0;
};

// Starts the program at path (as given: no shell, no search of PATH) with no arguments,
// standard input from stdin_path and standard error shared with this process. A program
// still running after limit is killed, with any processes it started.
[[nodiscard]] ProgramRun run_captured(const std::string& path,
                                      std::chrono::seconds limit = std::chrono::seconds(120),
                                      const std::string& stdin_path = "/dev/null");

// How a run ended, in words: "exit status 1", "killed by SIGSEGV", "still running after
// 120 s, stopped", "could not be started: No such file or directory".
[[nodiscard]] std::string describe_end(const ProgramRun& run, std::chrono::seconds limit);
