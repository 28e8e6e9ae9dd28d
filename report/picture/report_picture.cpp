// Drawing the sweep as SVG.
#include "report/picture/report_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "report/picture/call_picture.h"
#include "report/picture/svg_panel.h"
#include "study/distributions.h"
#include "study/divider.h"
#include "study/fit.h"
#include "study/peers.h"
#include "study/stats.h"

namespace {

constexpr double HEIGHT = 1060;  // without the row of what bounds a call
// The second row of panels: how the passes spread.
constexpr double SPREAD_TOP = 640;
constexpr double SPREAD_BOTTOM = 950;

// The theory lines: wide and pale, under the measured lines, which should lie along them.
constexpr Style THEORY{"#c8c8c8", ""};

// Euclid blue and binary orange, signed dashed; the peers in colours of their own.
Style style_of(const std::string& kernel) {
  if (kernel == "gcd_euclid_u") return {"#1f5fa8", ""};
  if (kernel == "gcd_euclid_s") return {"#1f5fa8", "7 4"};
  if (kernel == "gcd_binary_u") return {"#d9661f", ""};
  if (kernel == "gcd_binary_s") return {"#d9661f", "7 4"};
  // A colour of its own per peer, the same in every report; one not known, grey.
  static constexpr const char* PEER_COLOURS[] = {"#2e8b3a", "#7b3fa0", "#8c5a2b", "#00838f",
                                                 "#c2185b"};
  static_assert(std::size(PEER_COLOURS) == std::size(PEER_NAMES), "a colour for every peer");
  for (std::size_t i = 0; i < std::size(PEER_NAMES); ++i) {
    if (kernel == PEER_NAMES[i]) {
      return {PEER_COLOURS[i], ""};
    }
  }
  return {"#555555", ""};
}

std::vector<Series> collect(const Study& study, bool passes) {
  std::vector<Series> all;
  for (const SweepFigures& point : study.sweep) {
    const std::optional<double> value =
        passes ? point.passes_per_call : std::optional<double>(estimate(point.ns_per_call));
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

// Shares of a distribution's counts from `from` on, as percentages, at 1, 2, ...
Series shares_series(const std::string& name, const std::vector<std::uint64_t>& counts,
                     std::size_t from, double first_at) {
  Series series{name, {}};
  std::uint64_t whole = 0;
  for (std::size_t i = from; i < counts.size(); ++i) {
    whole += counts[i];
  }
  for (std::size_t i = from; whole > 0 && i < counts.size(); ++i) {
    series.points.push_back({first_at + static_cast<double>(i - from),
                             100.0 * static_cast<double>(counts[i]) / static_cast<double>(whole)});
  }
  return series;
}

// The laws' shares, at the same places.
Series law_series(const std::string& name, std::size_t count, double first_at,
                  const std::function<double(std::size_t)>& law) {
  Series series{name, {}};
  for (std::size_t i = 0; i < count; ++i) {
    series.points.push_back({first_at + static_cast<double>(i), 100.0 * law(i)});
  }
  return series;
}

// The second row: passes per call, as the calls spread; quotients and zeros against their laws.
void spread_panels(std::string& out, const Study& study) {
  const std::vector<PassDistribution>& all = study.distributions;
  if (all.empty()) {
    return;
  }
  std::vector<Series> passes;
  std::vector<Series> shares;
  std::vector<Series> laws;
  double most_passes = 8;
  for (const PassDistribution& d : all) {
    passes.push_back(shares_series(d.kernel, d.passes, 0, 0));
    most_passes = std::max(most_passes, static_cast<double>(d.passes.size()));
    if (!d.quotients.empty()) {
      shares.push_back(shares_series(d.kernel, d.quotients, 1, 1));
    }
    if (!d.difference_zeros.empty()) {
      shares.push_back(shares_series(d.kernel, d.difference_zeros, 0, 1));
    }
  }
  laws.push_back(law_series("Gauss-Kuzmin", COUNTED_QUOTIENTS - 1, 1, [](std::size_t i) {
    const auto q = static_cast<std::uint32_t>(i + 1);
    return gauss_kuzmin_share(q, q + 1 == COUNTED_QUOTIENTS ? UINT32_MAX : q);
  }));
  laws.push_back(law_series("geometric", COUNTED_ZEROS, 1, [](std::size_t i) {
    return geometric_share(static_cast<std::uint32_t>(i + 1), i + 1 == COUNTED_ZEROS);
  }));
  const double x_high = std::ceil(most_passes / 8) * 8;
  const auto [passes_low, passes_high] = value_range(passes);
  const Panel passes_panel(80, passes_low, passes_high,
                           {SPREAD_TOP, SPREAD_BOTTOM, x_high, 8, "passes in a call"});
  passes_panel.axes(out, "How the calls spread", "share of calls (%)");
  for (std::size_t i = 0; i < passes.size(); ++i) {
    passes_panel.line(out, passes[i], style_of(passes[i].name), "spread");
  }
  std::vector<Series> both = shares;
  both.insert(both.end(), laws.begin(), laws.end());
  const auto [shares_low, shares_high] = value_range(both);
  const Panel shares_panel(600, shares_low, shares_high,
                           {SPREAD_TOP, SPREAD_BOTTOM, COUNTED_QUOTIENTS - 1, 1,
                            "quotient, or zeros of a difference (the last: or more)"});
  shares_panel.axes(out, "Against their laws", "share of passes (%)");
  out += "<g class=\"theory\" stroke=\"" + std::string(THEORY.colour) +
         "\" stroke-width=\"6\" stroke-linecap=\"round\" fill=\"none\">\n";
  for (const Series& law : laws) {
    out += "<polyline data-law=\"" + escaped(law.name) + "\" points=\"";
    for (const Point& point : law.points) {
      out += number(shares_panel.x(point.bits)) + "," + number(shares_panel.y(point.value)) + " ";
    }
    out += "\"/>\n";
  }
  out += "</g>\n";
  for (std::size_t i = 0; i < shares.size(); ++i) {
    shares_panel.line(out, shares[i], style_of(shares[i].name), "shares");
  }
  out += "<g class=\"legend\" font-size=\"12\" fill=\"#333\">\n";
  legend_entry(out, 80, SPREAD_BOTTOM + 80, THEORY, 6,
               "laws: Gauss-Kuzmin (Euclid's quotients), geometric (binary's zeros); kernels as "
               "above, Euclid's lines of quotients, binary's of zeros");
  out += "</g>\n";
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
      svg_start(HEIGHT + call_panels_height(results),
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
    time_panel.line(out, ns[i], style_of(ns[i].name), "ns");
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
    passes_panel.line(out, passes[i], style_of(passes[i].name), "passes");
  }

  // The legend: every kernel once, four to a row, then the theory lines on a row of their own.
  out += "<g class=\"legend\" font-size=\"12\" fill=\"#333\">\n";
  for (std::size_t i = 0; i < ns.size(); ++i) {
    legend_entry(out, 80 + static_cast<double>(i % 4) * 230, 510 + static_cast<double>(i / 4) * 22,
                 style_of(ns[i].name), 2, ns[i].name);
  }
  char theory[128];
  std::snprintf(theory, sizeof theory,
                "theory: %.4f passes per bit (Euclid), %.4f (binary), through the measured passes",
                EUCLID_PASSES_PER_BIT, BINARY_PASSES_PER_BIT);
  legend_entry(out, 80, 510 + static_cast<double>((ns.size() + 3) / 4) * 22, THEORY, 6, theory);
  out += "</g>\n";
  spread_panels(out, study);
  call_panels(out, results, HEIGHT - 40);
  out += "</svg>\n";
  return out;
}
