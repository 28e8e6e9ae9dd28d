// The report's host layer on POSIX systems: fork and exec, poll, signals, rename.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/host.h"

const char* const NULL_DEVICE = "/dev/null";

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The signals that end the report by default and that a user or the system may send it.
constexpr std::array STOP_SIGNALS{SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,
                                  SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE};

// What a signal handler must clean up: the process group of the running program, and the
// temporaries not yet renamed. Written with the stop signals blocked, read by the handler.
static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");
std::atomic<pid_t> running_group{0};
struct Temporary {
  std::atomic<bool> in_use{false};
  std::array<char, PATH_MAX> path{};
};
std::array<Temporary, 4> temporaries;

sigset_t stop_signal_set() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal_number : STOP_SIGNALS) {
    sigaddset(&set, signal_number);
  }
  return set;
}

// Holds the stop signals off for its lifetime, so that a handler never sees half a change.
class SignalsHeld {
 public:
  SignalsHeld() {
    const sigset_t set = stop_signal_set();
    sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;
  [[nodiscard]] const sigset_t& old() const { return old_; }

 private:
  sigset_t old_;
};

void remove_temporaries() noexcept {
  for (Temporary& temporary : temporaries) {
    if (temporary.in_use.exchange(false)) {
      unlink(temporary.path.data());
    }
  }
}

bool remember_temporary(const std::string& path) {
  for (Temporary& temporary : temporaries) {
    if (!temporary.in_use.load() && path.size() < temporary.path.size()) {
      std::memcpy(temporary.path.data(), path.c_str(), path.size() + 1);
      temporary.in_use.store(true);
      return true;
    }
  }
  return false;
}

void forget_temporary(const std::string& path) {
  const SignalsHeld held;
  for (Temporary& temporary : temporaries) {
    if (temporary.in_use.load() && path == temporary.path.data()) {
      temporary.in_use.store(false);
    }
  }
}

extern "C" void stop_everything(int signal_number) {
  const int saved_errno = errno;
  const pid_t group = running_group.load();
  if (group > 0) {
    kill(-group, SIGKILL);
  }
  remove_temporaries();
  // End as the signal would have ended the report: its default action, delivered as soon
  // as the handler's own mask is lifted.
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigaction(signal_number, &default_action, nullptr);
  raise(signal_number);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal_number);
  sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
  errno = saved_errno;
}

// A descriptor at 3 or above, so that the child's dup2 onto 0 and 1 cannot overwrite it
// (the report may have been started with a standard stream closed).
int above_standard_streams(int fd) {
  if (fd > STDERR_FILENO) {
    return fd;
  }
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  close(fd);
  return moved;
}

bool cloexec_pipe(int (&fds)[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) {
    return false;
  }
  fds[0] = above_standard_streams(fds[0]);
  fds[1] = above_standard_streams(fds[1]);
  return fds[0] >= 0 && fds[1] >= 0;
}

// How a child is started: its command, and where its standard input comes from.
struct Launch {
  std::vector<std::string> command;  // the file, then the arguments
  bool search_path = false;          // look the file up in PATH (a tool), or take it as given
  const char* stdin_path = nullptr;  // standard input from this file, else from stdin_fd
  int stdin_fd = -1;
  bool merge_stderr = false;  // its standard error into the captured output, or ours
};

// Between fork and exec: async-signal-safe calls only. Reports a failure as its errno on
// the error pipe, which exec closes on success.
[[noreturn]] void become_program(const Launch& launch, char* const* argv, int out_fd, int error_fd,
                                 pid_t parent, const sigset_t& mask) {
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  for (const int signal_number : STOP_SIGNALS) {
    struct sigaction current {};
    if (sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == stop_everything) {
      sigaction(signal_number, &default_action, nullptr);
    }
  }
  sigprocmask(SIG_SETMASK, &mask, nullptr);
  setpgid(0, 0);  // a group of its own, so that stopping it takes its children along
#ifdef __linux__
  // Dies with the report even when the report is killed outright.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) {
    _exit(127);
  }
#else
  static_cast<void>(parent);
#endif
  const int in = launch.stdin_path != nullptr ? open(launch.stdin_path, O_RDONLY) : launch.stdin_fd;
  if (in >= 0 && dup2(in, STDIN_FILENO) >= 0 && dup2(out_fd, STDOUT_FILENO) >= 0 &&
      (!launch.merge_stderr || dup2(out_fd, STDERR_FILENO) >= 0)) {
    if (in != STDIN_FILENO) {
      close(in);
    }
    if (launch.search_path) {
      execvp(argv[0], argv);
    } else {
      execv(argv[0], argv);
    }
  }
  const int error = errno;
  [[maybe_unused]] const ssize_t written = write(error_fd, &error, sizeof error);
  _exit(127);
}

