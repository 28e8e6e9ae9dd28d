// The divider on Euclid's own operands.
#include "study/divider.h"

#include <cmath>
#include <cstdlib>

#include "kernels/euclid.h"

namespace {

// Collects each division of the loop, as the loop makes it.
struct CollectDivisions {
  std::vector<Division>* divisions;
  template <class Word>
  void operator()(const EuclidStep<Word>& step) const {
    divisions->push_back(
        {static_cast<std::uint32_t>(step.dividend), static_cast<std::uint32_t>(step.divisor)});
  }
};

// Cycles per division over the divisions, chained or not, net of what carries the chain;
// none where no such code runs here.
std::optional<double> cycles_per_division(std::span<const Division> divisions, bool is_signed,
                                          bool chained, double ghz, double carried) {
  if (divisions.empty() || !run_divisions(divisions.first(1), is_signed, chained)) {
    return std::nullopt;
  }
  run_divisions(divisions, is_signed, chained);  // into the cache
  const double ns = fastest_ns([&] { run_divisions(divisions, is_signed, chained); });
  return ns / static_cast<double>(divisions.size()) * ghz - (chained ? carried : 0.0);
}

}  // namespace

std::vector<Division> euclid_divisions(std::span<const Pair> pairs, bool is_signed) {
  std::vector<Division> divisions;
  const CollectDivisions collect{&divisions};
  for (const Pair& pair : pairs) {
    static_cast<void>(is_signed ? euclid_s(pair.first, pair.second, collect)
                                : euclid_u(pair.first, pair.second, collect));
  }
  return divisions;
}

std::uint32_t quotient_of(const Division& division, bool is_signed) {
  if (!is_signed) {
    return division.dividend / division.divisor;
  }
  // In 64 bits: -2^31 / -1 cannot overflow there (and Euclid's loop never divides it).
  const std::int64_t quotient = std::int64_t{static_cast<std::int32_t>(division.dividend)} /
                                std::int64_t{static_cast<std::int32_t>(division.divisor)};
  return static_cast<std::uint32_t>(std::llabs(quotient));
}

double gauss_kuzmin_share(std::uint32_t low, std::uint32_t high) {
  const double a = low;
  if (high == UINT32_MAX) {
    return std::log2((a + 1) / a);
  }
  const double b = high;
  return std::log2((a + 1) / a * (b + 1) / (b + 2));
}

std::vector<DividerFigures> time_divider(std::span<const Pair> pairs, const Latencies& latencies) {
  const std::optional<double> ghz = latencies.ghz();
  const InstructionLatency* carrier = latencies.find("and");
  const double carried = carrier != nullptr ? carrier->cycles + 1 : 0;  // "and", then "add"
  std::vector<DividerFigures> all;
  for (const auto& [kernel, is_signed] :
       {std::pair{"gcd_euclid_u", false}, std::pair{"gcd_euclid_s", true}}) {
    const std::vector<Division> divisions = euclid_divisions(pairs, is_signed);
    DividerFigures figures{kernel, pairs.size(), divisions.size(), std::nullopt, std::nullopt, {}};
    std::vector<std::vector<Division>> grouped(QUOTIENT_GROUPS.size());
    for (const Division& division : divisions) {
      const std::uint32_t quotient = quotient_of(division, is_signed);
      for (std::size_t g = 0; g < QUOTIENT_GROUPS.size(); ++g) {
        if (quotient >= QUOTIENT_GROUPS[g].first && quotient <= QUOTIENT_GROUPS[g].second) {
          grouped[g].push_back(division);
        }
      }
    }
    const bool timed = ghz && carrier != nullptr;
    if (timed) {
      figures.cycles = cycles_per_division(divisions, is_signed, true, *ghz, carried);
      figures.unchained_cycles = cycles_per_division(divisions, is_signed, false, *ghz, carried);
    }
    for (std::size_t g = 0; g < QUOTIENT_GROUPS.size(); ++g) {
      figures.groups.push_back(
          {QUOTIENT_GROUPS[g].first, QUOTIENT_GROUPS[g].second, grouped[g].size(),
           timed ? cycles_per_division(grouped[g], is_signed, true, *ghz, carried) : std::nullopt});
    }
    all.push_back(figures);
  }
  return all;
}
