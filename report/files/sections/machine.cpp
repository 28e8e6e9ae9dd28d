// The machine and its clock: "machine", "clock", "mispredicted_branch".
#include "report/files/sections/section.h"

void write_machine(const Results& results, Json::Object& report) {
  const Machine& machine = results.machine;
  const std::optional<X86Signature>& x86 = machine.x86;
  report.emplace_back(
      "machine", Json::Object{
                     {"processor", machine.processor},
                     {"compiler", machine.compiler},
                     {"build_type", machine.build_type},
                     {"flags", machine.flags},
                     {"vendor", x86 ? Json(x86->vendor) : Json(nullptr)},
                     {"family", x86 ? Json(x86->family) : Json(nullptr)},
                     {"model", x86 ? Json(x86->model) : Json(nullptr)},
                     {"stepping", x86 ? Json(x86->stepping) : Json(nullptr)},
                     {"virtual_machine",
                      machine.virtual_machine ? Json(*machine.virtual_machine) : Json(nullptr)},
                     {"hypervisor", optional_text(machine.hypervisor)},
                 });
}

void read_machine(Reader& read, const Json& report, Results& results) {
  const Json& machine = read.member(report, "machine");
  results.machine.processor = read.text(machine, "processor");
  results.machine.compiler = read.text(machine, "compiler");
  results.machine.build_type = read.text(machine, "build_type", 40);
  if (!read.with_cycles) {
    return;
  }
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
}

void write_clock(const Results& results, Json::Object& report) {
  const Study& study = results.study;
  const std::optional<double> ghz = study.ghz();
  report.emplace_back("clock", Json::Object{{"before_ghz", exact(study.clock_before_ghz)},
                                            {"after_ghz", exact(study.clock_after_ghz)},
                                            {"ghz", optional_number(ghz)}});
  report.emplace_back("mispredicted_branch",
                      Json::Object{{"ns", exact(study.mispredicted_branch_ns)},
                                   {"cycles", study.mispredicted_branch_ns
                                                  ? cycles(ghz, *study.mispredicted_branch_ns)
                                                  : Json(nullptr)}});
}

void read_clock(Reader& read, const Json& report, Results& results) {
  const Json& clock = read.member(report, "clock");
  results.study.clock_before_ghz = read.optional_number(clock, "before_ghz", GHZ);
  results.study.clock_after_ghz = read.optional_number(clock, "after_ghz", GHZ);
  results.study.mispredicted_branch_ns = read.optional_number(
      read.member(report, "mispredicted_branch"), "ns", SMALLEST_POSITIVE, MAX_NS);
}
