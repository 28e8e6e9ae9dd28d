// Deciding which findings the report states.
#include "report/figures/findings.h"

#include <algorithm>

#include "report/figures/agreement.h"
#include "report/figures/disturbance.h"
#include "report/run/kit.h"

namespace {

// The figures of the study that a kit kernel's calls rest on: its calls in the programs'
// order and the groups its lines stand on.
void add_calls(std::vector<FigureOf>& figures, const Results& results, const std::string& kernel) {
  const CallTimings* calls = find_named(results.study.calls, &CallTimings::kernel, kernel);
  if (calls == nullptr) {
    return;
  }
  figures.push_back({"study", in_order_name(kernel)});
  for (const GroupTiming& group : calls->groups) {
    if (group.pairs >= MIN_GROUP_PAIRS) {
      figures.push_back({"study", group_name(kernel, group)});
    }
  }
}

// The phases of the figures, each once, in the order first met.
std::vector<std::string> phases_of(const std::vector<FigureOf>& figures) {
  std::vector<std::string> phases;
  for (const FigureOf& figure : figures) {
    if (std::find(phases.begin(), phases.end(), figure.phase) == phases.end()) {
      phases.push_back(figure.phase);
    }
  }
  return phases;
}

// The figures of the phases that measured a kit kernel's ns a pass, as the agreement holds them.
std::vector<FigureOf> agreement_figures(const Results& results) {
  std::vector<FigureOf> figures;
  for (const Agreement& agreement : results.worked_out.agreements) {
    for (const BenchmarkProgram& program : BENCHMARK_PROGRAMS) {
      if (program.kernel == agreement.kernel) {
        for (const PhaseFigure& figure : agreement.figures) {
          if (figure.phase == Phase::programs) {
            figures.push_back({"programs", program.program});
          } else if (figure.phase == Phase::study) {
            figures.push_back({"study", agreement.kernel});
          } else {
            figures.push_back({"sweep", sweep_point_name(agreement.kernel, 32)});
          }
        }
      }
    }
  }
  for (const char* phase : {"study", "sweep"}) {
    if (std::any_of(figures.begin(), figures.end(),
                    [&](const FigureOf& figure) { return figure.phase == phase; })) {
      figures.push_back({phase, "the loop"});
    }
  }
  return figures;
}

}  // namespace

Withheld withheld_for(const Results& results, const std::vector<FigureOf>& figures) {
  Withheld why = Withheld::no;
  for (const std::string& phase : phases_of(figures)) {
    const PhaseVerdict* verdict = find_verdict(results, phase);
    if (verdict == nullptr) {
      continue;  // not watched: a report from before the watch
    }
    if (verdict->signs_disturbed) {
      return Withheld::disturbed;
    }
    if (!verdict->judged) {
      why = Withheld::not_judged;
    }
  }
  for (const FigureOf& figure : figures) {
    if (is_disturbed(find_verdict(results, figure.phase), figure.figure)) {
      return Withheld::disturbed;
    }
  }
  return why;
}

std::vector<Finding> findings(const Results& results) {
  const WorkedOut& out = results.worked_out;
  std::vector<Finding> all;
  const auto add = [&](FindingKind kind, const std::string& subject,
                       std::vector<FigureOf> figures) {
    const Withheld why = withheld_for(results, figures);
    all.push_back({kind, subject, phases_of(figures), std::move(figures), why});
  };
  // A figure of the study net of its loop rests on the loop too.
  const auto on_study = [](std::initializer_list<std::string> kernels) {
    std::vector<FigureOf> figures;
    for (const std::string& kernel : kernels) {
      figures.push_back({"study", kernel});
    }
    figures.push_back({"study", "the loop"});
    return figures;
  };
  for (const WhyFaster& why : out.why) {
    add(FindingKind::why, why.signedness, on_study({why.euclid, why.binary}));
  }
  if (!out.agreements.empty()) {
    add(FindingKind::agreement, "", agreement_figures(results));
  }
  for (const KernelBoundFigures& bound : out.bounds) {
    if (bound.by_chain) {
      add(FindingKind::chain, bound.kernel, on_study({bound.kernel}));
    }
  }
  for (const KernelBoundFigures& bound : out.bounds) {
    if (bound.by_model) {
      add(FindingKind::model, bound.kernel, on_study({bound.kernel}));
    }
  }
  for (const CallBound& bound : out.calls) {
    if (!bound.lines.empty()) {
      std::vector<FigureOf> figures;
      add_calls(figures, results, bound.kernel);
      figures.erase(figures.begin());  // the lines stand on the groups alone
      add(FindingKind::lines, bound.kernel, figures);
    }
  }
  for (const CallBound& bound : out.calls) {
    if (bound.prediction) {
      std::vector<FigureOf> figures;
      add_calls(figures, results, bound.kernel);
      add(FindingKind::call, bound.kernel, figures);
    }
  }
  for (const TwoPairGain& two : out.two_pairs) {
    std::vector<FigureOf> figures{{"study", in_order_name(two.peer)}};
    add_calls(figures, results, two.kernel);
    add(FindingKind::two_pairs, two.peer, figures);
  }
  for (const Signedness& pair : SIGNEDNESSES) {
    const Crossover& crossover =
        pair.name == std::string("unsigned") ? out.unsigned_crossover : out.signed_crossover;
    if (crossover.measured) {
      std::vector<FigureOf> figures{{"sweep", "the loop"}};
      for (const SweepFigures& point : results.study.sweep) {
        if (point.kernel == pair.euclid || point.kernel == pair.binary) {
          figures.push_back({"sweep", sweep_point_name(point.kernel, point.bits)});
        }
      }
      add(FindingKind::crossover, pair.name, figures);
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
