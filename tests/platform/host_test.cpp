// The report's host layer: files replaced whole or not at all, and what can be started.
#include "platform/host.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string content_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ReplacedFile, TakesTheNewContentWhole) {
  const TempFolder folder;
  const std::string path = folder.file("report.json", "old");
  std::string error;
  const std::optional<ReplacedFile> file = begin_replacing(path, error);
  ASSERT_TRUE(file) << error;
  EXPECT_EQ(folder.entries(), 2U);  // the temporary beside the old file
  ASSERT_TRUE(finish_replacing(*file, "new content", error)) << error;
  EXPECT_EQ(content_of(path), "new content");
  EXPECT_EQ(folder.entries(), 1U);
}

// A write that fails half way (here: past the file size limit, as on a full disk) keeps
// the old file as it was and leaves no temporary behind.
TEST(ReplacedFile, KeepsTheOldFileWhenTheNewOneCannotBeWritten) {
  const TempFolder folder;
  const std::string path = folder.file("report.json", "the old results");
  std::string error;
  const std::optional<ReplacedFile> file = begin_replacing(path, error);
  ASSERT_TRUE(file) << error;
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit small = old_limit;
  small.rlim_cur = 4096;
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = finish_replacing(*file, std::string(10000, 'x'), error);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "File too large");
  EXPECT_EQ(content_of(path), "the old results");
  EXPECT_EQ(folder.entries(), 1U);
}

