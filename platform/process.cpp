// Closing standard output and turning a failed read or write into status 1.
#include "platform/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/exit.h"
#include "platform/program_name.h"

namespace {

struct StreamFailure {
  bool failed = false;
  int error = 0;  // errno of the failure, 0 where only the stream's error flag tells
};

StreamFailure close_stdout() noexcept {
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
  return {earlier_failure || flush_failed || close_failed, error};
}

// One line on standard error: "<program>: <what>: <reason>", or without the reason.
void report(const char* what, int error) noexcept {
  if (error != 0) {
    std::fprintf(stderr, "%s: %s: %s\n", program_name, what, std::strerror(error));
  } else {
    std::fprintf(stderr, "%s: %s\n", program_name, what);
  }
}

}  // namespace

void end_process() noexcept {
  const StreamFailure output = close_stdout();
  if (!output.failed) {
    exit_process(0);
  }
  report("write error", output.error);
  exit_process(1);
}

void end_process_after_read_error(int error) noexcept {
  report("read error", error);
  const StreamFailure output = close_stdout();
  if (output.failed) {
    report("write error", output.error);
  }
  exit_process(1);
}
