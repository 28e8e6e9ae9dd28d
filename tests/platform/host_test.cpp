// The report's host layer: files replaced whole or not at all, and what can be started.
#include "platform/host.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

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

}  // namespace