TEST(ReplacedFile, NeedsAFolderThatTakesNewFiles) {
  std::string error;
  EXPECT_FALSE(begin_replacing("/proc/report.json", error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(begin_replacing("/nonexistent/report.json", error));
  EXPECT_EQ(error, "cannot make a file in its folder /nonexistent (No such file or directory)");
}

// Who may replace a file is the system's answer for this user, naming the file or the folder
// that refuses. Run as root, the checks run in a child that has become nobody: root may write
// anything, and the answer for another user is the one to check.
TEST(WhyNotReplaceable, AsksTheSystemForThisUserAndNamesWhatRefuses) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "NOT CHECKED: only root can become another user to ask for it";
  }
  const TempFolder folder;
  fs::permissions(folder.path(), fs::perms::all);
  const auto made = [&](const char* name, fs::perms perms) {
    const std::string path = folder.path() + "/" + name;
    fs::create_directory(path);
    fs::permissions(path, perms);
    return path;
  };
  const std::string open = made("open", fs::perms::all);  // anyone may make files here
  const std::string shut = made("shut", fs::perms::owner_all | fs::perms::group_read |
                                            fs::perms::group_exec | fs::perms::others_read |
                                            fs::perms::others_exec);
  const std::string sticky = made("sticky", fs::perms::all | fs::perms::sticky_bit);
  const auto file = [](const std::string& path, fs::perms perms) {
    std::ofstream(path) << "root's";
    fs::permissions(path, perms);
    return path;
  };
  const fs::perms read_only = fs::perms::owner_read | fs::perms::owner_write |
                              fs::perms::group_read | fs::perms::others_read;
  const fs::perms anyone = read_only | fs::perms::group_write | fs::perms::others_write;
  const std::vector<std::string> paths{file(open + "/root.json", read_only),
                                       file(shut + "/anyones.json", anyone),
                                       file(sticky + "/anyones.json", anyone), open + "/new.json"};
  int answers[2];
  ASSERT_EQ(pipe(answers), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(answers[0]);
    std::string said;
    if (setgid(65534) != 0 || setuid(65534) != 0) {
      said = "could not become nobody";
    }
    for (const std::string& path : paths) {
      said += why_not_replaceable(path).value_or("may") + "\n";
    }
    [[maybe_unused]] const ssize_t written = write(answers[1], said.data(), said.size());
    _exit(0);
  }
  close(answers[1]);
  std::string said;
  char buffer[512];
  for (ssize_t got; (got = read(answers[0], buffer, sizeof buffer)) > 0;) {
    said.append(buffer, static_cast<std::size_t>(got));
  }
  close(answers[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(said, "this user may not write it (Permission denied)\n"
                  "this user may not make files in its folder " + shut +
                      " (Permission denied)\n"
                      "its folder " + sticky +
                      " lets only a file's owner replace it, and this user does not own it\n"
                      "may\n");
  // Root itself may.
  EXPECT_EQ(why_not_replaceable(paths[0]), std::nullopt);
}

TEST(WhyNotAProgram, TellsBeforeTheRun) {
  const TempFolder folder;
  const fs::perms runnable = fs::perms::owner_all;
  EXPECT_EQ(why_not_a_program(folder.file("script", "#!/bin/sh\nexit 0\n", runnable)),
            std::nullopt);
  EXPECT_EQ(why_not_a_program("/bin/true"), std::nullopt);
  EXPECT_EQ(why_not_a_program(folder.path()), "is a directory");
  EXPECT_EQ(why_not_a_program(folder.file("text", "exit 0\n", runnable)),
            "is not a program: no #! line and no executable header");
  EXPECT_EQ(why_not_a_program(folder.file("empty", "", runnable)),
            "is not a program: no #! line and no executable header");
  EXPECT_EQ(why_not_a_program("/dev/null"), "is not a regular file");
  EXPECT_EQ(why_not_a_program(folder.path() + "/missing"), "No such file or directory");
  EXPECT_EQ(why_not_a_program(folder.file("not_executable", "#!/bin/sh\n")), "Permission denied");
}

// A program that writes without end costs no more memory than what is kept of it; the rest is
// read, counted and dropped.
TEST(RunCaptured, KeepsAtMostItsShareOfEndlessOutput) {
  const TempFolder folder;
  const std::string endless = folder.file("endless", "#!/bin/sh\nexec yes\n", fs::perms::owner_all);
  const ProgramRun run = run_captured(endless, std::chrono::seconds(1));
  EXPECT_EQ(run.end, ProgramRun::End::timed_out);
  EXPECT_EQ(run.out.size(), PROGRAM_OUTPUT_KEPT);
  EXPECT_GT(run.dropped, 0U);
  const ProgramRun tool = run_tool({"yes"}, "", std::chrono::seconds(1));
  EXPECT_EQ(tool.out.size(), TOOL_OUTPUT_KEPT);
  EXPECT_GT(tool.dropped, 0U);
}

// Gone, or a zombie that no one has reaped yet: not running on.
bool stopped(const std::string& pid) {
  for (int tries = 0; tries < 100; ++tries) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string number;
    std::string name;
    std::string state;
    if (!(stat >> number >> name >> state) || state == "Z") {
      return true;
    }
    usleep(50'000);
  }
  return false;
}

// A program is done when it exits, even where what it started holds its output open; and
// what it started is stopped with it.
TEST(RunCaptured, EndsWithTheProgramNotWithWhatItLeftRunning) {
  const TempFolder folder;
  const std::string pid_file = folder.path() + "/child";
  const std::string program = folder.file(
      "leaves_a_child",
      "#!/bin/sh\nsleep 30 &\necho $! > '" + pid_file + "'\nprintf 'Errors count = 0'\n",
      fs::perms::owner_all);
  const ProgramRun run = run_captured(program, std::chrono::seconds(20));
  EXPECT_EQ(run.end, ProgramRun::End::exited);
  EXPECT_EQ(run.code, 0U);
  EXPECT_EQ(run.out, "Errors count = 0");
  std::string child = content_of(pid_file);
  child.erase(child.find_last_not_of('\n') + 1);
  ASSERT_FALSE(child.empty());
  EXPECT_TRUE(stopped(child)) << "sleep " << child << " runs on";
  if (!stopped(child)) {
    kill(std::stoi(child), SIGKILL);
  }
}

}  // namespace
