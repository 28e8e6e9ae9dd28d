// Working out what bounds a kit kernel's call.
#include "report/figures/call_bounds.h"

#include <algorithm>
#include <cmath>

#include "report/figures/limits.h"
#include "study/fit.h"
#include "study/peers.h"

std::optional<OverlapLine> overlap_line(std::span<const GroupPoint> points, CallExit exit) {
  std::vector<double> passes;
  std::vector<double> cycles;
  std::vector<double> weights;
  OverlapLine line;
  line.exit = exit;
  for (const GroupPoint& point : points) {
    if (point.exit == exit && point.pairs >= MIN_GROUP_PAIRS) {
      passes.push_back(point.passes);
      cycles.push_back(point.cycles_per_call);
      weights.push_back(static_cast<double>(point.pairs));
      ++line.groups;
      line.pairs += point.pairs;
    }
  }
  const std::optional<Line> fitted = weighted_least_squares(passes, cycles, weights);
  if (!fitted) {
    return std::nullopt;
  }
  line.cycles_per_pass = fitted->slope;
  line.intercept = fitted->intercept;
  for (std::size_t i = 0; i < passes.size(); ++i) {
    const double on_line = fitted->slope * passes[i] + fitted->intercept;
    const double departure = on_line != 0 ? std::fabs(cycles[i] - on_line) / std::fabs(on_line)
                                          : std::fabs(cycles[i] - on_line);
    if (departure >= line.largest_departure) {
      line.largest_departure = departure;
      line.departing_passes = static_cast<std::uint32_t>(passes[i]);
    }
  }
  const auto [fewest, most] = std::minmax_element(passes.begin(), passes.end());
  line.span = static_cast<std::uint32_t>(*most - *fewest);
  line.fault = line.groups < MIN_LINE_GROUPS         ? LineFault::few_groups
               : line.span < MIN_LINE_SPAN           ? LineFault::narrow
               : line.largest_departure > LINE_HOLDS ? LineFault::departs
                                                     : LineFault::none;
  return line;
}

double exit_in_place(double measured, std::span<const GroupPoint> points) {
  double pairs = 0;
  double mix = 0;
  for (const GroupPoint& point : points) {
    pairs += static_cast<double>(point.pairs);
    mix += static_cast<double>(point.pairs) * point.cycles_per_call;
  }
  return pairs > 0 ? measured - mix / pairs : measured;
}

CallBound bound_the_call(const std::string& kernel, std::vector<GroupPoint> points, double measured,
                         std::optional<double> chain, double mispredicted_branch,
                         double smallest_timed) {
  CallBound bound;
  bound.kernel = kernel;
  bound.measured = measured;
  bound.chain = chain;
  bound.mispredicted_branch = mispredicted_branch;
  bound.smallest_timed = smallest_timed;
  double passes = 0;
  for (const GroupPoint& point : points) {
    bound.pairs += point.pairs;
    passes += static_cast<double>(point.pairs) * point.passes;
  }
  bound.mean_passes = bound.pairs > 0 ? passes / static_cast<double>(bound.pairs) : 0;
  for (const CallExit exit :
       {CallExit::one, CallExit::u_is_one, CallExit::v_is_one, CallExit::u_equals_v}) {
    if (const std::optional<OverlapLine> line = overlap_line(points, exit)) {
      bound.lines.push_back(*line);
    }
  }
  double on_lines = 0;
  double slopes = 0;
  for (const OverlapLine& line : bound.lines) {
    if (line.holds()) {
      on_lines += static_cast<double>(line.pairs);
      slopes += static_cast<double>(line.pairs) * line.cycles_per_pass;
    }
  }
  if (on_lines > 0) {
    bound.overlapped_pass = slopes / on_lines;
  }
  bound.exit_in_place = exit_in_place(measured, points);
  bound.groups = std::move(points);
  if (chain || bound.overlapped_pass) {
    const double pass = std::max(chain.value_or(0), bound.overlapped_pass.value_or(0));
    bound.sits_on = chain && *chain >= bound.overlapped_pass.value_or(0) ? PassBound::chain
                                                                         : PassBound::overlapped;
    bound.prediction = bound.mean_passes * pass + mispredicted_branch;
    if (measured > 0 && measured >= smallest_timed) {
      bound.departure = (*bound.prediction - measured) / measured;
    }
  }
  return bound;
}

std::vector<CallBound> call_bounds(const Results& results) {
  const Study& study = results.study;
  const std::optional<double> ghz = study.ghz();
  std::vector<CallBound> all;
  if (!ghz || !study.mispredicted_branch_ns) {
    return all;
  }
  for (const CallTimings& timings : study.calls) {
    std::vector<GroupPoint> points;
    for (const GroupTiming& group : timings.groups) {
      points.push_back({group.passes, group.exit, group.pairs, estimate(group.ns_per_call) * *ghz});
    }
    all.push_back(bound_the_call(timings.kernel, std::move(points),
                                 estimate(timings.own_order_ns_per_call) * *ghz,
                                 chain_cycles(results, timings.kernel),
                                 *study.mispredicted_branch_ns * *ghz, SMALLEST_TIMED_NS * *ghz));
  }
  return all;
}

TwoPairGain two_pair_gain(const std::string& peer, const CallBound& bound, double passes_of_two,
                          double cycles_per_pair, double mispredicted_branch) {
  TwoPairGain gain;
  gain.peer = peer;
  gain.kernel = bound.kernel;
  gain.cycles_per_pair = cycles_per_pair;
  gain.cycles_per_call = bound.measured;
  gain.timed = bound.measured > 0 && bound.measured >= bound.smallest_timed &&
               cycles_per_pair > 0 && cycles_per_pair >= bound.smallest_timed;
  gain.gain = gain.timed ? bound.measured / cycles_per_pair : 0;
  gain.passes_of_two = passes_of_two;
  gain.sits_on = bound.sits_on;
  const double two_overlapped = 2 * bound.overlapped_pass.value_or(0);
  gain.loop_pass = std::max(bound.chain.value_or(0), two_overlapped);
  gain.predicted_per_pair = (passes_of_two * gain.loop_pass + mispredicted_branch) / 2;
  if (bound.prediction && gain.predicted_per_pair > 0) {
    gain.predicted_gain = *bound.prediction / gain.predicted_per_pair;
  }
  return gain;
}

std::vector<TwoPairGain> two_pair_gains(const Results& results) {
  std::vector<TwoPairGain> all;
  const std::optional<double> ghz = results.study.ghz();
  if (!ghz || !results.study.mispredicted_branch_ns) {
    return all;
  }
  for (const TwoPairTimings& timed : results.study.two_pairs) {
    const CallBound* bound = find_named(results.worked_out.calls, &CallBound::kernel, timed.kernel);
    const CallTimings* timings =
        find_named(results.study.calls, &CallTimings::kernel, timed.kernel);
    if (bound == nullptr || !bound->prediction || timings == nullptr) {
      continue;
    }
    all.push_back(two_pair_gain(timed.peer, *bound, timings->passes_of_two,
                                estimate(timed.ns_per_pair) * *ghz,
                                *results.study.mispredicted_branch_ns * *ghz));
  }
  return all;
}
