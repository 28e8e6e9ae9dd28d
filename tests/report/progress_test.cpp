// The progress line: redrawn on a terminal, plain lines in a log.
#include "report/progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// What the progress wrote, read back from its temporary file.
std::string written(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    text += static_cast<char>(c);
  }
  return text;
}

TEST(Progress, WritesPlainLinesToALog) {
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  double now = 0;
  Progress progress(3, false, log, [&now] { return now; });
  progress.step("running check_u");
  now = 10;
  progress.step("running bench_euclid_u (1 of 2)");
  progress.finish();
  EXPECT_EQ(written(log),
            "gcd_report: running check_u\ngcd_report: running bench_euclid_u (1 of 2)\n");
  std::fclose(log);
}

TEST(Progress, RedrawsOneLineWithABarAndTheTimeLeft) {
  std::FILE* terminal = std::tmpfile();
  ASSERT_NE(terminal, nullptr);
  double now = 100;
  Progress progress(4, true, terminal, [&now] { return now; });
  progress.step("first");
  now = 110;  // one step took 10 s, so three more take 30 s
  progress.step("second");
  now = 130;
  progress.step("third");
  progress.finish();
  EXPECT_EQ(written(terminal),
            "\r\033[K[....................] 0/4  first"
            "\r\033[K[#####...............] 1/4, 30 s left  second"
            "\r\033[K[##########..........] 2/4, 30 s left  third"
            "\r\033[K");
  std::fclose(terminal);
}

// A round of timing again, beyond the steps counted at the start, counts itself in: the bar
// never runs past its end.
TEST(Progress, CountsInTheStepsOfTimingAgain) {
  std::FILE* terminal = std::tmpfile();
  ASSERT_NE(terminal, nullptr);
  double now = 0;
  Progress progress(2, true, terminal, [&now] { return now; });
  progress.step("first");
  now = 10;
  progress.step("second");
  now = 20;
  progress.step("timing again", true);
  progress.finish();
  EXPECT_EQ(written(terminal),
            "\r\033[K[....................] 0/2  first"
            "\r\033[K[##########..........] 1/2, 10 s left  second"
            "\r\033[K[#############.......] 2/3, 10 s left  timing again"
            "\r\033[K");
  std::fclose(terminal);
}

}  // namespace