// Milliseconds left until the deadline, for poll: never negative.
int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The moment given to a program's output once it has exited: what it wrote is in the pipe
// already, but something it started may go on writing into it without end.
constexpr auto DRAIN_AFTER_EXIT = std::chrono::milliseconds(200);

// Keeps what was read up to kept bytes, and counts the rest.
void keep(ProgramRun& run, const char* data, std::size_t size, std::size_t kept) {
  const std::size_t room = run.out.size() < kept ? kept - run.out.size() : 0;
  const std::size_t taken = std::min(room, size);
  run.out.append(data, taken);
  run.dropped += size - taken;
}

enum class Read { some, nothing_yet, ended };

// Reads what the pipe holds, waiting at most timeout_ms for it.
Read read_some(int fd, int timeout_ms, ProgramRun& run, std::size_t kept) {
  static std::array<char, 65536> buffer{};
  pollfd ready{fd, POLLIN, 0};
  const int polled = poll(&ready, 1, timeout_ms);
  if (polled < 0) {
    return errno == EINTR ? Read::nothing_yet : Read::ended;  // an error ends it like its end
  }
  if (polled == 0) {
    return Read::nothing_yet;
  }
  const ssize_t got = read(fd, buffer.data(), buffer.size());
  if (got < 0 && errno == EINTR) {
    return Read::nothing_yet;
  }
  if (got <= 0) {
    return Read::ended;
  }
  keep(run, buffer.data(), static_cast<std::size_t>(got), kept);
  return Read::some;
}

// Whether the child has exited. It is left unreaped, so that its process group, which may
// still hold what it started, cannot go to another process before it is stopped.
bool has_exited(pid_t pid) {
  for (;;) {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0) {
      return info.si_pid == pid;
    }
    if (errno != EINTR) {
      return true;  // no such child to wait for
    }
  }
}

