// What bounds a pass: "latencies_clock", "latencies", "divider", "divider_quotients",
// "latency_bounds".
#include <cmath>

#include "report/files/sections/section.h"
#include "report/words/safe_text.h"

void write_latencies(const Results& results, Json::Object& report) {
  const Latencies& latencies = results.study.latencies;
  Json::Array forms;
  for (const InstructionLatency& form : latencies.forms) {
    forms.emplace_back(Json::Object{{"key", form.key},
                                    {"shown", form.shown},
                                    {"cycles", form.cycles},
                                    {"carried", form.carried},
                                    {"plausible", form.plausible}});
  }
  report.emplace_back("latencies_clock",
                      Json::Object{{"before_ghz", exact(latencies.clock_before_ghz)},
                                   {"after_ghz", exact(latencies.clock_after_ghz)},
                                   {"ghz", optional_number(latencies.ghz())}});
  report.emplace_back("latencies", std::move(forms));
}

void read_latencies(Reader& read, const Json& report, Results& results) {
  Latencies& latencies = results.study.latencies;
  const Json& clock = read.member(report, "latencies_clock");
  latencies.clock_before_ghz = read.optional_number(clock, "before_ghz", GHZ);
  latencies.clock_after_ghz = read.optional_number(clock, "after_ghz", GHZ);
  const Json::Array& forms = read.array(report, "latencies");
  if (forms.size() > MAX_LATENCIES) {
    read.fail("\"latencies\" holds more forms than a processor has chains");
    return;
  }
  for (const Json& row : forms) {
    InstructionLatency form{read.name(row, "key"), read.text(row, "shown", 40), 0,
                            read.number(row, "carried", SOME_CYCLES), true};
    form.plausible = read.optional_flag(row, "plausible").value_or(false);
    // A form that a pass's chain may use is work: above 0, but a move, which the core may
    // eliminate.
    form.cycles = read.number(row, "cycles",
                              form.plausible && form.key != "mov" ? WORK_CYCLES : TIMED_CYCLES);
    latencies.forms.push_back(form);
  }
}

void write_divider(const Results& results, Json::Object& report) {
  Json::Array divider;
  Json::Array quotients;
  for (const DividerFigures& figures : results.study.divider) {
    divider.emplace_back(
        Json::Object{{"kernel", figures.kernel},
                     {"pairs", figures.pairs},
                     {"passes", figures.passes},
                     {"cycles", within(figures.cycles, WORK_CYCLES)},
                     {"unchained_cycles", within(figures.unchained_cycles, WORK_CYCLES)}});
    for (const QuotientGroup& group : figures.groups) {
      quotients.emplace_back(Json::Object{
          {"kernel", figures.kernel},
          {"low", group.low},
          {"high", group.high == UINT32_MAX ? Json(nullptr) : Json(group.high)},
          {"passes", group.passes},
          {"cycles", within(group.cycles, WORK_CYCLES)},
          {"gauss_kuzmin",
           group.low == 0
               ? Json(nullptr)
               : Json(std::round(gauss_kuzmin_share(group.low, group.high) * 1e5) / 1e5)}});
    }
  }
  report.emplace_back("divider", std::move(divider));
  report.emplace_back("divider_quotients", std::move(quotients));
}

void read_divider(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "divider")) {
    DividerFigures figures{read.kernel(row, "kernel", false),
                           read.whole<std::uint64_t>(row, "pairs", 0, UINT32_MAX),
                           read.whole<std::uint64_t>(row, "passes", 0, 1e12),
                           read.optional_number(row, "cycles", WORK_CYCLES),
                           read.optional_number(row, "unchained_cycles", WORK_CYCLES),
                           {}};
    names.push_back(figures.kernel);
    results.study.divider.push_back(figures);
  }
  read.once_each(names, "divider");
  const Json::Array& quotients = read.array(report, "divider_quotients");
  if (quotients.size() > results.study.divider.size() * QUOTIENT_GROUPS.size()) {
    read.fail("\"divider_quotients\" holds more groups than the divider's kernels have");
    return;
  }
  for (const Json& row : quotients) {
    const std::string kernel = read.kernel(row, "kernel", false);
    const Json& high = read.member(row, "high");
    QuotientGroup group{read.whole<std::uint32_t>(row, "low", 0, UINT32_MAX),
                        high.get<std::nullptr_t>() != nullptr
                            ? UINT32_MAX
                            : read.whole<std::uint32_t>(row, "high", 0, UINT32_MAX),
                        read.whole<std::uint64_t>(row, "passes", 0, 1e12),
                        read.optional_number(row, "cycles", WORK_CYCLES)};
    for (DividerFigures& figures : results.study.divider) {
      if (figures.kernel == kernel) {
        figures.groups.push_back(group);
      }
    }
  }
}

void write_latency_bounds(const Results& results, Json::Object& report) {
  Json::Array bounds;
  for (const KernelBound& bound : results.bounds) {
    const KernelBoundFigures* figures = find_bound_figures(results, bound.kernel);
    const ModelAgainstMeasure* against =
        figures != nullptr && figures->by_chain ? &*figures->by_chain : nullptr;
    Json::Array unmeasured;
    for (const std::string& form : bound.unmeasured) {
      unmeasured.emplace_back(form);
    }
    bounds.emplace_back(Json::Object{
        {"kernel", bound.kernel},
        {"cycles_per_pass", bound.cycles_per_pass},
        {"chain", bound.chain},
        {"unmeasured", std::move(unmeasured)},
        {"branches", bound.branches},
        {"from_machine_code", bound.from_machine_code},
        {"cycles_per_call",
         against != nullptr ? Json(rounded(against->model_cycles_per_call)) : Json(nullptr)},
        {"measured_cycles_per_call",
         against != nullptr ? Json(rounded(against->measured_cycles_per_call)) : Json(nullptr)}});
  }
  report.emplace_back("latency_bounds", std::move(bounds));
}

void read_latency_bounds(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "latency_bounds")) {
    KernelBound bound{read.kernel(row, "kernel", false),
                      read.number(row, "cycles_per_pass", WORK_CYCLES),
                      read.text(row, "chain", 600),
                      {},
                      read.whole<unsigned>(row, "branches", BRANCHES.low, BRANCHES.high),
                      read.optional_flag(row, "from_machine_code").value_or(false)};
    const Json::Array& unmeasured = read.array(row, "unmeasured");
    if (unmeasured.size() > MAX_LATENCIES) {
      read.fail(in_quotes(read.at(row, "unmeasured")) + " names more forms than a loop holds");
    }
    for (const Json& form : unmeasured) {
      if (const std::string* text = form.get<std::string>();
          text && bound.unmeasured.size() < MAX_LATENCIES) {
        bound.unmeasured.push_back(safe_text(*text, 20));
      }
    }
    names.push_back(bound.kernel);
    results.bounds.push_back(bound);
  }
  read.once_each(names, "latency_bounds");
}
