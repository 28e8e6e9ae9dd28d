// Results to JSON and back.
#include "report/files/report_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "report/files/paths.h"
#include "report/machine/mca.h"
#include "report/words/safe_text.h"
#include "study/stats.h"

namespace {

// The format written, and the one before it, which had no clock, no processor signature
// and no cycles; both are read.
constexpr const char* FORMAT = "gcd-kit report 2";
constexpr const char* FORMAT_WITHOUT_CYCLES = "gcd-kit report 1";

// Figures to a thousandth: more digits would only be noise.
double rounded(double value) { return std::round(value * 1000) / 1000; }

Json numbers(const std::vector<double>& values) {
  Json::Array array;
  for (const double value : values) {
    array.emplace_back(rounded(value));
  }
  return array;
}

Json optional_number(const std::optional<double>& value) {
  return value ? Json(rounded(*value)) : Json(nullptr);
}

Json optional_text(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

// Cycles for a time in ns, where the clock is known.
Json cycles(const std::optional<double>& ghz, double ns) {
  return ghz ? Json(rounded(ns * *ghz)) : Json(nullptr);
}

Json machine_json(const Machine& machine) {
  const std::optional<X86Signature>& x86 = machine.x86;
  return Json::Object{
      {"processor", machine.processor},
      {"compiler", machine.compiler},
      {"build_type", machine.build_type},
      {"flags", machine.flags},
      {"vendor", x86 ? Json(x86->vendor) : Json(nullptr)},
      {"family", x86 ? Json(x86->family) : Json(nullptr)},
      {"model", x86 ? Json(x86->model) : Json(nullptr)},
      {"stepping", x86 ? Json(x86->stepping) : Json(nullptr)},
      {"virtual_machine", machine.virtual_machine ? Json(*machine.virtual_machine) : Json(nullptr)},
      {"hypervisor", optional_text(machine.hypervisor)},
  };
}

// Reading: each helper records the first thing wrong and returns a neutral value, so that
// the reader can go on and report one clear error at the end. Every figure is checked
// against what a report of this kit can hold, and every text is made safe to show.
class Reader {
 public:
  std::string error;

  const Json& member(const Json& object, const char* key) {
    static const Json NONE;
    const Json* found = object.find(key);
    if (found == nullptr) {
      fail(std::string("no \"") + key + "\"");
      return NONE;
    }
    return *found;
  }
  const Json::Array& array(const Json& object, const char* key) {
    static const Json::Array EMPTY;
    const Json::Array* found = member(object, key).get<Json::Array>();
    if (found == nullptr) {
      fail(std::string("\"") + key + "\" is not a list");
      return EMPTY;
    }
    return *found;
  }
  const Json::Array& filled_array(const Json& object, const char* key) {
    const Json::Array& found = array(object, key);
    if (found.empty()) {
      fail(std::string("\"") + key + "\" is empty");
    }
    return found;
  }
  std::string text(const Json& object, const char* key, std::size_t max_characters = 100) {
    const std::string* found = member(object, key).get<std::string>();
    if (found == nullptr) {
      fail(std::string("\"") + key + "\" is not a text");
      return "";
    }
    return safe_text(*found, max_characters);
  }
  // A program's or kernel's name: letters, digits and '_' only.
  std::string name(const Json& object, const char* key) {
    const std::string* found = member(object, key).get<std::string>();
    const bool plain = found != nullptr && !found->empty() && found->size() <= 40 &&
                       std::all_of(found->begin(), found->end(), [](char c) {
                         return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
                       });
    if (!plain) {
      fail(std::string("\"") + key + "\" is not a name of letters, digits and '_'");
      return "";
    }
    return *found;
  }
  double number(const Json& object, const char* key, double low, double high) {
    return in_range(member(object, key), key, low, high);
  }
  std::optional<double> optional_number(const Json& object, const char* key, double low,
                                        double high) {
    const Json& value = member(object, key);
    if (value.get<std::nullptr_t>() != nullptr) {
      return std::nullopt;
    }
    return in_range(value, key, low, high);
  }
  std::optional<bool> optional_flag(const Json& object, const char* key) {
    const Json& value = member(object, key);
    if (value.get<std::nullptr_t>() != nullptr) {
      return std::nullopt;
    }
    if (const bool* flag = value.get<bool>()) {
      return *flag;
    }
    fail(std::string("\"") + key + "\" is neither true, false nor null");
    return std::nullopt;
  }
  // At most max_count numbers, each in [low, high].
  std::vector<double> numbers(const Json& object, const char* key, double low, double high,
                              std::size_t max_count) {
    std::vector<double> values;
    const Json::Array& items = filled_array(object, key);
    if (items.size() > max_count) {
      fail(std::string("\"") + key + "\" holds " + std::to_string(items.size()) +
           " figures, more than the " + std::to_string(max_count) + " a report can have");
      return values;
    }
    for (const Json& item : items) {
      values.push_back(in_range(item, key, low, high));
    }
    return values;
  }
  // A kernel's name: one of the kit's four, or (where peers may stand) one of the peers.
  std::string kernel(const Json& object, const char* key, const char* list, bool peers) {
    std::string found = name(object, key);
    if (!found.empty() && !(peers ? is_known_kernel(found) : is_kit_kernel(found))) {
      fail(std::string("\"") + list + "\" names " + found + ", no " +
           (peers ? "kernel or peer" : "kernel") + " of the kit");
    }
    return found;
  }
  template <class T>
  T whole(const Json& object, const char* key, double low, double high) {
    const double value = number(object, key, low, high);
    if (value != std::floor(value)) {
      fail(std::string("\"") + key + "\" is not a whole number");
      return 0;
    }
    return static_cast<T>(value);
  }
  void fail(const std::string& what) {
    if (error.empty()) {
      error = what;
    }
  }
  // Each name once in a list: a second row of one program would make its figures ambiguous.
  void once_each(std::vector<std::string> names, const char* list) {
    std::sort(names.begin(), names.end());
    const auto twice = std::adjacent_find(names.begin(), names.end());
    if (twice != names.end()) {
      std::string what = "\"";
      fail(what.append(list).append("\" names ").append(*twice).append(" twice"));
    }
  }

 private:
  double in_range(const Json& value, const char* key, double low, double high) {
    const double* found = value.get<double>();
    if (found == nullptr) {
      fail(std::string("\"") + key + "\" holds something that is not a number");
      return low;
    }
    if (!(*found >= low && *found <= high)) {
      fail(std::string("\"") + key + "\" holds " + shown(*found) + ", not a figure from " +
           shown(low) + " to " + shown(high));
      return low;
    }
    return *found;
  }
  static std::string shown(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
  }
};

// Limits of what a report can hold: a benchmark run is over 0 ms (the programs refuse to
// report 0) and within the longest time limit, a day; a kernel's time per call is far below a
// millisecond, and, net of the loop timed beside it, may come out at or below 0 where the
// noise of a small or busy run is larger than a fast kernel.
constexpr double MAX_MS = 86'400'000;
constexpr double MAX_NS = 1e6;
constexpr double MAX_PASSES = 1000;
// A report notes what it left out: a handful of lines.
constexpr std::size_t MAX_NOTES = 32;
// A latency, a chain of a pass or a division is a few dozen cycles; and a processor has a few
// dozen forms that chains time.
constexpr double MAX_CYCLES = 1e4;
constexpr std::size_t MAX_LATENCIES = 64;
constexpr double SMALLEST_POSITIVE = 1e-9;
// A clock that no processor runs at is a mistake of the file.
constexpr double MIN_GHZ = 0.01;
constexpr double MAX_GHZ = 100;

bool is_benchmark(const std::string& program) {
  return std::any_of(std::begin(BENCHMARK_PROGRAMS), std::end(BENCHMARK_PROGRAMS),
                     [&](const BenchmarkProgram& known) { return program == known.program; });
}

bool is_cross_check(const std::string& program) {
  return std::any_of(std::begin(CROSS_CHECK_PROGRAMS), std::end(CROSS_CHECK_PROGRAMS),
                     [&](const CrossCheckProgram& known) { return program == known.program; });
}

// The latencies timed here, the divider on Euclid's operands and each kernel's chain.
void read_latencies(Reader& read, const Json& json, Results& results) {
  Latencies& latencies = results.study.latencies;
  const Json& clock = read.member(json, "latencies_clock");
  latencies.clock_before_ghz = read.optional_number(clock, "before_ghz", MIN_GHZ, MAX_GHZ);
  latencies.clock_after_ghz = read.optional_number(clock, "after_ghz", MIN_GHZ, MAX_GHZ);
  const Json::Array& forms = read.array(json, "latencies");
  if (forms.size() > MAX_LATENCIES) {
    read.fail("\"latencies\" holds more forms than a processor has chains");
    return;
  }
  for (const Json& row : forms) {
    InstructionLatency form{read.name(row, "key"), read.text(row, "shown", 40),
                            read.number(row, "cycles", -MAX_CYCLES, MAX_CYCLES),
                            read.number(row, "carried", 0, MAX_CYCLES), true};
    form.plausible = read.optional_flag(row, "plausible").value_or(false);
    latencies.forms.push_back(form);
  }
  std::vector<std::string> names;
  for (const Json& row : read.array(json, "divider")) {
    DividerFigures figures{read.kernel(row, "kernel", "divider", false),
                           read.whole<std::uint64_t>(row, "pairs", 0, UINT32_MAX),
                           read.whole<std::uint64_t>(row, "passes", 0, 1e12),
                           read.optional_number(row, "cycles", -MAX_CYCLES, MAX_CYCLES),
                           read.optional_number(row, "unchained_cycles", -MAX_CYCLES, MAX_CYCLES),
                           {}};
    names.push_back(figures.kernel);
    results.study.divider.push_back(figures);
  }
  read.once_each(names, "divider");
  const Json::Array& quotients = read.array(json, "divider_quotients");
  if (quotients.size() > results.study.divider.size() * QUOTIENT_GROUPS.size()) {
    read.fail("\"divider_quotients\" holds more groups than the divider's kernels have");
    return;
  }
  for (const Json& row : quotients) {
    const std::string kernel = read.kernel(row, "kernel", "divider_quotients", false);
    const Json& high = read.member(row, "high");
    QuotientGroup group{read.whole<std::uint32_t>(row, "low", 0, UINT32_MAX),
                        high.get<std::nullptr_t>() != nullptr
                            ? UINT32_MAX
                            : read.whole<std::uint32_t>(row, "high", 0, UINT32_MAX),
                        read.whole<std::uint64_t>(row, "passes", 0, 1e12),
                        read.optional_number(row, "cycles", -MAX_CYCLES, MAX_CYCLES)};
    for (DividerFigures& figures : results.study.divider) {
      if (figures.kernel == kernel) {
        figures.groups.push_back(group);
      }
    }
  }
  names.clear();
  for (const Json& row : read.array(json, "latency_bounds")) {
    KernelBound bound{read.kernel(row, "kernel", "latency_bounds", false),
                      read.number(row, "cycles_per_pass", 0, MAX_CYCLES),
                      read.text(row, "chain", 600),
                      {},
                      read.whole<unsigned>(row, "branches", 0, 1000),
                      read.optional_flag(row, "from_machine_code").value_or(false)};
    const Json::Array& unmeasured = read.array(row, "unmeasured");
    if (unmeasured.size() > MAX_LATENCIES) {
      read.fail("\"unmeasured\" names more forms than a loop holds");
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

// Counts of a distribution: whole numbers, at most a list's worth.
std::vector<std::uint64_t> counts(Reader& read, const Json& row, std::size_t most) {
  std::vector<std::uint64_t> values;
  const Json::Array& items = read.array(row, "counts");
  if (items.size() > most) {
    read.fail("\"counts\" holds more counts than a distribution has");
    return values;
  }
  for (const Json& item : items) {
    const double* value = item.get<double>();
    if (value == nullptr || *value < 0 || *value > 1e15 || *value != std::floor(*value)) {
      read.fail("\"counts\" holds something that is no count");
      return values;
    }
    values.push_back(static_cast<std::uint64_t>(*value));
  }
  return values;
}

// How the passes spread: per kit kernel, its passes per call, quotients, zeros and exits.
void read_distributions(Reader& read, const Json& json, Study& study) {
  std::vector<std::string> names;
  for (const Json& row : read.array(json, "pass_counts")) {
    PassDistribution d;
    d.kernel = read.kernel(row, "kernel", "pass_counts", false);
    d.calls = read.whole<std::uint64_t>(row, "calls", 0, 1e12);
    d.passes = counts(read, row, 64);
    names.push_back(d.kernel);
    study.distributions.push_back(std::move(d));
  }
  read.once_each(names, "pass_counts");
  const auto kernel_of = [&](const Json& row, const char* list) -> PassDistribution* {
    const std::string kernel = read.kernel(row, "kernel", list, false);
    for (PassDistribution& d : study.distributions) {
      if (d.kernel == kernel) {
        return &d;
      }
    }
    std::string what(1, '"');
    read.fail(
        what.append(list).append("\" names ").append(kernel).append(", which has no pass_counts"));
    return nullptr;
  };
  for (const Json& row : read.array(json, "quotient_counts")) {
    if (PassDistribution* d = kernel_of(row, "quotient_counts")) {
      d->quotients = counts(read, row, COUNTED_QUOTIENTS);
    }
  }
  for (const Json& row : read.array(json, "zero_counts")) {
    if (PassDistribution* d = kernel_of(row, "zero_counts")) {
      d->difference_zeros = counts(read, row, COUNTED_ZEROS);
    }
  }
  for (const Json& row : read.array(json, "exit_counts")) {
    if (PassDistribution* d = kernel_of(row, "exit_counts")) {
      d->exits = {read.whole<std::uint64_t>(row, "u_is_one", 0, 1e12),
                  read.whole<std::uint64_t>(row, "v_is_one", 0, 1e12),
                  read.whole<std::uint64_t>(row, "u_equals_v", 0, 1e12)};
      d->no_pass = read.whole<std::uint64_t>(row, "no_pass", 0, 1e12);
    }
  }
}

}  // namespace

Json estimate_json(const Estimate& figure) {
  return Json::Object{{"value", rounded(figure.value)},
                      {"low", figure.has_interval ? Json(rounded(figure.low)) : Json(nullptr)},
                      {"high", figure.has_interval ? Json(rounded(figure.high)) : Json(nullptr)}};
}

Json results_to_json(const Results& results) {
  const Study& study = results.study;
  const StudySettings& settings = study.settings;

  Json::Array checks;
  for (const CrossCheckRow& row : results.checks) {
    checks.emplace_back(Json::Object{{"program", row.program},
                                     {"under_test", row.under_test},
                                     {"reference", row.reference},
                                     {"pairs", row.pairs},
                                     {"errors", row.errors}});
  }

  Json::Array benchmarks;
  for (const BenchmarkRow& row : results.benchmarks) {
    const double middle = median(row.runs_ms);
    const auto [low, high] = std::minmax_element(row.runs_ms.begin(), row.runs_ms.end());
    benchmarks.emplace_back(Json::Object{
        {"program", row.program},
        {"runs_ms", numbers(row.runs_ms)},
        {"median_ms", rounded(middle)},
        {"min_ms", *low},
        {"max_ms", *high},
        {"ns_per_call", rounded(middle * 1e6 / results.calls_per_run)},
        {"ratio", estimate_json(ratio_estimate(row.runs_ms, results.benchmarks.front().runs_ms))}});
  }

  const std::optional<double> ghz = study.ghz();
  const KernelFigures* euclid = find_kernel(study, "gcd_euclid_u");
  const std::vector<double> baseline =
      euclid != nullptr ? euclid->ns_per_call : std::vector<double>{};
  Json::Array kernels;
  for (const KernelFigures& kernel : study.kernels) {
    const double ns = median(kernel.ns_per_call);
    const std::optional<double> per_pass = ns_per_pass(kernel);
    kernels.emplace_back(Json::Object{
        {"name", kernel.name},
        {"ns_per_call", rounded(ns)},
        {"ns_per_call_runs", numbers(kernel.ns_per_call)},
        {"passes_per_call", optional_number(kernel.passes_per_call)},
        {"ns_per_pass", per_pass ? Json(rounded(*per_pass)) : Json(nullptr)},
        {"cycles_per_call", cycles(ghz, ns)},
        {"cycles_per_pass", per_pass ? cycles(ghz, *per_pass) : Json(nullptr)},
        {"ratio_to_gcd_euclid_u", estimate_json(ratio_estimate(kernel.ns_per_call, baseline))}});
  }

  Json::Array sweep;
  for (const SweepFigures& point : study.sweep) {
    sweep.emplace_back(Json::Object{{"kernel", point.kernel},
                                    {"bits", point.bits},
                                    {"ns_per_call", rounded(median(point.ns_per_call))},
                                    {"ns_per_call_runs", numbers(point.ns_per_call)},
                                    {"cycles_per_call", cycles(ghz, median(point.ns_per_call))},
                                    {"passes_per_call", optional_number(point.passes_per_call)}});
  }

  Json::Array fits;
  for (const PassesPerBit& fit : study.passes_per_bit) {
    fits.emplace_back(Json::Object{{"kernel", fit.kernel},
                                   {"measured", std::round(fit.measured * 1e5) / 1e5},
                                   {"theory", std::round(fit.theory * 1e5) / 1e5}});
  }

  Json::Array model_kernels;
  if (results.model) {
    for (const KernelModel& kernel : results.model->kernels) {
      const std::optional<ModelAgainstMeasure> against = model_against_measure(study, kernel);
      const auto measured = [&](double ModelAgainstMeasure::*figure) {
        return against ? Json(rounded((*against).*figure)) : Json(nullptr);
      };
      model_kernels.emplace_back(Json::Object{
          {"kernel", kernel.kernel},
          {"cycles_per_pass", rounded(kernel.cycles_per_pass)},
          {"block_rthroughput", rounded(kernel.block_rthroughput)},
          {"bound", kernel.bound},
          {"critical_sequence", kernel.critical},
          {"measured_cycles_per_pass", measured(&ModelAgainstMeasure::measured_cycles_per_pass)},
          {"cycles_per_call", measured(&ModelAgainstMeasure::model_cycles_per_call)},
          {"measured_cycles_per_call", measured(&ModelAgainstMeasure::measured_cycles_per_call)},
          {"difference", measured(&ModelAgainstMeasure::difference)},
      });
    }
  }

  const Latencies& latencies = study.latencies;
  Json::Array forms;
  for (const InstructionLatency& form : latencies.forms) {
    forms.emplace_back(Json::Object{{"key", form.key},
                                    {"shown", form.shown},
                                    {"cycles", rounded(form.cycles)},
                                    {"carried", rounded(form.carried)},
                                    {"plausible", form.plausible}});
  }
  Json::Array divider;
  Json::Array quotients;
  for (const DividerFigures& figures : study.divider) {
    divider.emplace_back(
        Json::Object{{"kernel", figures.kernel},
                     {"pairs", figures.pairs},
                     {"passes", figures.passes},
                     {"cycles", optional_number(figures.cycles)},
                     {"unchained_cycles", optional_number(figures.unchained_cycles)}});
    for (const QuotientGroup& group : figures.groups) {
      quotients.emplace_back(Json::Object{
          {"kernel", figures.kernel},
          {"low", group.low},
          {"high", group.high == UINT32_MAX ? Json(nullptr) : Json(group.high)},
          {"passes", group.passes},
          {"cycles", optional_number(group.cycles)},
          {"gauss_kuzmin",
           group.low == 0
               ? Json(nullptr)
               : Json(std::round(gauss_kuzmin_share(group.low, group.high) * 1e5) / 1e5)}});
    }
  }
  Json::Array bounds;
  for (const KernelBound& bound : results.bounds) {
    const std::optional<ModelAgainstMeasure> against =
        against_measure(study, bound.kernel, bound.cycles_per_pass);
    Json::Array unmeasured;
    for (const std::string& form : bound.unmeasured) {
      unmeasured.emplace_back(form);
    }
    bounds.emplace_back(
        Json::Object{{"kernel", bound.kernel},
                     {"cycles_per_pass", rounded(bound.cycles_per_pass)},
                     {"chain", bound.chain},
                     {"unmeasured", std::move(unmeasured)},
                     {"branches", bound.branches},
                     {"from_machine_code", bound.from_machine_code},
                     {"cycles_per_call",
                      against ? Json(rounded(against->model_cycles_per_call)) : Json(nullptr)},
                     {"measured_cycles_per_call",
                      against ? Json(rounded(against->measured_cycles_per_call)) : Json(nullptr)}});
  }

  Json::Array pass_counts;
  Json::Array quotient_counts;
  Json::Array zero_counts;
  Json::Array exit_counts;
  const auto counts = [](const std::vector<std::uint64_t>& values) {
    Json::Array array;
    for (const std::uint64_t value : values) {
      array.emplace_back(value);
    }
    return array;
  };
  for (const PassDistribution& d : study.distributions) {
    pass_counts.emplace_back(Json::Object{{"kernel", d.kernel},
                                          {"calls", d.calls},
                                          {"mean", rounded(d.mean())},
                                          {"standard_deviation", rounded(d.standard_deviation())},
                                          {"counts", counts(d.passes)}});
    if (!d.quotients.empty()) {
      quotient_counts.emplace_back(
          Json::Object{{"kernel", d.kernel}, {"counts", counts(d.quotients)}});
    }
    if (!d.difference_zeros.empty()) {
      zero_counts.emplace_back(
          Json::Object{{"kernel", d.kernel}, {"counts", counts(d.difference_zeros)}});
      exit_counts.emplace_back(Json::Object{{"kernel", d.kernel},
                                            {"u_is_one", d.exits[0]},
                                            {"v_is_one", d.exits[1]},
                                            {"u_equals_v", d.exits[2]},
                                            {"no_pass", d.no_pass}});
    }
  }

  Json::Array counters;
  for (const KernelCounters& counted : study.counters) {
    const KernelFigures* kernel = find_kernel(study, counted.kernel);
    const double passes =
        kernel != nullptr && kernel->passes_per_call ? *kernel->passes_per_call : 0;
    counters.emplace_back(Json::Object{
        {"kernel", counted.kernel},
        {"cycles_per_call", rounded(counted.cycles)},
        {"instructions_per_call", rounded(counted.instructions)},
        {"instructions_per_pass",
         passes > 0 ? Json(rounded(counted.instructions / passes)) : Json(nullptr)},
        {"instructions_per_cycle",
         counted.cycles > 0 ? Json(rounded(counted.instructions / counted.cycles)) : Json(nullptr)},
        {"branch_misses_per_call", rounded(counted.branch_misses)},
    });
  }

  Json::Array notes;
  for (const std::string& note : results.notes) {
    notes.emplace_back(note);
  }
  for (const std::string* left_out : {&results.model_left_out, &study.counters_left_out,
                                      &latencies.left_out, &results.bounds_left_out}) {
    const bool noted = std::any_of(notes.begin(), notes.end(), [&](const Json& note) {
      return *note.get<std::string>() == *left_out;  // one reason for two things left out
    });
    if (!left_out->empty() && !noted) {
      notes.emplace_back(*left_out);
    }
  }

  return Json::Object{
      {"format", FORMAT},
      {"machine", machine_json(results.machine)},
      {"clock", Json::Object{{"before_ghz", optional_number(study.clock_before_ghz)},
                             {"after_ghz", optional_number(study.clock_after_ghz)},
                             {"ghz", optional_number(ghz)}}},
      {"mispredicted_branch",
       Json::Object{
           {"ns", optional_number(study.mispredicted_branch_ns)},
           {"cycles", study.mispredicted_branch_ns ? cycles(ghz, *study.mispredicted_branch_ns)
                                                   : Json(nullptr)}}},
      {"settings", Json::Object{{"calls_per_run", results.calls_per_run},
                                {"drawn_pairs", settings.drawn_pairs},
                                {"repetitions", settings.repetitions},
                                {"sweep_pairs", settings.sweep_pairs},
                                {"sweep_from_bits", settings.sweep_from_bits},
                                {"sweep_step_bits", settings.sweep_step_bits},
                                {"fit_from_bits", settings.fit_from_bits},
                                {"seed", static_cast<double>(settings.seed)}}},
      {"cross_checks", std::move(checks)},
      {"benchmarks", std::move(benchmarks)},
      {"loop_ns_per_call", Json::Object{{"programs_loop", numbers(study.loop_ns_per_call)},
                                        {"sweep_loop", numbers(study.sweep_loop_ns_per_call)}}},
      {"kernels", std::move(kernels)},
      {"sweep", std::move(sweep)},
      {"passes_per_bit", std::move(fits)},
      {"model", Json::Object{{"cpu", results.model ? Json(results.model->cpu) : Json(nullptr)},
                             {"tool", results.model ? Json(results.model->tool) : Json(nullptr)}}},
      {"model_kernels", std::move(model_kernels)},
      {"counters", std::move(counters)},
      {"latencies_clock", Json::Object{{"before_ghz", optional_number(latencies.clock_before_ghz)},
                                       {"after_ghz", optional_number(latencies.clock_after_ghz)},
                                       {"ghz", optional_number(latencies.ghz())}}},
      {"latencies", std::move(forms)},
      {"divider", std::move(divider)},
      {"divider_quotients", std::move(quotients)},
      {"latency_bounds", std::move(bounds)},
      {"pass_counts", std::move(pass_counts)},
      {"quotient_counts", std::move(quotient_counts)},
      {"zero_counts", std::move(zero_counts)},
      {"exit_counts", std::move(exit_counts)},
      {"notes", std::move(notes)},
  };
}

std::optional<Results> results_from_json(const Json& json, std::string& error) {
  const Json* format = json.find("format");
  if (format == nullptr || format->get<std::string>() == nullptr) {
    error = "no \"format\": \"" + std::string(FORMAT) + "\"";
    return std::nullopt;
  }
  const std::string& version = *format->get<std::string>();
  if (version != FORMAT && version != FORMAT_WITHOUT_CYCLES) {
    error = "its format is \"" + safe_text(version, 40) + "\", and this gcd_report reads \"" +
            FORMAT + "\" and \"" + FORMAT_WITHOUT_CYCLES + "\"";
    return std::nullopt;
  }
  const bool with_cycles = version == FORMAT;
  Reader read;
  Results results;
  const Json& machine = read.member(json, "machine");
  results.machine.processor = read.text(machine, "processor");
  results.machine.compiler = read.text(machine, "compiler");
  results.machine.build_type = read.text(machine, "build_type", 40);
  if (with_cycles) {
    if (machine.find("flags") != nullptr) {  // from the same format's later builds on
      results.machine.flags = read.text(machine, "flags", 120);
    }
    if (read.member(machine, "vendor").get<std::nullptr_t>() == nullptr) {
      results.machine.x86 = X86Signature{read.text(machine, "vendor", 12),
                                         read.whole<unsigned>(machine, "family", 0, 0x10F),
                                         read.whole<unsigned>(machine, "model", 0, 0xFF),
                                         read.whole<unsigned>(machine, "stepping", 0, 0xF)};
    }
    results.machine.virtual_machine = read.optional_flag(machine, "virtual_machine");
    if (read.member(machine, "hypervisor").get<std::nullptr_t>() == nullptr) {
      results.machine.hypervisor = read.text(machine, "hypervisor", 12);
    }
    const Json& clock = read.member(json, "clock");
    results.study.clock_before_ghz = read.optional_number(clock, "before_ghz", MIN_GHZ, MAX_GHZ);
    results.study.clock_after_ghz = read.optional_number(clock, "after_ghz", MIN_GHZ, MAX_GHZ);
    results.study.mispredicted_branch_ns = read.optional_number(
        read.member(json, "mispredicted_branch"), "ns", SMALLEST_POSITIVE, MAX_NS);
  }
  const Json& settings = read.member(json, "settings");
  results.calls_per_run = read.whole<std::uint32_t>(settings, "calls_per_run", 1, UINT32_MAX);
  StudySettings& study_settings = results.study.settings;
  study_settings.drawn_pairs = read.whole<std::uint32_t>(settings, "drawn_pairs", 1, UINT32_MAX);
  study_settings.repetitions = read.whole<unsigned>(settings, "repetitions", 1, MAX_REPETITIONS);
  study_settings.sweep_pairs = read.whole<std::size_t>(settings, "sweep_pairs", 1, UINT32_MAX);
  study_settings.sweep_from_bits = read.whole<unsigned>(settings, "sweep_from_bits", 1, 32);
  study_settings.sweep_step_bits = read.whole<unsigned>(settings, "sweep_step_bits", 1, 32);
  study_settings.fit_from_bits = read.whole<unsigned>(settings, "fit_from_bits", 1, 32);

  std::vector<std::string> names;
  for (const Json& row : read.array(json, "cross_checks")) {
    CrossCheckRow check{read.name(row, "program"), read.name(row, "under_test"),
                        read.name(row, "reference"),
                        read.whole<std::uint32_t>(row, "pairs", 1, UINT32_MAX), 0};
    check.errors = read.whole<std::int32_t>(row, "errors", 0, check.pairs);
    if (!is_cross_check(check.program)) {
      read.fail("\"cross_checks\" names " + check.program + ", no cross-check of the kit");
    }
    names.push_back(check.program);
    results.checks.push_back(check);
  }
  read.once_each(names, "cross_checks");
  names.clear();
  for (const Json& row : read.filled_array(json, "benchmarks")) {
    results.benchmarks.push_back(
        {read.name(row, "program"),
         read.numbers(row, "runs_ms", SMALLEST_POSITIVE, MAX_MS, MAX_RUNS)});
    if (!is_benchmark(results.benchmarks.back().program)) {
      read.fail("\"benchmarks\" names " + results.benchmarks.back().program +
                ", no benchmark of the kit");
    }
    names.push_back(results.benchmarks.back().program);
  }
  read.once_each(names, "benchmarks");
  const Json& loops = read.member(json, "loop_ns_per_call");
  results.study.loop_ns_per_call = read.numbers(loops, "programs_loop", 0, MAX_NS, MAX_REPETITIONS);
  results.study.sweep_loop_ns_per_call =
      read.numbers(loops, "sweep_loop", 0, MAX_NS, MAX_REPETITIONS);
  names.clear();
  for (const Json& row : read.filled_array(json, "kernels")) {
    results.study.kernels.push_back(
        {read.kernel(row, "name", "kernels", true),
         read.numbers(row, "ns_per_call_runs", -MAX_NS, MAX_NS, MAX_REPETITIONS),
         read.optional_number(row, "passes_per_call", SMALLEST_POSITIVE, MAX_PASSES)});
    names.push_back(results.study.kernels.back().name);
  }
  read.once_each(names, "kernels");
  names.clear();
  for (const Json& row : read.array(json, "sweep")) {
    results.study.sweep.push_back(
        {read.kernel(row, "kernel", "sweep", true), read.whole<unsigned>(row, "bits", 1, 32),
         read.numbers(row, "ns_per_call_runs", -MAX_NS, MAX_NS, MAX_REPETITIONS),
         read.optional_number(row, "passes_per_call", 0, MAX_PASSES)});
    names.push_back(results.study.sweep.back().kernel + " at " +
                    std::to_string(results.study.sweep.back().bits) + " bits");
  }
  read.once_each(names, "sweep");
  names.clear();
  for (const Json& row : read.array(json, "passes_per_bit")) {
    results.study.passes_per_bit.push_back({read.kernel(row, "kernel", "passes_per_bit", false),
                                            read.number(row, "measured", 0, MAX_PASSES),
                                            read.number(row, "theory", 0, MAX_PASSES)});
    names.push_back(results.study.passes_per_bit.back().kernel);
  }
  read.once_each(names, "passes_per_bit");
  // The model and the counters came with the cycles, as further keys of the same format.
  if (with_cycles && json.find("model") != nullptr) {
    const Json& model = read.member(json, "model");
    if (model.find("cpu") != nullptr && model.find("cpu")->get<std::nullptr_t>() == nullptr) {
      ProcessorModel processor{read.text(model, "cpu", 40), read.text(model, "tool"), {}};
      names.clear();
      for (const Json& row : read.array(json, "model_kernels")) {
        processor.kernels.push_back({read.kernel(row, "kernel", "model_kernels", false),
                                     read.number(row, "cycles_per_pass", 0, MAX_NS),
                                     read.number(row, "block_rthroughput", 0, MAX_NS),
                                     read.text(row, "bound", 400),
                                     read.text(row, "critical_sequence", 600), "", 0});
        if (!bound_shares(processor.kernels.back().bound)) {
          read.fail("\"model_kernels\" gives " + processor.kernels.back().kernel +
                    " a bound whose shares are not all from 0 to 100%");
        }
        names.push_back(processor.kernels.back().kernel);
      }
      read.once_each(names, "model_kernels");
      results.model = processor;
    }
    names.clear();
    for (const Json& row : read.array(json, "counters")) {
      results.study.counters.push_back(
          {read.kernel(row, "kernel", "counters", false),
           read.number(row, "cycles_per_call", -MAX_NS, MAX_NS),
           read.number(row, "instructions_per_call", -MAX_NS, MAX_NS),
           read.number(row, "branch_misses_per_call", -MAX_NS, MAX_NS)});
      names.push_back(results.study.counters.back().kernel);
    }
    read.once_each(names, "counters");
  }
  // The latencies, the divider and the bounds came later still, as further keys.
  if (with_cycles && json.find("latencies") != nullptr) {
    read_latencies(read, json, results);
  }
  if (with_cycles && json.find("pass_counts") != nullptr) {
    read_distributions(read, json, results.study);
  }
  const Json::Array& notes = read.array(json, "notes");
  if (notes.size() > MAX_NOTES) {
    read.fail("\"notes\" holds " + std::to_string(notes.size()) + " notes, more than " +
              std::to_string(MAX_NOTES));
  }
  for (const Json& note : notes) {
    if (const std::string* text = note.get<std::string>();
        text && results.notes.size() < MAX_NOTES) {
      results.notes.push_back(safe_text(*text, 200));
    }
  }
  if (!read.error.empty()) {
    error = read.error;
    return std::nullopt;
  }
  return results;
}

std::optional<std::string> readable_report_json(const Results& results, std::string& why) {
  const Json json = results_to_json(results);
  if (!results_from_json(json, why)) {
    why = "it would not read back as a report: " + why;
    return std::nullopt;
  }
  return to_text(json);
}

std::optional<Results> read_results(const std::string& path, std::string& error) {
  const std::string shown_path = safe_text(path, 200);
  const std::optional<std::string> text = read_bounded(path, MAX_REPORT_FILE_BYTES, error);
  if (!text) {
    error = "cannot read " + shown_path + ": " + error;
    return std::nullopt;
  }
  std::string why;
  const std::optional<Json> json = parse_json(*text, why);
  std::optional<Results> results;
  if (!json) {
    why = "not JSON (" + why + ")";
  } else {
    results = results_from_json(*json, why);
  }
  if (!results) {
    error = shown_path + " is not a report of this kit: " + why;
  }
  return results;
}
