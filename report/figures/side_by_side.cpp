// The figures of reports set side by side.
#include "report/figures/side_by_side.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "report/run/kit.h"
#include "report/words/utf8.h"
#include "study/stats.h"

std::optional<double> ns_per_pass_of(const Results& results, const std::string& kernel) {
  const KernelCost* cost = find_cost(results, kernel);
  return cost != nullptr ? cost->ns_per_pass : std::nullopt;
}

std::optional<double> cycles_per_pass_of(const Results& results, const std::string& kernel) {
  const KernelCost* cost = find_cost(results, kernel);
  return cost != nullptr ? cost->cycles_per_pass : std::nullopt;
}

const CallBound* call_bound_of(const Results& results, const std::string& kernel) {
  return find_named(results.worked_out.calls, &CallBound::kernel, kernel);
}

std::optional<double> ratio_to_euclid(const Results& results, const std::string& kernel) {
  const KernelCost* cost = find_cost(results, kernel);
  if (cost == nullptr || !cost->ratio_to_euclid) {
    return std::nullopt;
  }
  return cost->ratio_to_euclid->value;
}

std::optional<double> passes_per_bit(const Study& study, const std::string& kernel) {
  const PassesPerBit* fit = find_named(study.passes_per_bit, &PassesPerBit::kernel, kernel);
  return fit != nullptr ? std::optional<double>(fit->measured) : std::nullopt;
}

std::vector<std::string> peers_of(const std::vector<NamedReport>& reports) {
  std::vector<std::string> names;
  for (const NamedReport& report : reports) {
    for (const KernelFigures& kernel : report.results.study.kernels) {
      const bool kit = std::find(std::begin(KIT_KERNELS), std::end(KIT_KERNELS), kernel.name) !=
                       std::end(KIT_KERNELS);
      if (!kit && std::find(names.begin(), names.end(), kernel.name) == names.end()) {
        names.push_back(kernel.name);
      }
    }
  }
  return names;
}

std::vector<SpeedupPoint> sweep_speedup(const Study& study, const char* euclid,
                                        const char* binary) {
  std::vector<SpeedupPoint> points;
  for (const SweepFigures& point : study.sweep) {
    if (point.kernel != binary) {
      continue;
    }
    for (const SweepFigures& other : study.sweep) {
      if (other.kernel == euclid && other.bits == point.bits) {
        const double slow = estimate(other.ns_per_call);
        const double fast = estimate(point.ns_per_call);
        if (slow >= SMALLEST_TIMED_NS && fast >= SMALLEST_TIMED_NS) {
          points.push_back({point.bits, slow / fast});
        }
      }
    }
  }
  return points;
}

std::vector<std::string> report_names(const std::vector<std::string>& paths) {
  std::vector<std::filesystem::path> whole;
  for (const std::string& path : paths) {
    whole.push_back(file_path(path).lexically_normal());
  }
  std::vector<std::string> names(paths.size());
  for (std::size_t depth = 1; depth <= 8; ++depth) {
    for (std::size_t i = 0; i < whole.size(); ++i) {
      std::vector<std::filesystem::path> parts(whole[i].begin(), whole[i].end());
      std::filesystem::path tail;
      for (std::size_t j = parts.size() > depth ? parts.size() - depth : 0; j < parts.size(); ++j) {
        tail /= parts[j];
      }
      names[i] = utf8_of(tail);
      if (names[i].ends_with(".json")) {
        names[i].resize(names[i].size() - 5);  // every report is one
      }
    }
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) {
      break;
    }
  }
  return names;
}
