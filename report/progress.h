// Progress of the report on standard error: one line that redraws itself on a terminal,
// plain lines in a log. Nothing of it goes to standard output.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

class Progress {
 public:
  // total steps; redraw: one self-redrawing line (a terminal) or a line per step (a log);
  // now: seconds on a steady clock (given, so that a test can set the time).
  Progress(std::size_t total, bool redraw, std::FILE* out, std::function<double()> now);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Announces the next step: "running bench_binary_u (3 of 5)"; one beyond the steps counted
  // at the start (extra), a round of timing again, counts itself in.
  void step(const std::string& what, bool extra = false);
  // Clears the redrawn line, so that what follows starts on a clean line.
  void finish();

 private:
  std::size_t total_;
  std::size_t started_ = 0;
  bool redraw_;
  std::FILE* out_;
  std::function<double()> now_;
  double start_time_;
};
