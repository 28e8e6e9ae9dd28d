// LLVM's model and the processor's counters: "model", "model_kernels", "counters".
#include "report/files/sections/section.h"
#include "report/machine/mca.h"

void write_model(const Results& results, Json::Object& report) {
  Json::Array model_kernels;
  if (results.model) {
    for (const KernelModel& kernel : results.model->kernels) {
      const KernelBoundFigures* figures = find_bound_figures(results, kernel.kernel);
      const ModelAgainstMeasure* against =
          figures != nullptr && figures->by_model ? &*figures->by_model : nullptr;
      const auto measured = [&](double ModelAgainstMeasure::*figure) {
        return against != nullptr ? Json(rounded(against->*figure)) : Json(nullptr);
      };
      model_kernels.emplace_back(Json::Object{
          {"kernel", kernel.kernel},
          {"cycles_per_pass", kernel.cycles_per_pass},
          {"block_rthroughput", kernel.block_rthroughput},
          {"bound", kernel.bound},
          {"critical_sequence", kernel.critical},
          {"slowest", optional_text(kernel.slowest)},
          {"slowest_latency", kernel.slowest_latency},
          {"measured_cycles_per_pass", measured(&ModelAgainstMeasure::measured_cycles_per_pass)},
          {"cycles_per_call", measured(&ModelAgainstMeasure::model_cycles_per_call)},
          {"measured_cycles_per_call", measured(&ModelAgainstMeasure::measured_cycles_per_call)},
          {"difference", measured(&ModelAgainstMeasure::difference)},
      });
    }
  }
  report.emplace_back(
      "model", Json::Object{{"cpu", results.model ? Json(results.model->cpu) : Json(nullptr)},
                            {"tool", results.model ? Json(results.model->tool) : Json(nullptr)}});
  report.emplace_back("model_kernels", std::move(model_kernels));
}

void read_model(Reader& read, const Json& report, Results& results) {
  const Json& model = read.member(report, "model");
  if (model.find("cpu") == nullptr || model.find("cpu")->get<std::nullptr_t>() != nullptr) {
    return;
  }
  ProcessorModel processor{read.text(model, "cpu", 40), read.text(model, "tool"), {}};
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "model_kernels")) {
    processor.kernels.push_back(
        {read.kernel(row, "kernel", false), read.number(row, "cycles_per_pass", WORK_CYCLES),
         read.number(row, "block_rthroughput", SOME_CYCLES), read.text(row, "bound", 400),
         read.text(row, "critical_sequence", 600), "", 0});
    // The instruction of the critical sequence with the longest latency, written since the
    // text of a file is the run's own; none in an older file.
    if (const Json* slowest = row.find("slowest");
        slowest != nullptr && slowest->get<std::string>() != nullptr) {
      processor.kernels.back().slowest = read.text(row, "slowest", 60);
      processor.kernels.back().slowest_latency = read.number(row, "slowest_latency", SOME_CYCLES);
    }
    if (!bound_shares(processor.kernels.back().bound)) {
      read.fail(in_quotes(read.at(row, "bound")) + " gives " + processor.kernels.back().kernel +
                " a bound whose shares are not all from 0 to 100%");
    }
    names.push_back(processor.kernels.back().kernel);
  }
  read.once_each(names, "model_kernels");
  results.model = processor;
}

void write_counters(const Results& results, Json::Object& report) {
  const Study& study = results.study;
  Json::Array counters;
  for (const KernelCounters& counted : study.counters) {
    const KernelFigures* kernel = find_kernel(study, counted.kernel);
    const double passes =
        kernel != nullptr && kernel->passes_per_call ? *kernel->passes_per_call : 0;
    counters.emplace_back(Json::Object{
        {"kernel", counted.kernel},
        {"cycles_per_call", counted.cycles},
        {"instructions_per_call", counted.instructions},
        {"instructions_per_pass",
         passes > 0 ? Json(rounded(counted.instructions / passes)) : Json(nullptr)},
        {"instructions_per_cycle",
         counted.cycles > 0 ? Json(rounded(counted.instructions / counted.cycles)) : Json(nullptr)},
        {"branch_misses_per_call", counted.branch_misses},
    });
  }
  report.emplace_back("counters", std::move(counters));
}

void read_counters(Reader& read, const Json& report, Results& results) {
  std::vector<std::string> names;
  for (const Json& row : read.array(report, "counters")) {
    results.study.counters.push_back({read.kernel(row, "kernel", false),
                                      read.number(row, "cycles_per_call", -MAX_NS, MAX_NS),
                                      read.number(row, "instructions_per_call", -MAX_NS, MAX_NS),
                                      read.number(row, "branch_misses_per_call", -MAX_NS, MAX_NS)});
    names.push_back(results.study.counters.back().kernel);
  }
  read.once_each(names, "counters");
}
