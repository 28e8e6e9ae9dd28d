// The latency bound of a pass, from the loop's chain and the latencies measured here.
#include "report/figures/bounds.h"

#include <algorithm>
#include <cstdio>

#include "report/words/safe_text.h"

namespace {

// A measured form's latency, or none.
std::optional<double> latency(const Study& study, const char* key) {
  const InstructionLatency* found = study.latencies.find(key);
  return found != nullptr ? std::optional<double>(found->cycles) : std::nullopt;
}

// A conditional move or select: its pair with a compare, less the compare's own latency (that
// of a subtraction, the same operation).
std::optional<double> without_compare(const Study& study, const std::string& pair,
                                      const char* compare) {
  const std::optional<double> both = latency(study, pair.c_str());
  const std::optional<double> alone = latency(study, compare);
  return both && alone ? std::optional<double>(*both - *alone) : std::nullopt;
}

std::optional<double> known_latency(const std::string& form, const std::string& kernel,
                                    const Study& study) {
  if (form == "add") {
    return 1.0;  // the clock's own chain: one addition a cycle, by its definition
  }
  if (form == "div" || form == "idiv" || form == "udiv" || form == "sdiv") {
    const DividerFigures* divider = find_named(study.divider, &DividerFigures::kernel, kernel);
    if (divider == nullptr || !divider->cycles) {
      return latency(study, form.c_str());
    }
    // On aarch64 the chain of the divider's operands runs through msub as well.
    const bool with_msub = form == "udiv" || form == "sdiv";
    const std::optional<double> msub = latency(study, "msub");
    return with_msub ? (msub ? std::optional<double>(*divider->cycles - *msub) : std::nullopt)
                     : divider->cycles;
  }
  if (form == "shr_cl") {
    const std::optional<double> word = latency(study, "shr_cl_value");
    const std::optional<double> count = latency(study, "shr_cl_count");
    return word && count ? std::optional<double>(std::max(*word, *count)) : std::nullopt;
  }
  if (form.starts_with("cmov")) {
    return without_compare(study, "cmp_" + form, "sub");
  }
  if (form == "csel") {
    return without_compare(study, "cmp_csel", "subs");
  }
  if (form == "cmp") {
    const std::optional<double> sub = latency(study, "sub");
    return sub ? sub : latency(study, "subs");
  }
  if (form == "sub" && !latency(study, "sub")) {
    return latency(study, "subs");  // aarch64 times the form that sets the flags
  }
  if (form == "cltd" || form == "cdq") {
    return latency(study, "cltd");
  }
  return latency(study, form.c_str());
}

bool is_branch(const DecodedInstruction& instruction) {
  const std::string& form = instruction.form;
  return (form.starts_with('j') && form != "jmp") || form.starts_with("b.") || form == "cbz" ||
         form == "cbnz" || form == "tbz" || form == "tbnz";
}

std::string cycles_text(double cycles) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", cycles);
  return text;
}

}  // namespace

double measured_latency(const DecodedInstruction& instruction, const std::string& kernel,
                        const Study& study, std::vector<std::string>& unmeasured) {
  if (const std::optional<double> cycles = known_latency(instruction.form, kernel, study)) {
    return std::max(*cycles, 0.0);
  }
  if (!is_branch(instruction) &&
      std::find(unmeasured.begin(), unmeasured.end(), instruction.form) == unmeasured.end()) {
    unmeasured.push_back(instruction.form);
  }
  return 1.0;
}

