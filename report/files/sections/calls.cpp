// The kit kernels' calls by their kind and in the programs' order, and what bounds a call:
// "calls_in_order", "two_pairs_in_order", "call_groups", "call_bounds" and "two_pair_gains"
// (these two worked out, not read).
#include <algorithm>

#include "report/figures/call_bounds.h"
#include "report/figures/disturbance.h"
#include "report/files/sections/section.h"
#include "study/peers.h"

namespace {

constexpr CallExit EXITS[] = {CallExit::one, CallExit::u_is_one, CallExit::v_is_one,
                              CallExit::u_equals_v};

Json exit_json(CallExit exit) {
  return exit == CallExit::one ? Json(nullptr) : Json(call_exit_name(exit));
}

// Why a line's slope is not used; null where it holds.
Json fault_json(LineFault fault) {
  switch (fault) {
    case LineFault::none: return nullptr;
    case LineFault::few_groups: return "few_groups";
    case LineFault::narrow: return "narrow";
    case LineFault::departs: return "departs";
  }
  return nullptr;
}

Json line_json(const OverlapLine& line) {
  return Json::Object{{"exit", exit_json(line.exit)},
                      {"groups", line.groups},
                      {"pairs", line.pairs},
                      {"cycles_per_pass", rounded(line.cycles_per_pass)},
                      {"intercept", rounded(line.intercept)},
                      {"largest_departure", rounded(line.largest_departure)},
                      {"departing_passes", line.departing_passes},
                      {"span", line.span},
                      {"holds", line.holds()},
                      {"fault", fault_json(line.fault)}};
}

Json bound_json(const CallBound& bound) {
  Json::Array lines;
  for (const OverlapLine& line : bound.lines) {
    lines.emplace_back(line_json(line));
  }
  return Json::Object{
      {"kernel", bound.kernel},
      {"mean_passes", rounded(bound.mean_passes)},
      {"chain_cycles_per_pass", optional_number(bound.chain)},
      {"overlapped_cycles_per_pass", optional_number(bound.overlapped_pass)},
      {"predicted_cycles_per_call", optional_number(bound.prediction)},
      {"measured_cycles_per_call", rounded(bound.measured)},
      {"exit_in_place_cycles", rounded(bound.exit_in_place)},
      {"bound", bound.prediction
                    ? Json(bound.sits_on == PassBound::chain ? "chain" : "overlapped pass")
                    : Json(nullptr)},
      {"departure", optional_number(bound.departure)},
      {"lines", std::move(lines)}};
}

// An exit by its name; the one exit of Euclid's loop for null.
CallExit read_exit(Reader& read, const Json& row) {
  const Json& exit = read.member(row, "exit");
  if (exit.get<std::nullptr_t>() != nullptr) {
    return CallExit::one;
  }
  const std::string name = read.text(row, "exit", 20);
  for (const CallExit known : EXITS) {
    if (name == call_exit_name(known) && known != CallExit::one) {
      return known;
    }
  }
  read.fail(in_quotes(read.at(row, "exit")) + " holds " + name + ", no exit of the binary loop");
  return CallExit::one;
}

}  // namespace

void write_calls(const Results& results, Json::Object& report) {
  const std::optional<double> ghz = results.study.ghz();
  Json::Array groups;
  Json::Array in_order;
  for (const CallTimings& timings : results.study.calls) {
    for (const GroupTiming& group : timings.groups) {
      Json::Object row{{"kernel", timings.kernel},
                       {"passes", group.passes},
                       {"exit", exit_json(group.exit)},
                       {"pairs", group.pairs}};
      add_repeated(row, "ns_per_call_runs", group.ns_per_call);
      row.emplace_back("cycles_per_call", cycles(ghz, estimate(group.ns_per_call)));
      groups.emplace_back(std::move(row));
    }
    Json::Object row{{"kernel", timings.kernel},
                     {"pairs", timings.pairs},
                     {"passes_of_two", timings.passes_of_two}};
    add_repeated(row, "ns_per_call_runs", timings.own_order_ns_per_call);
    row.emplace_back("cycles_per_call", cycles(ghz, estimate(timings.own_order_ns_per_call)));
    in_order.emplace_back(std::move(row));
  }
  Json::Array bounds;
  for (const CallBound& bound : results.worked_out.calls) {
    bounds.emplace_back(bound_json(bound));
  }
  Json::Array two_pairs_in_order;
  for (const TwoPairTimings& two : results.study.two_pairs) {
    Json::Object row{{"peer", two.peer}, {"kernel", two.kernel}};
    add_repeated(row, "ns_per_pair_runs", two.ns_per_pair);
    row.emplace_back("cycles_per_pair", cycles(ghz, estimate(two.ns_per_pair)));
    two_pairs_in_order.emplace_back(std::move(row));
  }
  report.emplace_back("calls_in_order", std::move(in_order));
  report.emplace_back("two_pairs_in_order", std::move(two_pairs_in_order));
  report.emplace_back("call_groups", std::move(groups));
  report.emplace_back("call_bounds", std::move(bounds));
  Json::Array two_pairs;
  for (const TwoPairGain& two : results.worked_out.two_pairs) {
    two_pairs.emplace_back(
        Json::Object{{"peer", two.peer},
                     {"kernel", two.kernel},
                     {"cycles_per_pair", rounded(two.cycles_per_pair)},
                     {"kernel_cycles_per_call", rounded(two.cycles_per_call)},
                     {"gain", rounded(two.gain)},
                     {"loop_pass_cycles", rounded(two.loop_pass)},
                     {"predicted_cycles_per_pair", rounded(two.predicted_per_pair)},
                     {"predicted_gain", rounded(two.predicted_gain)}});
  }
  report.emplace_back("two_pair_gains", std::move(two_pairs));
}

