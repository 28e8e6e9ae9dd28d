// Drawing primitives of the report's pictures.
#include "report/picture/svg_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "report/words/utf8.h"

namespace {

// The characters XML 1.0 allows in a document.
bool allowed_in_xml(std::uint32_t code_point) {
  return code_point == 0x9 || code_point == 0xA || code_point == 0xD ||
         (code_point >= 0x20 && code_point <= 0xD7FF) ||
         (code_point >= 0xE000 && code_point <= 0xFFFD) || code_point >= 0x10000;
}

}  // namespace

std::string escaped(const std::string& text) {
  std::string out;
  std::string_view rest = text;
  while (!rest.empty()) {
    std::uint32_t code_point = 0;
    const std::size_t length = utf8_sequence(rest, code_point);
    if (length == 0 || !allowed_in_xml(code_point)) {
      append_utf8(out, 0xFFFD);  // the replacement character, where XML takes no other
    } else if (code_point == '&') {
      out += "&amp;";
    } else if (code_point == '<') {
      out += "&lt;";
    } else if (code_point == '>') {
      out += "&gt;";
    } else if (code_point == '"') {
      out += "&quot;";
    } else {
      out.append(rest.substr(0, length));
    }
    rest.remove_prefix(length == 0 ? 1 : length);
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

std::string svg_start(double height, const std::string& title, const std::string& subtitle) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
      number(SVG_WIDTH) + "\" height=\"" + number(height) + "\" viewBox=\"0 0 " +
      number(SVG_WIDTH) + " " + number(height) +
      "\" font-family=\"DejaVu Sans, Verdana, sans-serif\">\n"
      "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out += "<text x=\"" + number(SVG_WIDTH / 2) +
         "\" y=\"32\" text-anchor=\"middle\" font-size=\"18\" font-weight=\"bold\">" +
         escaped(title) + "</text>\n";
  out += "<text x=\"" + number(SVG_WIDTH / 2) +
         "\" y=\"54\" text-anchor=\"middle\" font-size=\"13\" fill=\"#555\">" + escaped(subtitle) +
         "</text>\n";
  return out;
}

void legend_entry(std::string& out, double column, double row, const Style& style, double width,
                  const std::string& label) {
  out += "<line x1=\"" + number(column) + "\" x2=\"" + number(column + 28) + "\" y1=\"" +
         number(row - 4) + "\" y2=\"" + number(row - 4) + "\" stroke=\"" + style.colour +
         "\" stroke-width=\"" + number(width) + "\"" +
         (*style.dash != '\0' ? " stroke-dasharray=\"" + std::string(style.dash) + "\"" : "") +
         "/>\n<text x=\"" + number(column + 34) + "\" y=\"" + number(row) + "\">" + escaped(label) +
         "</text>\n";
}

Panel::Panel(double left, double y_low, double y_high, const PanelFrame& frame)
    : left_(left), frame_(frame) {
  step_ = tick_step(std::max(y_high - y_low, 1e-9));
  y_low_ = std::floor(y_low / step_) * step_;
  y_high_ = std::ceil(y_high / step_) * step_;
}

void Panel::axes(std::string& out, const std::string& title, const std::string& unit) const {
  out += "<g class=\"axes\" font-size=\"12\" fill=\"#333\">\n";
  out += "<text x=\"" + number(left_ + PLOT_WIDTH / 2) + "\" y=\"" + number(frame_.top - 14) +
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
  for (double at = 0; at <= frame_.x_high + frame_.x_step / 1000; at += frame_.x_step) {
    out += "<line x1=\"" + number(x(at)) + "\" x2=\"" + number(x(at)) + "\" y1=\"" +
           number(frame_.bottom) + "\" y2=\"" + number(frame_.bottom + 5) +
           "\" stroke=\"#333\"/>\n";
    out += "<text x=\"" + number(x(at)) + "\" y=\"" + number(frame_.bottom + 19) +
           "\" text-anchor=\"middle\">" + std::to_string(static_cast<long>(at)) + "</text>\n";
  }
  out += "<rect x=\"" + number(left_) + "\" y=\"" + number(frame_.top) + "\" width=\"" +
         number(PLOT_WIDTH) + "\" height=\"" + number(frame_.bottom - frame_.top) +
         "\" fill=\"none\" stroke=\"#333\"/>\n";
  out += "<text x=\"" + number(left_ + PLOT_WIDTH / 2) + "\" y=\"" + number(frame_.bottom + 40) +
         "\" text-anchor=\"middle\">" + escaped(frame_.x_label) + "</text>\n";
  const double middle = (frame_.top + frame_.bottom) / 2;
  out += "<text x=\"" + number(left_ - 48) + "\" y=\"" + number(middle) +
         "\" text-anchor=\"middle\" transform=\"rotate(-90 " + number(left_ - 48) + " " +
         number(middle) + ")\">" + escaped(unit) + "</text>\n";
  out += "</g>\n";
}

void Panel::right_axis(std::string& out, const std::string& unit, double scale) const {
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
  const double middle = (frame_.top + frame_.bottom) / 2;
  const double x = left_ + PLOT_WIDTH + 52;
  out += "<text x=\"" + number(x) + "\" y=\"" + number(middle) +
         "\" text-anchor=\"middle\" transform=\"rotate(90 " + number(x) + " " + number(middle) +
         ")\">" + escaped(unit) + "</text>\n</g>\n";
}

void Panel::line(std::string& out, const Series& series, const Style& style,
                 const char* kind) const {
  out += "<g class=\"series " + std::string(kind) + "\" data-kernel=\"" + escaped(series.name) +
         "\">\n<polyline fill=\"none\" stroke=\"" + style.colour + "\" stroke-width=\"2\"" +
         (*style.dash != '\0' ? " stroke-dasharray=\"" + std::string(style.dash) + "\"" : "") +
         " points=\"";
  for (const Point& point : series.points) {
    out += number(x(point.bits)) + "," + number(y(point.value)) + " ";
  }
  out += "\"/>\n</g>\n";
}

void Panel::dots(std::string& out, const Series& series, const Style& style, const char* kind,
                 double radius, bool filled) const {
  out += "<g class=\"series " + std::string(kind) + "\" data-kernel=\"" + escaped(series.name) +
         "\" stroke=\"" + style.colour + "\" stroke-width=\"1.5\" fill=\"" +
         (filled ? style.colour : "white") + "\">\n";
  for (const Point& point : series.points) {
    out += "<circle cx=\"" + number(x(point.bits)) + "\" cy=\"" + number(y(point.value)) +
           "\" r=\"" + number(radius) + "\"/>\n";
  }
  out += "</g>\n";
}
