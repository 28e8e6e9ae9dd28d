// The report's files: inputs read only when they are small regular files, outputs checked.
#include "report/files/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(ReadBounded, ReadsOnlySmallRegularFiles) {
  const TempFolder folder;
  std::string error;
  EXPECT_EQ(read_bounded(folder.file("ok.json", "{}\n"), 100, error), "{}\n");
  EXPECT_EQ(read_bounded(folder.file("exact", std::string(100, 'x')), 100, error)->size(), 100U);

  // A named pipe with no writer, and devices that never end: refused without a read.
  const std::string fifo = folder.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Row {
    std::string path;
    std::string error;
  };
  const Row rows[] = {
      {folder.file("large", std::string(101, 'x')), "is larger than 0 MiB"},
      {folder.path(), "is a directory"},
      {fifo, "is not a regular file"},
      {"/dev/zero", "is not a regular file"},
      {folder.path() + "/missing", "No such file or directory"},
  };
  for (const Row& row : rows) {
    EXPECT_FALSE(read_bounded(row.path, 100, error)) << row.path;
    EXPECT_EQ(error, row.error) << row.path;
  }
  EXPECT_FALSE(read_bounded(folder.file("big", std::string(1 << 20, 'x')), (1 << 20) - 1, error));
  EXPECT_EQ(error, "is larger than 0 MiB");
  EXPECT_FALSE(read_bounded(folder.file("bigger", std::string(3 << 20, 'x')), 2 << 20, error));
  EXPECT_EQ(error, "is larger than 2 MiB");
}

TEST(WhyNotWritable, NamesWhatIsInTheWay) {
  const TempFolder folder;
  EXPECT_EQ(why_not_writable(folder.path() + "/new.json"), std::nullopt);
  EXPECT_EQ(why_not_writable(folder.file("old.json", "{}")), std::nullopt);
  EXPECT_EQ(why_not_writable(folder.path()), "is a directory");
  EXPECT_EQ(why_not_writable("/dev/full"), "is not a regular file");
  EXPECT_EQ(why_not_writable(folder.path() + "/no/such.json"),
            "its folder " + folder.path() + "/no is not there");
}

TEST(SameFile, SeesThroughSpellingsAndLinks) {
  const TempFolder folder;
  const std::string a = folder.file("a.json", "{}");
  ASSERT_EQ(symlink(a.c_str(), (folder.path() + "/link").c_str()), 0);
  EXPECT_TRUE(same_file(a, folder.path() + "/./a.json"));
  EXPECT_TRUE(same_file(a, folder.path() + "/link"));
  EXPECT_TRUE(same_file(folder.path() + "/new", folder.path() + "/x/../new"));  // neither exists
  EXPECT_FALSE(same_file(a, folder.path() + "/b.json"));
}

}  // namespace
