// Closing standard output and turning a failed write into status 1.
#include "platform/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/exit.h"

void end_process() noexcept {
  // An earlier failed write (the prompt's flush, say) leaves only the error flag behind,
  // with no reliable errno. The flush and the close report their own failures; both are
  // needed, since some C libraries report a failed flush only from fflush.
  const bool earlier_failure = std::ferror(stdout) != 0;
  errno = 0;
  const bool flush_failed = std::fflush(stdout) != 0;
  int error = flush_failed ? errno : 0;
  const bool close_failed = std::fclose(stdout) != 0;
  if (close_failed && error == 0) {
    error = errno;
  }
  if (!earlier_failure && !flush_failed && !close_failed) {
    exit_process(0);
  }
  if (error != 0) {
    std::fprintf(stderr, "write error: %s\n", std::strerror(error));
  } else {
    std::fputs("write error\n", stderr);
  }
  exit_process(1);
}
