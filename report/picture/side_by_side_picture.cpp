// Drawing reports side by side.
#include "report/picture/side_by_side_picture.h"

#include "report/picture/svg_panel.h"

namespace {

constexpr const char* COLOURS[] = {"#1f5fa8", "#d9661f", "#2e8b3a", "#7b3fa0",
                                   "#8c5a2b", "#c2185b", "#00838f", "#555555"};
// After the eighth report the colours come round again, dashed: 24 reports each their own.
constexpr const char* DASHES[] = {"", "8 4", "2 3"};

Style style_of(std::size_t report) {
  const std::size_t colours = std::size(COLOURS);
  return {COLOURS[report % colours], DASHES[report / colours % std::size(DASHES)]};
}

Series speedup_line(const Study& study, const char* euclid, const char* binary,
                    const std::string& name) {
  Series series{name, {}};
  for (const SpeedupPoint& point : sweep_speedup(study, euclid, binary)) {
    series.points.push_back({static_cast<double>(point.bits), point.speedup});
  }
  return series;
}

}  // namespace

std::string draw_side_by_side(const std::vector<NamedReport>& reports) {
  const double height = 510 + static_cast<double>((reports.size() + 1) / 2) * 22 + 10;
  std::vector<Series> unsigned_lines;
  std::vector<Series> signed_lines;
  for (const NamedReport& report : reports) {
    unsigned_lines.push_back(
        speedup_line(report.results.study, "gcd_euclid_u", "gcd_binary_u", report.name));
    signed_lines.push_back(
        speedup_line(report.results.study, "gcd_euclid_s", "gcd_binary_s", report.name));
  }
  std::vector<Series> both = unsigned_lines;
  both.insert(both.end(), signed_lines.begin(), signed_lines.end());
  const auto [low, high] = value_range(both);
  std::string out = svg_start(
      height, "Binary against Euclid, side by side: " + std::to_string(reports.size()) + " reports",
      "Euclid's ns per call over binary's at each operand size, from each report's "
      "sweep (above 1: binary is faster)");
  for (const auto& [left, title, lines] : {std::tuple{80.0, "Unsigned", &unsigned_lines},
                                           std::tuple{600.0, "Signed", &signed_lines}}) {
    const Panel panel(left, low, high);
    panel.axes(out, title, "binary speed-up (times as fast)");
    for (std::size_t i = 0; i < lines->size(); ++i) {
      panel.line(out, (*lines)[i], style_of(i), "speedup");
    }
  }
  out += "<g class=\"legend\" font-size=\"12\" fill=\"#333\">\n";
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const Results& r = reports[i].results;
    legend_entry(out, 80 + static_cast<double>(i % 2) * 460, 510 + static_cast<double>(i / 2) * 22,
                 style_of(i), 2,
                 reports[i].name + ": " + r.machine.compiler + ", " + r.machine.build_type +
                     (r.machine.flags.empty() ? "" : ", " + r.machine.flags));
  }
  out += "</g>\n</svg>\n";
  return out;
}
