// The report's host layer: files replaced whole or not at all, and what can be started.
#include "platform/host.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
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
  EXPECT_EQ(error, "No such file or directory");
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
