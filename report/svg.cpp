// Drawing the sweep as SVG.
#include "report/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "study/fit.h"
#include "study/stats.h"

namespace {

constexpr double WIDTH = 1000;
constexpr double HEIGHT = 580;
constexpr double PLOT_TOP = 90;
constexpr double PLOT_BOTTOM = 440;
constexpr double PLOT_WIDTH = 370;

struct Style {
  const char* colour;
  const char* dash;  // stroke-dasharray, "" for a solid line
};

// The theory lines: wide and pale, under the measured lines, which should lie along them.
constexpr Style THEORY{"#c8c8c8", ""};

// Euclid blue and binary orange, signed dashed; the peers in colours of their own.
Style style_of(const std::string& kernel, std::size_t index) {
  if (kernel == "gcd_euclid_u") return {"#1f5fa8", ""};
  if (kernel == "gcd_euclid_s") return {"#1f5fa8", "7 4"};
  if (kernel == "gcd_binary_u") return {"#d9661f", ""};
  if (kernel == "gcd_binary_s") return {"#d9661f", "7 4"};
  static constexpr const char* PEER_COLOURS[] = {"#2e8b3a", "#7b3fa0", "#8c5a2b", "#555555"};
  return {PEER_COLOURS[index % std::size(PEER_COLOURS)], ""};
}

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// A step of 1, 2 or 5 times a power of ten that cuts the range into at most 8 parts.
double tick_step(double range) {
  const double rough = range / 8;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (factor * power >= rough) {
      return factor * power;
    }
  }
  return 10 * power;
}

struct Point {
  double bits;
  double value;
};

struct Series {
  std::string kernel;
  std::vector<Point> points;
};

class Panel {
 public:
  Panel(double left, double y_low, double y_high) : left_(left) {
    step_ = tick_step(std::max(y_high - y_low, 1e-9));
    y_low_ = std::floor(y_low / step_) * step_;
    y_high_ = std::ceil(y_high / step_) * step_;
  }

  [[nodiscard]] double x(double bits) const { return left_ + bits / 32.0 * PLOT_WIDTH; }
  [[nodiscard]] double y(double value) const {
    return PLOT_BOTTOM - (value - y_low_) / (y_high_ - y_low_) * (PLOT_BOTTOM - PLOT_TOP);
  }

  void axes(std::string& out, const std::string& title, const std::string& unit) const {
    out += "<g class=\"axes\" font-size=\"12\" fill=\"#333\">\n";
    out += "<text x=\"" + number(left_ + PLOT_WIDTH / 2) + "\" y=\"" + number(PLOT_TOP - 14) +
           "\" text-anchor=\"middle\" font-size=\"15\" font-weight=\"bold\">" + escaped(title) +
           "</text>\n";
    for (double value = y_low_; value <= y_high_ + step_ / 2; value += step_) {
      out += "<line x1=\"" + number(left_) + "\" x2=\"" + number(left_ + PLOT_WIDTH) + "\" y1=\"" +
             number(y(value)) + "\" y2=\"" + number(y(value)) + "\" stroke=\"#ddd\"/>\n";
      char label[32];
      std::snprintf(label, sizeof label, step_ < 1 ? "%.1f" : "%.0f", value);
      out += "<text x=\"" + number(left_ - 6) + "\" y=\"" + number(y(value) + 4) +
             "\" text-anchor=\"end\">" + label + "</text>\n";
    }
    for (int bits = 0; bits <= 32; bits += 4) {
      out += "<line x1=\"" + number(x(bits)) + "\" x2=\"" + number(x(bits)) + "\" y1=\"" +
             number(PLOT_BOTTOM) + "\" y2=\"" + number(PLOT_BOTTOM + 5) + "\" stroke=\"#333\"/>\n";
      out += "<text x=\"" + number(x(bits)) + "\" y=\"" + number(PLOT_BOTTOM + 19) +
             "\" text-anchor=\"middle\">" + std::to_string(bits) + "</text>\n";
    }
    out += "<rect x=\"" + number(left_) + "\" y=\"" + number(PLOT_TOP) + "\" width=\"" +
           number(PLOT_WIDTH) + "\" height=\"" + number(PLOT_BOTTOM - PLOT_TOP) +
           "\" fill=\"none\" stroke=\"#333\"/>\n";
    out += "<text x=\"" + number(left_ + PLOT_WIDTH / 2) + "\" y=\"" + number(PLOT_BOTTOM + 40) +
           "\" text-anchor=\"middle\">operand size (bits)</text>\n";
    const double middle = (PLOT_TOP + PLOT_BOTTOM) / 2;
    out += "<text x=\"" + number(left_ - 48) + "\" y=\"" + number(middle) +
           "\" text-anchor=\"middle\" transform=\"rotate(-90 " + number(left_ - 48) + " " +
           number(middle) + ")\">" + escaped(unit) + "</text>\n";
    out += "</g>\n";
  }

