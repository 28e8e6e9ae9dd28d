// Sorting the kit kernels' calls by their kind.
#include "study/call_groups.h"

#include <algorithm>
#include <map>
#include <utility>

#include "kernels/observed.h"

namespace {

// One call's passes and its exit, as the loop tells them.
struct KindOfCall {
  std::uint32_t* passes;
  CallExit* exit;
  template <class Word>
  void operator()(const EuclidStep<Word>& /*step*/) const {
    ++*passes;
  }
  void operator()(const BinaryStep& /*step*/) const { ++*passes; }
  void operator()(BinaryExit exit_taken) const {
    switch (exit_taken) {
      case BinaryExit::u_is_one: *exit = CallExit::u_is_one; break;
      case BinaryExit::v_is_one: *exit = CallExit::v_is_one; break;
      case BinaryExit::u_equals_v: *exit = CallExit::u_equals_v; break;
    }
  }
};

}  // namespace

const char* call_exit_name(CallExit exit) {
  switch (exit) {
    case CallExit::one: return "";
    case CallExit::u_is_one: return "u is 1";
    case CallExit::v_is_one: return "v is 1";
    case CallExit::u_equals_v: return "u equals v";
  }
  return "";
}

std::vector<CallGroup> group_calls(const std::string& kernel, std::span<const Pair> pairs) {
  std::map<std::pair<std::uint32_t, CallExit>, std::vector<Pair>> by_kind;
  for (const Pair& pair : pairs) {
    std::uint32_t passes = 0;
    CallExit exit = CallExit::one;
    static_cast<void>(observed_kernel(kernel, pair.first, pair.second, KindOfCall{&passes, &exit}));
    by_kind[{passes, exit}].push_back(pair);
  }
  std::vector<CallGroup> groups;
  for (auto& [kind, members] : by_kind) {
    groups.push_back({kind.first, kind.second, std::move(members)});
  }
  return groups;
}

double mean_passes_of_two(const std::vector<std::uint32_t>& passes) {
  double sum = 0;
  std::size_t loops = 0;
  for (std::size_t i = 0; i < passes.size(); i += 2, ++loops) {
    sum += std::max(passes[i], passes[i + 1 < passes.size() ? i + 1 : 0]);
  }
  return loops > 0 ? sum / static_cast<double>(loops) : 0;
}

std::vector<Pair> timed_table(const std::vector<Pair>& pairs) {
  std::vector<Pair> table;
  while (!pairs.empty() && table.size() < GROUP_TIMED_CALLS) {
    table.insert(table.end(), pairs.begin(), pairs.end());
  }
  return table;
}
