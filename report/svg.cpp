// Drawing the sweep as SVG.
#include "report/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "report/svg_panel.h"
#include "study/fit.h"
#include "study/stats.h"

namespace {

constexpr double HEIGHT = 580;

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

std::vector<Series> collect(const Study& study, bool passes) {
  std::vector<Series> all;
  for (const SweepFigures& point : study.sweep) {
    const std::optional<double> value =
        passes ? point.passes_per_call : std::optional<double>(median(point.ns_per_call));
    if (!value) {
      continue;
    }
    if (all.empty() || all.back().name != point.kernel) {
      all.push_back({point.kernel, {}});
    }
    all.back().points.push_back({static_cast<double>(point.bits), *value});
  }
  return all;
}

// The theory line of an algorithm: the constant's slope, through the middle of the measured
// passes of the unsigned kernel over the fitted sizes, so that the slopes can be compared.
std::optional<Series> theory_line(const Study& study, const std::vector<Series>& passes,
                                  const std::string& kernel, double slope) {
  for (const Series& series : passes) {
    if (series.name != kernel) {
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

  char subtitle[160];
  std::snprintf(subtitle, sizeof subtitle,
                "%u uniform pairs per size; ns are medians of %u repetitions, net of the loop",
                static_cast<unsigned>(study.settings.sweep_pairs), study.settings.repetitions);
  std::string out =
      svg_start(HEIGHT,
                "GCD of 32-bit words: " + results.machine.processor + ", " +
                    results.machine.compiler + ", " + results.machine.build_type + " build",
                subtitle);

  const auto [ns_low, ns_high] = value_range(ns);
  const Panel time_panel(80, ns_low, ns_high);
  time_panel.axes(out, "Time per call", "ns per call");
  if (const std::optional<double> ghz = study.ghz()) {
    char unit[64];
    std::snprintf(unit, sizeof unit, "cycles per call (at %.2f GHz)", *ghz);
    time_panel.right_axis(out, unit, *ghz);
  }
  for (std::size_t i = 0; i < ns.size(); ++i) {
    time_panel.line(out, ns[i], style_of(ns[i].name, i), "ns");
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
    passes_panel.line(out, passes[i], style_of(passes[i].name, i), "passes");
  }

  // The legend: every kernel once, four to a row, then the theory lines on a row of their own.
  out += "<g class=\"legend\" font-size=\"12\" fill=\"#333\">\n";
  for (std::size_t i = 0; i < ns.size(); ++i) {
    legend_entry(out, 80 + static_cast<double>(i % 4) * 230, 510 + static_cast<double>(i / 4) * 22,
                 style_of(ns[i].name, i), 2, ns[i].name);
  }
  char theory[128];
  std::snprintf(theory, sizeof theory,
                "theory: %.4f passes per bit (Euclid), %.4f (binary), through the measured passes",
                EUCLID_PASSES_PER_BIT, BINARY_PASSES_PER_BIT);
  legend_entry(out, 80, 510 + static_cast<double>((ns.size() + 3) / 4) * 22, THEORY, 6, theory);
  out += "</g>\n</svg>\n";
  return out;
}
