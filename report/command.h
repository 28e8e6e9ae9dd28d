// Running a command line and collecting its whole standard output and exit status.
#pragma once

#include <string>

struct CommandResult {
  std::string out;
  int status = -1;  // the exit status, or -1 if the command did not exit normally
};

[[nodiscard]] CommandResult run_command(const std::string& command_line);
