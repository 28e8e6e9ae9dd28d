// Drawing the progress line.
#include "report/progress.h"

#include <cmath>

#include "platform/host.h"

namespace {

constexpr std::size_t BAR_WIDTH = 20;

std::string time_left(double seconds) {
  const auto whole = static_cast<long>(std::lround(seconds));
  if (whole >= 60) {
    return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s left";
  }
  return std::to_string(whole) + " s left";
}

}  // namespace

Progress::Progress(std::size_t total, bool redraw, std::FILE* out, std::function<double()> now)
    : total_(total), redraw_(redraw), out_(out), now_(std::move(now)), start_time_(now_()) {}

void Progress::step(const std::string& what, bool extra) {
  total_ += extra ? 1 : 0;
  const std::size_t done = started_;
  ++started_;
  if (!redraw_) {
    std::fprintf(out_, "gcd_report: %s\n", what.c_str());
    std::fflush(out_);
    return;
  }
  const std::size_t filled = total_ > 0 ? done * BAR_WIDTH / total_ : BAR_WIDTH;
  std::string line(1, '[');
  line.append(filled, '#').append(BAR_WIDTH - filled, '.');
  line += "] " + std::to_string(done) + "/" + std::to_string(total_);
  // The time left, from the pace so far: unknown until one step is done.
  if (done > 0) {
    const double elapsed = now_() - start_time_;
    line +=
        ", " + time_left(elapsed / static_cast<double>(done) * static_cast<double>(total_ - done));
  }
  line += "  " + what;
  const std::size_t width = terminal_width(out_) - 1;  // the last column would wrap
  if (line.size() > width) {
    line.resize(width);
  }
  std::fprintf(out_, "\r\033[K%s", line.c_str());
  std::fflush(out_);
}

void Progress::finish() {
  if (redraw_) {
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
  }
}