// Reads the output while the child runs, then what is already in the pipe, for at most
// DRAIN_AFTER_EXIT; true if the child exited before the deadline. The end of the output is no
// end of the program: a child may close it and run on, or leave it open to what it started.
bool read_while_running(int fd, pid_t pid, Clock::time_point deadline, ProgramRun& run,
                        std::size_t kept) {
  bool open = true;
  for (;;) {
    if (has_exited(pid)) {
      const Clock::time_point drained = Clock::now() + DRAIN_AFTER_EXIT;
      while (open && Clock::now() < drained) {
        open = read_some(fd, 0, run, kept) == Read::some;
      }
      return true;
    }
    if (Clock::now() >= deadline) {
      return false;
    }
    if (open) {
      open = read_some(fd, std::min(remaining_ms(deadline), 10), run, kept) != Read::ended;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

// The errno that the child sent before exec failed, or 0 once exec closed the pipe.
int start_error(int fd) {
  int error = 0;
  for (;;) {
    const ssize_t got = read(fd, &error, sizeof error);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
  }
}

// Starts the child, feeds it input (if it reads from a pipe), reads its output, keeping at
// most kept bytes, until it exits or the limit comes, and stops what is left of it.
ProgramRun run_child(const Launch& given, std::string_view input, std::chrono::seconds limit,
                     std::size_t kept) {
  Launch launch = given;
  ProgramRun run;
  int out[2] = {-1, -1};
  int start[2] = {-1, -1};
  int in[2] = {-1, -1};
  const auto close_all = [&] {
    for (int* pair : {out, start, in}) {
      for (int i = 0; i < 2; ++i) {
        if (pair[i] >= 0) {
          close(pair[i]);
          pair[i] = -1;
        }
      }
    }
  };
  if (!cloexec_pipe(out) || !cloexec_pipe(start) ||
      (launch.stdin_path == nullptr && !cloexec_pipe(in))) {
    run.code = static_cast<unsigned long>(errno);
    close_all();
    return run;
  }
  launch.stdin_fd = in[0];
  std::vector<char*> argv;
  for (const std::string& word : launch.command) {
    argv.push_back(const_cast<char*>(word.c_str()));
  }
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  pid_t pid = 0;
  {
    // No handler may run in the child before exec, nor miss the child in the parent.
    const SignalsHeld held;
    pid = fork();
    if (pid == 0) {
      become_program(launch, argv.data(), out[1], start[1], parent, held.old());
    }
    if (pid > 0) {
      setpgid(pid, pid);  // also here, so that the group exists before anyone signals it
      running_group.store(pid);
    }
  }
  const int fork_error = errno;
  for (int* end : {&out[1], &start[1], &in[0]}) {
    if (*end >= 0) {
      close(*end);
      *end = -1;
    }
  }
  if (pid < 0) {
    run.code = static_cast<unsigned long>(fork_error);
    close_all();
    return run;
  }
  const int exec_error = start_error(start[0]);
  int wait_status = 0;
  if (exec_error != 0) {
    close_all();
    waitpid(pid, &wait_status, 0);
    running_group.store(0);
    run.code = static_cast<unsigned long>(exec_error);
    return run;
  }
  // The input is small (a loop's assembly): it fits the pipe, so writing it first cannot
  // wait on a child that writes before it reads.
  if (in[1] >= 0) {
    const SignalsHeld held;  // a reader that has gone must not end the report by SIGPIPE
    while (!input.empty()) {
      const ssize_t written = write(in[1], input.data(), input.size());
      if (written < 0 && errno == EINTR) {
        continue;
      }
      if (written <= 0) {
        break;
      }
      input.remove_prefix(static_cast<std::size_t>(written));
    }
    close(in[1]);
    in[1] = -1;
    sigset_t pending;
    sigpending(&pending);
    timespec none{};
    sigset_t just_pipe;
    sigemptyset(&just_pipe);
    sigaddset(&just_pipe, SIGPIPE);
    if (sigismember(&pending, SIGPIPE) == 1) {
      sigtimedwait(&just_pipe, nullptr, &none);  // the write's own, not one sent to the report
    }
  }

  const Clock::time_point deadline = Clock::now() + limit;
  const bool finished = read_while_running(out[0], pid, deadline, run, kept);
  // The whole group: on time, whatever the program left running; late, the program too.
  kill(-pid, SIGKILL);
  waitpid(pid, &wait_status, 0);
  close_all();
  if (!finished) {
    run.end = ProgramRun::End::timed_out;
  } else if (WIFEXITED(wait_status)) {
    run.end = ProgramRun::End::exited;
    run.code = static_cast<unsigned long>(WEXITSTATUS(wait_status));
  } else if (WIFSIGNALED(wait_status)) {
    run.end = ProgramRun::End::killed;
    run.code = static_cast<unsigned long>(WTERMSIG(wait_status));
  }
  running_group.store(0);
  return run;
}

}  // namespace

ProgramRun run_captured(const std::string& path, std::chrono::seconds limit,
                        const std::string& stdin_path) {
  Launch launch;
  launch.command = {path};
  launch.stdin_path = stdin_path.c_str();
  return run_child(launch, {}, limit, PROGRAM_OUTPUT_KEPT);
}

ProgramRun run_tool(const std::vector<std::string>& command, std::string_view input,
                    std::chrono::seconds limit) {
  Launch launch;
  launch.command = command;
  launch.search_path = true;
  launch.merge_stderr = true;
  return run_child(launch, input, limit, TOOL_OUTPUT_KEPT);
}

std::string tool_path(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) {
    return name;  // execvp takes a name with a slash as a path
  }
  const char* search = std::getenv("PATH");
  const std::string folders = search != nullptr ? search : "/bin:/usr/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    end = end == std::string::npos ? folders.size() : end;
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + name;
    struct stat file {};
    if (stat(candidate.c_str(), &file) == 0 && S_ISREG(file.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return "";
}

std::optional<std::string> why_not_replaceable(const std::string& path) {
  std::error_code ec;
  const fs::path target = fs::weakly_canonical(fs::absolute(path, ec), ec);
  const fs::path folder = target.parent_path();
  const auto refused = [](const std::string& what) {
    return what + " (" + std::strerror(errno) + ")";
  };
  struct stat file {};
  const bool exists = stat(target.c_str(), &file) == 0;
  if (exists && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return refused("this user may not write it");
  }
  // The temporary is made in the folder and renamed over the file: both need its leave.
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    return refused("this user may not make files in its folder " + folder.string());
  }
  struct stat place {};
  if (exists && stat(folder.c_str(), &place) == 0 && (place.st_mode & S_ISVTX) != 0 &&
      geteuid() != 0 && file.st_uid != geteuid() && place.st_uid != geteuid()) {
    return "its folder " + folder.string() +
           " lets only a file's owner replace it, and this user does not own it";
  }
  return std::nullopt;
}

std::string describe_end(const ProgramRun& run, std::chrono::seconds limit) {
  const int code = static_cast<int>(run.code);
  switch (run.end) {
    case ProgramRun::End::exited: return "exit status " + std::to_string(code);
    case ProgramRun::End::killed: {
      const char* name = sigabbrev_np(code);
      return name != nullptr ? std::string("killed by SIG") + name
                             : "killed by signal " + std::to_string(code);
    }
    case ProgramRun::End::timed_out:
      return "still running after " + std::to_string(limit.count()) + " s, stopped";
    case ProgramRun::End::not_started: break;
  }
  return std::string("could not be started: ") + std::strerror(code);
}

std::optional<std::string> why_not_a_program(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    return std::strerror(errno);
  }
  if (S_ISDIR(status.st_mode)) {
    return "is a directory";
  }
  if (!S_ISREG(status.st_mode)) {
    return "is not a regular file";
  }
  if (access(path.c_str(), X_OK) != 0) {
    return std::strerror(errno);
  }
  // exec takes an executable format or a #! line; anything else fails only when run.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return std::strerror(errno);
  }
  std::array<char, 4> head{};
  const ssize_t got = read(fd, head.data(), head.size());
  close(fd);
  const std::string_view start(head.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
  if (start.starts_with("#!") || start ==
                                     "\x7f"
                                     "ELF") {
    return std::nullopt;
  }
  return "is not a program: no #! line and no executable header";
}

std::string own_program() {
  std::error_code error;
  return fs::read_symlink("/proc/self/exe", error).string();
}

std::string own_folder() { return fs::path(own_program()).parent_path().string(); }

std::optional<std::string> standard_stream_at(const std::string& path) {
  struct stat file {};
  if (stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) {
    return std::nullopt;
  }
  for (const auto& [descriptor, name] :
       {std::pair{STDOUT_FILENO, "standard output"}, std::pair{STDERR_FILENO, "standard error"}}) {
    struct stat stream {};
    if (fstat(descriptor, &stream) == 0 && S_ISREG(stream.st_mode) &&
        stream.st_dev == file.st_dev && stream.st_ino == file.st_ino) {
      return std::string(name);
    }
  }
  return std::nullopt;
}

std::vector<std::string> command_line(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

std::size_t terminal_width(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col >= 20) {
    return size.ws_col;
  }
  return 80;
}

std::optional<ReplacedFile> begin_replacing(const std::string& path, std::string& error) {
  std::error_code ec;
  const fs::path target = fs::weakly_canonical(fs::absolute(path, ec), ec);
  if (ec) {
    error = ec.message();
    return std::nullopt;
  }
  std::string hidden = ".";
  hidden.append(target.filename().string()).append(".XXXXXX");
  std::string pattern = (target.parent_path() / hidden).string();
  // The new file gets the old one's permissions, or those of any newly made file.
  struct stat old {};
  mode_t mode = 0;
  const bool replaces = stat(target.c_str(), &old) == 0;
  if (replaces) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  const SignalsHeld held;
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    error = "cannot make a file in its folder " + target.parent_path().string() + " (" +
            std::strerror(errno) + ")";
    return std::nullopt;
  }
  // And its owner, where this process may give a file away (root); elsewhere it may not, and
  // the new file is the user's own.
  if (replaces && (old.st_uid != geteuid() || old.st_gid != getegid())) {
    static_cast<void>(fchown(fd, old.st_uid, old.st_gid));
  }
  const bool fitted = fchmod(fd, mode) == 0;
  close(fd);
  if (!fitted || !remember_temporary(pattern)) {
    error = fitted ? "too many files at once" : std::strerror(errno);
    unlink(pattern.c_str());
    return std::nullopt;
  }
  static const bool removed_at_exit = std::atexit(remove_temporaries) == 0;
  static_cast<void>(removed_at_exit);
  return ReplacedFile{target.string(), pattern};
}