namespace {

// Why a group's exit is none its kernel's loop has, or "" where it is: Euclid's loop has one
// exit (null); a binary call leaves by one of three, or by none where it makes no pass.
std::string wrong_exit(const std::string& kernel, const GroupTiming& group) {
  if (kernel.starts_with("gcd_euclid")) {
    return group.exit == CallExit::one ? ""
                                       : "a second exit of " + kernel + "'s loop, which has one";
  }
  if (group.exit == CallExit::one && group.passes > 0) {
    return "no exit for a call of " + kernel + " that makes " + std::to_string(group.passes) +
           " passes, which leaves its loop by one";
  }
  if (group.exit != CallExit::one && group.passes == 0) {
    return "an exit for a call of " + kernel + " that makes no pass, and leaves by none";
  }
  return "";
}

// A kernel's groups are its calls' pairs sorted by kind: they add up to those pairs, and the
// mean of the larger passes of two lies between the fewest and the most passes of a group.
void read_groups_as_the_calls(Reader& read, const Json& row, const CallTimings& timings) {
  std::uint64_t pairs = 0;
  std::uint32_t fewest = UINT32_MAX;
  std::uint32_t most = 0;
  for (const GroupTiming& group : timings.groups) {
    pairs += group.pairs;
    fewest = std::min(fewest, group.passes);
    most = std::max(most, group.passes);
  }
  if (pairs != timings.pairs) {
    read.fail("\"call_groups\" of " + timings.kernel + " hold " + std::to_string(pairs) +
              " pairs, and " + in_quotes(read.at(row, "pairs")) + " " +
              std::to_string(timings.pairs));
  } else if (timings.passes_of_two < fewest || timings.passes_of_two > most) {
    read.fail(in_quotes(read.at(row, "passes_of_two")) + " holds " + shown(timings.passes_of_two) +
              ", outside the passes of " + timings.kernel + "'s groups, " + std::to_string(fewest) +
              " to " + std::to_string(most));
  }
}

}  // namespace

void read_calls(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  const Json::Array& in_order = read.array(report, "calls_in_order");
  for (const Json& row : in_order) {
    CallTimings timings{
        read.kernel(row, "kernel", false),
        read.whole<std::uint64_t>(row, "pairs", 1, UINT32_MAX),
        read.number(row, "passes_of_two", 0, MAX_PASSES),
        {},
        read.repeated(row, "ns_per_call_runs", -MAX_NS, MAX_NS, MAX_TIMED_REPETITIONS)};
    if (find_kernel(results.study, timings.kernel) == nullptr) {
      read.fail(in_quotes(read.at(row, "kernel")) + " names " + timings.kernel +
                ", which has no row in \"kernels\"");
    }
    names.push_back(timings.kernel);
    results.study.calls.push_back(std::move(timings));
  }
  read.once_each(names, "calls_in_order");
  const Json::Array& groups = read.array(report, "call_groups");
  if (groups.size() > results.study.calls.size() * MAX_CALL_GROUPS) {
    read.fail("\"call_groups\" holds more groups than its kernels' calls can make");
    return;
  }
  names.clear();
  for (const Json& row : groups) {
    const std::string kernel = read.kernel(row, "kernel", false);
    GroupTiming group{
        read.whole<std::uint32_t>(row, "passes", 0, MAX_PASSES), read_exit(read, row),
        read.whole<std::uint64_t>(row, "pairs", 1, UINT32_MAX),
        read.repeated(row, "ns_per_call_runs", -MAX_NS, MAX_NS, MAX_TIMED_REPETITIONS)};
    names.push_back(group_name(kernel, group));
    if (const std::string why = wrong_exit(kernel, group); !why.empty()) {
      read.fail(in_quotes(read.at(row, "exit")) + " holds " + why);
    }
    if (CallTimings* timings = find_named(results.study.calls, &CallTimings::kernel, kernel)) {
      timings->groups.push_back(std::move(group));
    } else {
      read.fail(in_quotes(read.at(row, "kernel")) + " names " + kernel +
                ", which has no calls_in_order");
    }
  }
  read.once_each(names, "call_groups");
  for (std::size_t i = 0; i < results.study.calls.size() && read.error.empty(); ++i) {
    read_groups_as_the_calls(read, in_order[i], results.study.calls[i]);
  }
  // Written since the peers of two pairs at once were timed on their kernels' calls' pairs.
  if (report.find("two_pairs_in_order") == nullptr) {
    return;
  }
  names.clear();
  for (const Json& row : read.array(report, "two_pairs_in_order")) {
    TwoPairTimings two{
        read.kernel(row, "peer", true), read.kernel(row, "kernel", false),
        read.repeated(row, "ns_per_pair_runs", -MAX_NS, MAX_NS, MAX_TIMED_REPETITIONS)};
    const auto peers = two_pair_peers();
    const auto peer = std::find_if(peers.begin(), peers.end(), [&](const TwoPairPeer& known) {
      return known.name == two.peer;
    });
    if (peer == peers.end() || peer->kit_kernel != two.kernel) {
      read.fail(in_quotes(read.at(row, "peer")) + " names " + two.peer + ", no peer that runs " +
                two.kernel + "'s algorithm on two pairs at once");
    } else if (find_named(results.study.calls, &CallTimings::kernel, two.kernel) == nullptr) {
      read.fail(in_quotes(read.at(row, "kernel")) + " names " + two.kernel +
                ", which has no calls_in_order");
    }
    names.push_back(two.peer);
    results.study.two_pairs.push_back(std::move(two));
  }
  read.once_each(names, "two_pairs_in_order");
}
