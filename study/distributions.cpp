// Counting the passes' distributions through the kernels' own loops.
#include "study/distributions.h"

#include <cmath>
#include <numbers>

#include "kernels/observed.h"
#include "study/divider.h"

namespace {

void count(std::vector<std::uint64_t>& counts, std::size_t index) {
  if (counts.size() <= index) {
    counts.resize(index + 1);
  }
  ++counts[index];
}

// Counts one call's passes, and what each pass and the exit show.
struct Observer {
  PassDistribution* distribution;
  std::uint32_t* passes;

  template <class Word>
  void operator()(const EuclidStep<Word>& step) const {
    ++*passes;
    const Division division{static_cast<std::uint32_t>(step.dividend),
                            static_cast<std::uint32_t>(step.divisor)};
    const std::uint32_t quotient = quotient_of(division, std::is_same_v<Word, std::int32_t>);
    ++distribution->quotients[std::min(quotient, COUNTED_QUOTIENTS - 1)];
  }
  void operator()(const BinaryStep& step) const {
    if (++*passes > 1) {
      // After the first pass u is half a difference: the difference lost one zero more.
      ++distribution->difference_zeros[std::min(step.u_zeros + 1, COUNTED_ZEROS) - 1];
    }
  }
  void operator()(BinaryExit exit) const { ++distribution->exits[static_cast<std::size_t>(exit)]; }
};

}  // namespace

double PassDistribution::mean() const {
  double sum = 0;
  for (std::size_t k = 0; k < passes.size(); ++k) {
    sum += static_cast<double>(k) * static_cast<double>(passes[k]);
  }
  return calls > 0 ? sum / static_cast<double>(calls) : 0.0;
}

double PassDistribution::standard_deviation() const {
  const double middle = mean();
  double sum = 0;
  for (std::size_t k = 0; k < passes.size(); ++k) {
    const double off = static_cast<double>(k) - middle;
    sum += off * off * static_cast<double>(passes[k]);
  }
  return calls > 1 ? std::sqrt(sum / static_cast<double>(calls - 1)) : 0.0;
}

std::vector<PassDistribution> pass_distributions(std::span<const Pair> pairs) {
  std::vector<PassDistribution> all;
  for (const char* kernel : {"gcd_euclid_u", "gcd_euclid_s", "gcd_binary_u", "gcd_binary_s"}) {
    PassDistribution distribution;
    distribution.kernel = kernel;
    const bool euclid = distribution.kernel.starts_with("gcd_euclid");
    if (euclid) {
      distribution.quotients.assign(COUNTED_QUOTIENTS, 0);
    } else {
      distribution.difference_zeros.assign(COUNTED_ZEROS, 0);
    }
    for (const Pair& pair : pairs) {
      std::uint32_t passes = 0;
      const Observer observer{&distribution, &passes};
      static_cast<void>(observed_kernel(kernel, pair.first, pair.second, observer));
      count(distribution.passes, passes);
      if (!euclid && passes == 0) {
        ++distribution.no_pass;
      }
      ++distribution.calls;
    }
    all.push_back(std::move(distribution));
  }
  return all;
}

double euclid_mean_leading_term(unsigned bits) {
  return 12 * std::numbers::ln2 / (std::numbers::pi * std::numbers::pi) * bits * std::numbers::ln2;
}

double euclid_variance_leading_term(unsigned bits) {
  return HENSLEY_VARIANCE * bits * std::numbers::ln2;
}

double geometric_share(std::uint32_t zeros, bool or_more) {
  return std::ldexp(1.0, -static_cast<int>(zeros) + (or_more ? 1 : 0));
}

bool beyond_the_sample(double counted, double law, std::uint64_t n) {
  if (n == 0) {
    return false;
  }
  const double error = std::sqrt(law * (1 - law) / static_cast<double>(n));
  return std::fabs(counted - law) > MAX_STANDARD_ERRORS * error;
}
