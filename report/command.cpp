// Running a program through the shell and reading all it writes to standard output.
#include "report/command.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

CommandResult run_command(const std::string& command_line) {
  CommandResult result;
  FILE* pipe = popen(command_line.c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  std::array<char, 4096> buffer{};
  std::size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.out.append(buffer.data(), got);
  }
  const int wait_status = pclose(pipe);
  if (wait_status != -1 && WIFEXITED(wait_status)) {
    result.status = WEXITSTATUS(wait_status);
  }
  return result;
}
