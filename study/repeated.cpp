// The one rule for a figure timed in repetitions.
#include "study/repeated.h"

#include <algorithm>
#include <cmath>

#include "study/stats.h"

bool quiet_signs(std::optional<double> cpu_share, std::optional<double> stolen_share) {
  return (!cpu_share || *cpu_share >= QUIET_CPU_SHARE) &&
         (!stolen_share || *stolen_share <= QUIET_STOLEN);
}

double quiet_margin(double fastest, double ns_per_value) {
  return std::max(QUIET_SPREAD * std::fabs(fastest), QUIET_SPREAD_NS / ns_per_value);
}

double fastest(const Repeated& figure, double ns_per_value) {
  if (figure.every_value_counts) {
    return figure.empty() ? 0 : *std::min_element(figure.begin(), figure.end());
  }
  std::vector<double> quiet;
  for (std::size_t i = 0; i < figure.size(); ++i) {
    if (figure.quiet_signs[i]) {
      quiet.push_back(figure[i]);
    }
  }
  if (quiet.empty()) {
    return figure.empty() ? 0 : *std::min_element(figure.begin(), figure.end());
  }
  std::sort(quiet.begin(), quiet.end());
  for (std::size_t i = 0; i + 1 < quiet.size(); ++i) {
    if (quiet[i + 1] - quiet[i] <= quiet_margin(quiet[i], ns_per_value)) {
      return quiet[i];
    }
  }
  return quiet.front();
}

std::vector<double> kept(const Repeated& figure, double ns_per_value) {
  if (figure.every_value_counts) {
    return figure.values;
  }
  const double first = fastest(figure, ns_per_value);
  const double margin = quiet_margin(first, ns_per_value);
  std::vector<double> values;
  for (std::size_t i = 0; i < figure.size(); ++i) {
    if (figure.quiet_signs[i] && figure[i] >= first && figure[i] - first <= margin) {
      values.push_back(figure[i]);
    }
  }
  return values;
}

std::vector<double> estimated_from(const Repeated& figure, double ns_per_value) {
  std::vector<double> values = kept(figure, ns_per_value);
  return values.empty() ? figure.values : values;
}

std::size_t kept_to_settle(const Repeated& figure) {
  const std::size_t first_round = figure.size() - figure.timed_again;
  return first_round < BOOTSTRAP_MIN_SAMPLES ? kept_needed(figure)
                                             : std::max(kept_needed(figure), BOOTSTRAP_MIN_SAMPLES);
}

bool settled(const Repeated& figure, double ns_per_value) {
  return kept(figure, ns_per_value).size() >= kept_to_settle(figure);
}

std::size_t kept_needed(const Repeated& figure) {
  return (figure.size() - figure.timed_again) / 2 + 1;
}

bool holds(const Repeated& figure, double ns_per_value) {
  if (figure.every_value_counts) {
    const double first = fastest(figure, ns_per_value);
    return figure.empty() || median(figure.values) - first <= quiet_margin(first, ns_per_value);
  }
  return kept(figure, ns_per_value).size() >= kept_needed(figure);
}

double estimate(const Repeated& figure, double ns_per_value) {
  return median(estimated_from(figure, ns_per_value));
}
