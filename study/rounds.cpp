// Timing in rounds, and timing again.
#include "study/rounds.h"

#include <algorithm>

namespace {

// Times the chosen figures of a group after its loop, each value net of the loop where it is,
// and quiet where its own timing's signs and the loop's were.
void time_group(RoundGroup& group, const std::vector<std::size_t>& chosen,
                const WatchSource& source, bool keep, bool again) {
  const auto record = [&](Repeated& values, double value, bool quiet) {
    if (keep) {
      again ? values.again(value, quiet) : values.push_back(value, quiet);
    }
  };
  double loop = 0;
  bool loop_quiet = true;
  if (group.loop) {
    const Stint stint(source);
    loop = group.loop();
    loop_quiet = stint.quiet();
    if (group.loop_values != nullptr) {
      record(*group.loop_values, loop, loop_quiet);
    }
  }
  for (const std::size_t i : chosen) {
    RoundFigure& figure = group.figures[i];
    const Stint stint(source);
    const double value = figure.time();
    const bool quiet = stint.quiet() && (!figure.net_of_loop || loop_quiet);
    record(*figure.values, figure.net_of_loop ? value - loop : value, quiet);
  }
}

// The judged figures of a group that do not hold (or, where settle is true, are not settled),
// with its anchor first where there are any.
std::vector<std::size_t> to_time_again(const RoundGroup& group, unsigned max_values, bool settle) {
  std::vector<std::size_t> chosen;
  for (std::size_t i = 0; i < group.figures.size(); ++i) {
    const RoundFigure& figure = group.figures[i];
    const bool wanted = settle ? !settled(*figure.values) : !holds(*figure.values);
    if (figure.judged && wanted && figure.values->timed_again < max_values) {
      chosen.push_back(i);
    }
  }
  if (!chosen.empty() && group.anchor &&
      std::find(chosen.begin(), chosen.end(), *group.anchor) == chosen.end()) {
    chosen.insert(chosen.begin(), *group.anchor);
  }
  return chosen;
}

}  // namespace

void time_round(std::vector<RoundGroup>& groups, const WatchSource& source, bool keep) {
  for (RoundGroup& group : groups) {
    std::vector<std::size_t> all(group.figures.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
      all[i] = i;
    }
    time_group(group, all, source, keep, false);
  }
}

unsigned time_again(std::vector<RoundGroup>& groups, PhaseWatcher& watch, RetimeBudget& budget,
                    double seconds_per_timing, unsigned max_rounds,
                    const std::function<void(std::size_t figures, unsigned round)>& announce) {
  const WatchSource& source = watch.source();
  unsigned rounds = 0;
  while (rounds < max_rounds) {
    std::vector<std::vector<std::size_t>> chosen;
    std::size_t figures = 0;
    std::size_t timings = 0;
    // What does not hold first, the findings that rest on it withheld; then what is not settled.
    for (const bool settle : {false, true}) {
      chosen.clear();
      figures = 0;
      timings = 0;
      for (const RoundGroup& group : groups) {
        chosen.push_back(to_time_again(group, max_rounds, settle));
        const std::size_t anchored = group.anchor && !chosen.back().empty() ? 1 : 0;
        figures += chosen.back().size() - anchored;
        timings += chosen.back().size() + (group.loop && !chosen.back().empty() ? 1 : 0);
      }
      if (figures > 0) {
        break;
      }
    }
    if (figures == 0 || !budget.allows(static_cast<double>(timings) * seconds_per_timing)) {
      break;
    }
    announce(figures, ++rounds);
    const double start = source.wall_s();
    watch.begin_repetition();
    for (std::size_t g = 0; g < groups.size(); ++g) {
      if (!chosen[g].empty()) {
        time_group(groups[g], chosen[g], source, true, true);
      }
    }
    watch.end_repetition();
    const double took = source.wall_s() - start;
    budget.spend(took);
    watch.timed_again(took);
  }
  return rounds;
}