  // A second scale on the right: the left one's values times scale, at round values of its
  // own (cycles, where the left axis is in ns).
  void right_axis(std::string& out, const std::string& unit, double scale) const {
    const double low = y_low_ * scale;
    const double high = y_high_ * scale;
    const double step = tick_step(std::max(high - low, 1e-9));
    out += "<g class=\"right-axis\" font-size=\"12\" fill=\"#333\">\n";
    for (double value = std::ceil(low / step) * step; value <= high + step / 1000; value += step) {
      const double at = y(value / scale);
      out += "<line x1=\"" + number(left_ + PLOT_WIDTH) + "\" x2=\"" +
             number(left_ + PLOT_WIDTH + 5) + "\" y1=\"" + number(at) + "\" y2=\"" + number(at) +
             "\" stroke=\"#333\"/>\n";
      char label[32];
      std::snprintf(label, sizeof label, step < 1 ? "%.1f" : "%.0f", value);
      out += "<text x=\"" + number(left_ + PLOT_WIDTH + 8) + "\" y=\"" + number(at + 4) + "\">" +
             label + "</text>\n";
    }
    const double middle = (PLOT_TOP + PLOT_BOTTOM) / 2;
    const double x = left_ + PLOT_WIDTH + 52;
    out += "<text x=\"" + number(x) + "\" y=\"" + number(middle) +
           "\" text-anchor=\"middle\" transform=\"rotate(90 " + number(x) + " " + number(middle) +
           ")\">" + escaped(unit) + "</text>\n</g>\n";
  }

  void line(std::string& out, const Series& series, const Style& style, const char* kind) const {
    out += "<g class=\"series " + std::string(kind) + "\" data-kernel=\"" + escaped(series.kernel) +
           "\">\n<polyline fill=\"none\" stroke=\"" + style.colour + "\" stroke-width=\"2\"" +
           (*style.dash != '\0' ? " stroke-dasharray=\"" + std::string(style.dash) + "\"" : "") +
           " points=\"";
    for (const Point& point : series.points) {
      out += number(x(point.bits)) + "," + number(y(point.value)) + " ";
    }
    out += "\"/>\n</g>\n";
  }

 private:
  double left_;
  double step_ = 1;
  double y_low_ = 0;
  double y_high_ = 1;
};

std::vector<Series> collect(const Study& study, bool passes) {
  std::vector<Series> all;
  for (const SweepFigures& point : study.sweep) {
    const std::optional<double> value =
        passes ? point.passes_per_call : std::optional<double>(median(point.ns_per_call));
    if (!value) {
      continue;
    }
    if (all.empty() || all.back().kernel != point.kernel) {
      all.push_back({point.kernel, {}});
    }
    all.back().points.push_back({static_cast<double>(point.bits), *value});
  }
  return all;
}

std::pair<double, double> value_range(const std::vector<Series>& all) {
  double low = 0;
  double high = 1;
  for (const Series& series : all) {
    for (const Point& point : series.points) {
      low = std::min(low, point.value);
      high = std::max(high, point.value);
    }
  }
  return {low, high};
}

// The theory line of an algorithm: the constant's slope, through the middle of the measured
// passes of the unsigned kernel over the fitted sizes, so that the slopes can be compared.
std::optional<Series> theory_line(const Study& study, const std::vector<Series>& passes,
                                  const std::string& kernel, double slope) {
  for (const Series& series : passes) {
    if (series.kernel != kernel) {
      continue;
    }
    double sum_bits = 0;
    double sum_passes = 0;
    int count = 0;
    for (const Point& point : series.points) {
      if (point.bits >= study.settings.fit_from_bits) {
        sum_bits += point.bits;
        sum_passes += point.value;
        ++count;
      }
    }
    if (count == 0) {
      return std::nullopt;
    }
    const double intercept = sum_passes / count - slope * sum_bits / count;
    const double from = std::max(0.0, -intercept / slope);
    return Series{kernel, {{from, slope * from + intercept}, {32, slope * 32 + intercept}}};
  }
  return std::nullopt;
}

}  // namespace