bool finish_replacing(const ReplacedFile& file, std::string_view content, std::string& error) {
  int failure = 0;
  const int fd = open(file.temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) {
    failure = errno;
  }
  while (failure == 0 && !content.empty()) {
    const ssize_t written = write(fd, content.data(), content.size());
    if (written < 0 && errno != EINTR) {
      failure = errno;
    } else if (written > 0) {
      content.remove_prefix(static_cast<std::size_t>(written));
    }
  }
  // On the disk before the rename, so that a crash leaves either the old file or the new.
  if (failure == 0 && fsync(fd) != 0) {
    failure = errno;
  }
  if (fd >= 0 && close(fd) != 0 && failure == 0) {
    failure = errno;
  }
  if (failure == 0 && rename(file.temporary.c_str(), file.path.c_str()) != 0) {
    failure = errno;
  }
  if (failure != 0) {
    unlink(file.temporary.c_str());
    error = std::strerror(failure);
  }
  forget_temporary(file.temporary);
  return failure == 0;
}

void stop_programs_and_temporaries_with_this_process() {
  struct sigaction action {};
  action.sa_handler = stop_everything;
  action.sa_mask = stop_signal_set();  // one handler at a time
  for (const int signal_number : STOP_SIGNALS) {
    // A signal ignored from the start stays ignored, as for any program: nohup, or INT and
    // QUIT in a shell's background job.
    struct sigaction before {};
    if (sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
      sigaction(signal_number, &action, nullptr);
    }
  }
  // A file larger than the limit of the shell (ulimit -f) fails its write, not the report.
  signal(SIGXFSZ, SIG_IGN);
}
