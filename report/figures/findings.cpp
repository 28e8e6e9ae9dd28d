// Deciding which findings the report states.
#include "report/figures/findings.h"

#include <algorithm>

#include "report/figures/disturbance.h"
#include "report/run/kit.h"

namespace {

constexpr const char* SIGNEDNESS[][3] = {{"unsigned", "gcd_euclid_u", "gcd_binary_u"},
                                         {"signed", "gcd_euclid_s", "gcd_binary_s"}};

// The phases that measured a kit kernel's ns a pass, as the agreement holds them, by the names
// their watches have.
std::vector<std::string> agreement_phases(const std::vector<Agreement>& agreements) {
  std::vector<std::string> phases;
  for (const Agreement& agreement : agreements) {
    for (const PhaseFigure& figure : agreement.figures) {
      const char* name = figure.phase == Phase::programs ? "programs"
                         : figure.phase == Phase::study  ? "study"
                                                         : "sweep";
      if (std::find(phases.begin(), phases.end(), name) == phases.end()) {
        phases.emplace_back(name);
      }
    }
  }
  return phases;
}

}  // namespace

Withheld withheld_for(const Results& results, const std::vector<std::string>& phases) {
  Withheld why = Withheld::no;
  for (const std::string& phase : phases) {
    const PhaseVerdict* verdict = find_verdict(results, phase);
    if (verdict == nullptr) {
      continue;  // not watched: a report from before the watch
    }
    if (verdict->disturbed) {
      return Withheld::disturbed;
    }
    if (!verdict->judged) {
      why = Withheld::not_judged;
    }
  }
  return why;
}

std::vector<Finding> findings(const Results& results) {
  const WorkedOut& out = results.worked_out;
  std::vector<Finding> all;
  const auto add = [&](FindingKind kind, const std::string& subject,
                       std::vector<std::string> phases) {
    const Withheld why = withheld_for(results, phases);
    all.push_back({kind, subject, std::move(phases), why});
  };
  for (const auto& [signedness, euclid, binary] : SIGNEDNESS) {
    const KernelCost* slow = find_cost(results, euclid);
    const KernelCost* fast = find_cost(results, binary);
    if (slow != nullptr && fast != nullptr && slow->ns_per_pass && fast->ns_per_pass) {
      add(FindingKind::why, signedness, {"study"});
    }
  }
  if (!out.agreements.empty()) {
    add(FindingKind::agreement, "", agreement_phases(out.agreements));
  }
  for (const KernelBoundFigures& bound : out.bounds) {
    if (bound.by_chain) {
      add(FindingKind::chain, bound.kernel, {"study"});
    }
  }
  for (const KernelBoundFigures& bound : out.bounds) {
    if (bound.by_model) {
      add(FindingKind::model, bound.kernel, {"study"});
    }
  }
  for (const CallBound& bound : out.calls) {
    if (!bound.lines.empty()) {
      add(FindingKind::lines, bound.kernel, {"study"});
    }
  }
  for (const CallBound& bound : out.calls) {
    if (bound.prediction) {
      add(FindingKind::call, bound.kernel, {"study"});
    }
  }
  for (const TwoPairGain& two : out.two_pairs) {
    add(FindingKind::two_pairs, two.peer, {"study"});
  }
  for (const auto& [signedness, crossover] : {std::pair{"unsigned", &out.unsigned_crossover},
                                              std::pair{"signed", &out.signed_crossover}}) {
    if (crossover->measured) {
      add(FindingKind::crossover, signedness, {"sweep"});
    }
  }
  return all;
}

const Finding* find_finding(const Results& results, FindingKind kind, std::string_view subject) {
  for (const Finding& finding : results.worked_out.findings) {
    if (finding.kind == kind && finding.subject == subject) {
      return &finding;
    }
  }
  return nullptr;
}

Withheld withheld(const Results& results, FindingKind kind, std::string_view subject) {
  const Finding* finding = find_finding(results, kind, subject);
  return finding != nullptr ? finding->withheld : Withheld::no;
}

const char* finding_key(FindingKind kind) {
  switch (kind) {
    case FindingKind::why: return "why";
    case FindingKind::agreement: return "agreement";
    case FindingKind::chain: return "chain";
    case FindingKind::model: return "model";
    case FindingKind::call: return "call";
    case FindingKind::lines: return "lines";
    case FindingKind::two_pairs: return "two_pairs";
    case FindingKind::crossover: return "crossover";
  }
  return "";
}
