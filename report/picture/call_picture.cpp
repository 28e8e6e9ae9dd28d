// Drawing what bounds a call.
#include "report/picture/call_picture.h"

#include <algorithm>
#include <cmath>

#include "report/figures/call_bounds.h"
#include "report/picture/svg_panel.h"

namespace {

constexpr double PANEL_HEIGHT = 310;
constexpr double LEGEND_ROWS = 2;
constexpr Style EUCLID{"#1f5fa8", ""};
constexpr Style BINARY{"#d9661f", ""};
constexpr Style EUCLID_CHAIN{"#1f5fa8", "3 3"};
constexpr Style BINARY_CHAIN{"#d9661f", "3 3"};

const CallBound* bound_of(const Results& results, const char* kernel) {
  for (const CallBound& bound : results.worked_out.calls) {
    if (bound.kernel == kernel) {
      return &bound;
    }
  }
  return nullptr;
}

Series groups_of(const CallBound& bound, CallExit exit) {
  Series series{bound.kernel, {}};
  for (const GroupPoint& point : bound.groups) {
    if (point.exit == exit && point.pairs >= MIN_GROUP_PAIRS) {
      series.points.push_back({static_cast<double>(point.passes), point.cycles_per_call});
    }
  }
  return series;
}

// A line across the passes of the groups on it.
Series straight(const std::string& name, double slope, double intercept, double from, double to) {
  return {name, {{from, slope * from + intercept}, {to, slope * to + intercept}}};
}

struct Drawn {
  std::vector<Series> dots;  // the groups, filled for the main exit
  std::vector<bool> filled;
  std::vector<Series> lines;     // the overlapped pass
  std::vector<Series> chains;    // passes x chain + a mispredicted branch
  std::vector<Series> in_order;  // one point: the programs' order
  std::vector<Style> styles;     // per kernel, for all of the above
};

void add_kernel(Drawn& drawn, const Results& results, const CallBound& bound, const Style& style) {
  double low = 1e9;
  double high = 0;
  for (const GroupPoint& point : bound.groups) {
    if (point.pairs >= MIN_GROUP_PAIRS) {
      low = std::min(low, static_cast<double>(point.passes));
      high = std::max(high, static_cast<double>(point.passes));
    }
  }
  for (const OverlapLine& line : bound.lines) {
    drawn.dots.push_back(groups_of(bound, line.exit));
    drawn.filled.push_back(line.exit != CallExit::u_equals_v);
    drawn.lines.push_back(straight(bound.kernel, line.cycles_per_pass, line.intercept, low, high));
  }
  // The chain is drawn across the groups' passes: with no group of enough pairs, across none.
  if (low <= high && bound.chain && results.study.mispredicted_branch_ns && results.study.ghz()) {
    drawn.chains.push_back(straight(bound.kernel, *bound.chain,
                                    *results.study.mispredicted_branch_ns * *results.study.ghz(),
                                    low, high));
  }
  drawn.in_order.push_back({bound.kernel, {{bound.mean_passes, bound.measured}}});
  drawn.styles.push_back(style);
}

void panel(std::string& out, const Results& results, double left, double top, const char* title,
           const char* euclid, const char* binary) {
  Drawn drawn;
  for (const auto& [kernel, style] : {std::pair{euclid, EUCLID}, std::pair{binary, BINARY}}) {
    if (const CallBound* bound = bound_of(results, kernel)) {
      add_kernel(drawn, results, *bound, style);
    }
  }
  std::vector<Series> all = drawn.dots;
  all.insert(all.end(), drawn.chains.begin(), drawn.chains.end());
  all.insert(all.end(), drawn.in_order.begin(), drawn.in_order.end());
  // The axis of passes reaches the last point drawn, a tick every 8 passes as a kit kernel's
  // calls make (30 or so), fewer where a file holds more; no point, no panel.
  double most = 0;
  for (const Series& series : all) {
    for (const Point& point : series.points) {
      most = std::max(most, point.bits);
    }
  }
  if (most <= 0) {
    return;
  }
  const double step = std::max(8.0, tick_step(most));
  const auto [low, high] = value_range(all);
  const Panel frame(
      left, low, high,
      {top, top + PANEL_HEIGHT, std::ceil(most / step) * step, step, "passes in a call"});
  frame.axes(out, title, "cycles a call");
  for (const Series& chain : drawn.chains) {
    frame.line(out, chain,
               chain.name.find("euclid") != std::string::npos ? EUCLID_CHAIN : BINARY_CHAIN,
               "chain");
  }
  for (std::size_t i = 0; i < drawn.lines.size(); ++i) {
    const Style style = drawn.lines[i].name.find("euclid") != std::string::npos ? EUCLID : BINARY;
    frame.line(out, drawn.lines[i], style, "overlapped");
    frame.dots(out, drawn.dots[i], style, "groups", 3, drawn.filled[i]);
  }
  for (std::size_t i = 0; i < drawn.in_order.size(); ++i) {
    frame.dots(out, drawn.in_order[i], drawn.styles[i], "in-order", 7, false);
  }
}

}  // namespace

double call_panels_height(const Results& results) {
  return results.worked_out.calls.empty() ? 0 : 90 + PANEL_HEIGHT + 60 + LEGEND_ROWS * 22 + 30;
}

void call_panels(std::string& out, const Results& results, double top) {
  if (results.worked_out.calls.empty()) {
    return;
  }
  const double plot_top = top + 90;
  panel(out, results, 80, plot_top, "A call against its passes (unsigned)", "gcd_euclid_u",
        "gcd_binary_u");
  panel(out, results, 600, plot_top, "A call against its passes (signed)", "gcd_euclid_s",
        "gcd_binary_s");
  const double legend = plot_top + PANEL_HEIGHT + 80;
  out += "<g class=\"legend\" font-size=\"12\" fill=\"#333\">\n";
  legend_entry(out, 80, legend, EUCLID, 2,
               "Euclid (blue), binary (orange): dots, the groups of one kind of call (hollow: "
               "u equals v); solid, their line (its slope: the overlapped pass)");
  legend_entry(out, 80, legend + 22, EUCLID_CHAIN, 2,
               "dashed: passes x the chain + a mispredicted branch; a ring: the programs' order "
               "at its mean passes");
  out += "</g>\n";
}
