// Drawing primitives of the report's pictures: a panel of lines against operand size, with
// its axes, and the document around it; self-contained SVG that any browser opens.
#pragma once

#include <string>
#include <vector>

inline constexpr double SVG_WIDTH = 1000;
inline constexpr double PLOT_TOP = 90;
inline constexpr double PLOT_BOTTOM = 440;
inline constexpr double PLOT_WIDTH = 370;

struct Style {
  const char* colour;
  const char* dash;  // stroke-dasharray, "" for a solid line
};

struct Point {
  double bits;  // or whatever the panel's horizontal axis shows
  double value;
};

struct Series {
  std::string name;
  std::vector<Point> points;
};

// Text for XML: the special characters as entities, and U+FFFD for every character XML
// forbids (most controls, U+FFFE, U+FFFF) and every byte that is not valid UTF-8.
[[nodiscard]] std::string escaped(const std::string& text);
// A coordinate or size, to a tenth.
[[nodiscard]] std::string number(double value);
// A step of 1, 2 or 5 times a power of ten that cuts the range into at most 8 parts.
[[nodiscard]] double tick_step(double range);
// The lowest and highest value of all the series, 0 and 1 at least.
[[nodiscard]] std::pair<double, double> value_range(const std::vector<Series>& all);

// The start of the document, its title and subtitle; end it with "</svg>\n".
[[nodiscard]] std::string svg_start(double height, const std::string& title,
                                    const std::string& subtitle);

// One legend entry: a short line in the style, and its label.
void legend_entry(std::string& out, double column, double row, const Style& style, double width,
                  const std::string& label);

// Where a panel stands and what its horizontal axis shows: by default operand size, 0 to 32
// bits, in the first row of panels.
struct PanelFrame {
  double top = PLOT_TOP;
  double bottom = PLOT_BOTTOM;
  double x_high = 32;
  double x_step = 4;  // between the ticks of the horizontal axis
  const char* x_label = "operand size (bits)";
};

// A panel of lines at a left edge, its vertical scale from the values it must show.
class Panel {
 public:
  Panel(double left, double y_low, double y_high, const PanelFrame& frame = PanelFrame{});

  [[nodiscard]] double x(double at) const { return left_ + at / frame_.x_high * PLOT_WIDTH; }
  [[nodiscard]] double y(double value) const {
    return frame_.bottom - (value - y_low_) / (y_high_ - y_low_) * (frame_.bottom - frame_.top);
  }

  void axes(std::string& out, const std::string& title, const std::string& unit) const;
  // A second scale on the right: the left one's values times scale, at round values of its
  // own (cycles, where the left axis is in ns).
  void right_axis(std::string& out, const std::string& unit, double scale) const;
  // A series as a <g class="series KIND" data-kernel="NAME"> with its polyline.
  void line(std::string& out, const Series& series, const Style& style, const char* kind) const;
  // A series as dots of the radius given, filled or hollow, in a <g class="series KIND">.
  void dots(std::string& out, const Series& series, const Style& style, const char* kind,
            double radius, bool filled) const;

 private:
  double left_;
  PanelFrame frame_;
  double step_ = 1;
  double y_low_ = 0;
  double y_high_ = 1;
};
