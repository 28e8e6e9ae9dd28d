// Starting a program with posix_spawn and reading its standard output under a deadline.
#include "report/command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, for poll: never negative.
int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads the pipe to its end or to the deadline; false if the deadline came first.
bool read_until(int fd, Clock::time_point deadline, std::string& out) {
  std::array<char, 4096> buffer{};
  for (;;) {
    pollfd ready{fd, POLLIN, 0};
    const int polled = poll(&ready, 1, remaining_ms(deadline));
    if (polled < 0 && errno == EINTR) {
      continue;
    }
    if (polled <= 0) {
      return polled < 0;  // an error of poll ends the read like an end of output
    }
    const ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return true;
    }
    out.append(buffer.data(), static_cast<std::size_t>(got));
  }
}

// Waits for the child until the deadline (it may close its output and still run on).
bool wait_until(pid_t pid, Clock::time_point deadline, int& wait_status) {
  for (;;) {
    const pid_t done = waitpid(pid, &wait_status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) {
      return true;
    }
    if (Clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

ProgramRun run_captured(const std::string& path, std::chrono::seconds limit,
                        const std::string& stdin_path) {
  ProgramRun run;
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
    run.code = errno;
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, stdin_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A group of its own, so that a program stopped at the limit takes its children along.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);

  std::array<char*, 2> argv{const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pipe_fds[1]);
  if (spawned != 0) {
    close(pipe_fds[0]);
    run.code = spawned;
    return run;
  }

  const Clock::time_point deadline = Clock::now() + limit;
  int wait_status = 0;
  const bool finished =
      read_until(pipe_fds[0], deadline, run.out) && wait_until(pid, deadline, wait_status);
  close(pipe_fds[0]);
  if (!finished) {
    kill(-pid, SIGKILL);
    waitpid(pid, &wait_status, 0);
    run.end = ProgramRun::End::timed_out;
  } else if (WIFEXITED(wait_status)) {
    run.end = ProgramRun::End::exited;
    run.code = WEXITSTATUS(wait_status);
  } else if (WIFSIGNALED(wait_status)) {
    run.end = ProgramRun::End::killed;
    run.code = WTERMSIG(wait_status);
  }
  return run;
}

std::string describe_end(const ProgramRun& run, std::chrono::seconds limit) {
  switch (run.end) {
    case ProgramRun::End::exited: return "exit status " + std::to_string(run.code);
    case ProgramRun::End::killed: {
      const char* name = sigabbrev_np(run.code);
      return name != nullptr ? std::string("killed by SIG") + name
                             : "killed by signal " + std::to_string(run.code);
    }
    case ProgramRun::End::timed_out:
      return "still running after " + std::to_string(limit.count()) + " s, stopped";
    case ProgramRun::End::not_started: break;
  }
  return std::string("could not be started: ") + std::strerror(run.code);
}