std::vector<KernelBound> latency_bounds(const std::vector<KernelLoop>& loops, const Study& study) {
  std::vector<KernelBound> bounds;
  for (const KernelLoop& loop : loops) {
    const std::vector<DecodedInstruction> decoded = decode_loop(loop.assembly);
    std::vector<std::string> all_unmeasured;
    const std::optional<LatencyChain> chain =
        longest_chain(decoded, [&](const DecodedInstruction& instruction) {
          return measured_latency(instruction, loop.kernel, study, all_unmeasured);
        });
    if (!chain) {
      continue;
    }
    KernelBound bound{loop.kernel, chain->cycles_per_pass, "", {}, 0, true};
    for (std::size_t i = 0; i < chain->steps.size(); ++i) {
      const ChainStep& step = chain->steps[i];
      // The texts are objdump's: shown as a file's texts are; a long chain by its first steps.
      if (i < CHAIN_STEPS_SHOWN) {
        bound.chain += (bound.chain.empty() ? "" : " -> ") + safe_text(step.text, 60) + " (" +
                       cycles_text(step.cycles) + ")";
      } else if (i == CHAIN_STEPS_SHOWN) {
        bound.chain += " -> and " + std::to_string(chain->steps.size() - i) + " more";
      }
      const std::string& form = decoded[step.index].form;
      const std::string shown = safe_text(form, 20);
      if (std::find(all_unmeasured.begin(), all_unmeasured.end(), form) != all_unmeasured.end() &&
          std::find(bound.unmeasured.begin(), bound.unmeasured.end(), shown) ==
              bound.unmeasured.end()) {
        bound.unmeasured.push_back(shown);
      }
    }
    bound.branches =
        static_cast<unsigned>(std::count_if(decoded.begin(), decoded.end(), is_branch));
    bound.divides = std::any_of(decoded.begin(), decoded.end(), [](const DecodedInstruction& one) {
      return one.form == "div" || one.form == "idiv" || one.form == "udiv" || one.form == "sdiv";
    });
    bounds.push_back(bound);
  }
  return bounds;
}

namespace {

// One step of an algorithm's chain: its words and its latency, where it was timed.
struct Step {
  std::string words;
  std::optional<double> cycles;
};

// The binary algorithm's own steps from one pass to the next: the comparison and the
// conditional move that choose the smaller word, the count of the zeros of the next word, and
// the shift by that count; on x86 or on aarch64, by the forms timed here.
std::vector<Step> binary_steps(const Study& study) {
  if (latency(study, "cmp_csel")) {
    const std::optional<double> rbit = latency(study, "rbit");
    const std::optional<double> clz = latency(study, "clz");
    return {{"the comparison and the select of the smaller word", latency(study, "cmp_csel")},
            {"the count of the zeros of the next (rbit and clz)",
             rbit && clz ? std::optional<double>(*rbit + *clz) : std::nullopt},
            {"the shift by that count", latency(study, "lsr")}};
  }
  const bool tzcnt = latency(study, "tzcnt").has_value();
  return {{"the comparison and the conditional move that choose the smaller word",
           latency(study, "cmp_cmovbe")},
          {std::string("the count of the zeros of the next (") + (tzcnt ? "tzcnt" : "bsf") + ")",
           latency(study, tzcnt ? "tzcnt" : "bsf")},
          {"the shift by that count", known_latency("shr_cl", "", study)}};
}

// The steps as one chain, where each was timed.
std::optional<KernelBound> chain_of(const std::string& kernel, const std::vector<Step>& steps) {
  KernelBound bound{kernel, 0, "", {}, 0, false};
  for (const Step& step : steps) {
    if (!step.cycles) {
      return std::nullopt;
    }
    bound.cycles_per_pass += *step.cycles;
    bound.chain +=
        (bound.chain.empty() ? "" : " -> ") + step.words + " (" + cycles_text(*step.cycles) + ")";
  }
  return bound;
}

}  // namespace

std::vector<KernelBound> algorithm_bounds(const Study& study) {
  std::vector<KernelBound> bounds;
  const std::optional<double> move = latency(study, "mov");
  for (const DividerFigures& divider : study.divider) {
    if (!divider.cycles || !move) {
      continue;
    }
    bounds.push_back({divider.kernel,
                      *divider.cycles + *move,
                      "the division on its operands (" + cycles_text(*divider.cycles) +
                          ") -> the move of its remainder to the divisor (" + cycles_text(*move) +
                          ")",
                      {},
                      0,
                      false,
                      true});
  }
  const std::vector<Step> steps = binary_steps(study);
  for (const char* kernel : {"gcd_binary_u", "gcd_binary_s"}) {
    if (std::optional<KernelBound> bound = chain_of(kernel, steps)) {
      bounds.push_back(*bound);
    }
  }
  return bounds;
}