std::string draw_svg(const Results& results) {
  const Study& study = results.study;
  const std::vector<Series> ns = collect(study, false);
  const std::vector<Series> passes = collect(study, true);

  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
      number(WIDTH) + "\" height=\"" + number(HEIGHT) + "\" viewBox=\"0 0 " + number(WIDTH) + " " +
      number(HEIGHT) +
      "\" font-family=\"DejaVu Sans, Verdana, sans-serif\">\n"
      "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out += "<text x=\"" + number(WIDTH / 2) +
         "\" y=\"32\" text-anchor=\"middle\" font-size=\"18\" font-weight=\"bold\">" +
         escaped("GCD of 32-bit words: " + results.machine.processor + ", " +
                 results.machine.compiler + ", " + results.machine.build_type + " build") +
         "</text>\n";
  char subtitle[160];
  std::snprintf(subtitle, sizeof subtitle,
                "%u uniform pairs per size; ns are medians of %u repetitions, net of the loop",
                static_cast<unsigned>(study.settings.sweep_pairs), study.settings.repetitions);
  out += "<text x=\"" + number(WIDTH / 2) +
         "\" y=\"54\" text-anchor=\"middle\" font-size=\"13\" fill=\"#555\">" + subtitle +
         "</text>\n";

  const auto [ns_low, ns_high] = value_range(ns);
  const Panel time_panel(80, ns_low, ns_high);
  time_panel.axes(out, "Time per call", "ns per call");
  if (const std::optional<double> ghz = study.ghz()) {
    char unit[64];
    std::snprintf(unit, sizeof unit, "cycles per call (at %.2f GHz)", *ghz);
    time_panel.right_axis(out, unit, *ghz);
  }
  for (std::size_t i = 0; i < ns.size(); ++i) {
    time_panel.line(out, ns[i], style_of(ns[i].kernel, i), "ns");
  }

  const auto [passes_low, passes_high] = value_range(passes);
  const Panel passes_panel(600, passes_low, passes_high);
  passes_panel.axes(out, "Passes per call", "passes per call");
  out += "<g class=\"theory\" stroke=\"" + std::string(THEORY.colour) +
         "\" stroke-width=\"6\" stroke-linecap=\"round\">\n";
  for (const auto& [kernel, slope] : {std::pair{"gcd_euclid_u", EUCLID_PASSES_PER_BIT},
                                      std::pair{"gcd_binary_u", BINARY_PASSES_PER_BIT}}) {
    if (const std::optional<Series> line = theory_line(study, passes, kernel, slope)) {
      out += "<line x1=\"" + number(passes_panel.x(line->points[0].bits)) + "\" y1=\"" +
             number(passes_panel.y(line->points[0].value)) + "\" x2=\"" +
             number(passes_panel.x(line->points[1].bits)) + "\" y2=\"" +
             number(passes_panel.y(line->points[1].value)) + "\"/>\n";
    }
  }
  out += "</g>\n";
  for (std::size_t i = 0; i < passes.size(); ++i) {
    passes_panel.line(out, passes[i], style_of(passes[i].kernel, i), "passes");
  }

  // The legend: every kernel once, four to a row, then the theory lines on a row of their own.
  out += "<g class=\"legend\" font-size=\"12\" fill=\"#333\">\n";
  const auto entry = [&out](double column, double row, const Style& style, double width,
                            const std::string& label) {
    out += "<line x1=\"" + number(column) + "\" x2=\"" + number(column + 28) + "\" y1=\"" +
           number(row - 4) + "\" y2=\"" + number(row - 4) + "\" stroke=\"" + style.colour +
           "\" stroke-width=\"" + number(width) + "\"" +
           (*style.dash != '\0' ? " stroke-dasharray=\"" + std::string(style.dash) + "\"" : "") +
           "/>\n<text x=\"" + number(column + 34) + "\" y=\"" + number(row) + "\">" +
           escaped(label) + "</text>\n";
  };
  for (std::size_t i = 0; i < ns.size(); ++i) {
    entry(80 + static_cast<double>(i % 4) * 230, 510 + static_cast<double>(i / 4) * 22,
          style_of(ns[i].kernel, i), 2, ns[i].kernel);
  }
  char theory[128];
  std::snprintf(theory, sizeof theory,
                "theory: %.4f passes per bit (Euclid), %.4f (binary), through the measured passes",
                EUCLID_PASSES_PER_BIT, BINARY_PASSES_PER_BIT);
  entry(80, 510 + static_cast<double>((ns.size() + 3) / 4) * 22, THEORY, 6, theory);
  out += "</g>\n</svg>\n";
  return out;
}
