// Closing standard output and turning a failed write into status 1.
#include "platform/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/exit.h"

void end_process() noexcept {
  // An earlier failed write (the prompt's flush, say) leaves only the error flag behind;
  // the close then writes what is still buffered and reports its own failure.
  const bool earlier_failure = std::ferror(stdout) != 0;
  errno = 0;
  const bool close_failed = std::fclose(stdout) != 0;
  if (!earlier_failure && !close_failed) {
    exit_process(0);
  }
  const int error = close_failed ? errno : 0;
  if (error != 0) {
    std::fprintf(stderr, "write error: %s\n", std::strerror(error));
  } else {
    std::fputs("write error\n", stderr);
  }
  exit_process(1);
}
