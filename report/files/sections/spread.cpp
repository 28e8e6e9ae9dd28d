// How the passes spread: "pass_counts", "quotient_counts", "zero_counts", "exit_counts".
#include <cmath>

#include "report/files/sections/section.h"

namespace {

// Counts of a distribution: whole numbers, at most a list's worth.
std::vector<std::uint64_t> counts(Reader& read, const Json& row, std::size_t most) {
  std::vector<std::uint64_t> values;
  const Json::Array& items = read.array(row, "counts");
  if (items.size() > most) {
    read.fail(in_quotes(read.at(row, "counts")) + " holds more counts than a distribution has");
    return values;
  }
  for (const Json& item : items) {
    const double* value = item.get<double>();
    if (value == nullptr || *value < 0 || *value > 1e15 || *value != std::floor(*value)) {
      read.fail(in_quotes(read.path_of(item, "counts")) + " holds something that is no count");
      return values;
    }
    values.push_back(static_cast<std::uint64_t>(*value));
  }
  return values;
}

}  // namespace

void write_spread(const Results& results, Json::Object& report) {
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
  for (const PassDistribution& d : results.study.distributions) {
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
  report.emplace_back("pass_counts", std::move(pass_counts));
  report.emplace_back("quotient_counts", std::move(quotient_counts));
  report.emplace_back("zero_counts", std::move(zero_counts));
  report.emplace_back("exit_counts", std::move(exit_counts));
}

void read_spread(Reader& read, const Json& report, Results& results) {
  Study& study = results.study;
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "pass_counts")) {
    PassDistribution d;
    d.kernel = read.kernel(row, "kernel", false);
    d.calls = read.whole<std::uint64_t>(row, "calls", 0, 1e12);
    d.passes = counts(read, row, 64);
    names.push_back(d.kernel);
    study.distributions.push_back(std::move(d));
  }
  read.once_each(names, "pass_counts");
  const auto kernel_of = [&](const Json& row) -> PassDistribution* {
    const std::string kernel = read.kernel(row, "kernel", false);
    for (PassDistribution& d : study.distributions) {
      if (d.kernel == kernel) {
        return &d;
      }
    }
    std::string what(1, '"');
    read.fail(what.append(read.at(row, "kernel"))
                  .append("\" names ")
                  .append(kernel)
                  .append(", which has no pass_counts"));
    return nullptr;
  };
  for (const Json& row : read.array(report, "quotient_counts")) {
    if (PassDistribution* d = kernel_of(row)) {
      d->quotients = counts(read, row, COUNTED_QUOTIENTS);
    }
  }
  for (const Json& row : read.array(report, "zero_counts")) {
    if (PassDistribution* d = kernel_of(row)) {
      d->difference_zeros = counts(read, row, COUNTED_ZEROS);
    }
  }
  for (const Json& row : read.array(report, "exit_counts")) {
    if (PassDistribution* d = kernel_of(row)) {
      d->exits = {read.whole<std::uint64_t>(row, "u_is_one", 0, 1e12),
                  read.whole<std::uint64_t>(row, "v_is_one", 0, 1e12),
                  read.whole<std::uint64_t>(row, "u_equals_v", 0, 1e12)};
      d->no_pass = read.whole<std::uint64_t>(row, "no_pass", 0, 1e12);
    }
  }
}
