// Writing a traced pair as JSON.
#include "report/files/trace_file.h"

Json trace_json(const Trace& trace) {
  const auto word = [](std::uint32_t value) {
    return Json::Object{
        {"word", word_text(value)}, {"unsigned", value}, {"signed", as_signed(value)}};
  };
  Json::Array kernels;
  for (const KernelTrace& kernel : trace.kernels) {
    Json::Array divisions;
    for (const TracedDivision& d : kernel.divisions) {
      divisions.emplace_back(Json::Object{{"dividend", d.dividend},
                                          {"divisor", d.divisor},
                                          {"quotient", d.quotient},
                                          {"remainder", d.remainder}});
    }
    Json::Array strips;
    for (const TracedStrip& s : kernel.strips) {
      strips.emplace_back(Json::Object{{"u", s.u},
                                       {"v", s.v},
                                       {"u_zeros", s.u_zeros},
                                       {"v_zeros", s.v_zeros},
                                       {"odd_u", s.odd_u},
                                       {"odd_v", s.odd_v},
                                       {"k", s.k}});
    }
    kernels.emplace_back(Json::Object{
        {"kernel", kernel.kernel},
        {"reading", kernel.is_signed ? "signed" : "unsigned"},
        {"result", kernel.result},
        {"passes", passes_of(kernel)},
        {"divisions", std::move(divisions)},
        {"strips", std::move(strips)},
        {"exit", kernel.exit ? Json(exit_name(*kernel.exit)) : Json(nullptr)},
        {"before_loop", kernel.before_loop.empty() ? Json(nullptr) : Json(kernel.before_loop)}});
  }
  return Json::Object{{"format", "gcd-kit trace 1"},
                      {"first", word(trace.first)},
                      {"second", word(trace.second)},
                      {"kernels", std::move(kernels)}};
}
