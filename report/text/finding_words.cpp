// Words for the findings.
#include "report/text/finding_words.h"

#include <algorithm>

#include "report/words/layout.h"

std::string withheld_words(Withheld why) {
  return why == Withheld::not_judged
             ? "timed in too few repetitions to tell a quiet machine from a busy one"
             : "timed while the machine was disturbed";
}

std::string finding_name(const Finding& finding) {
  const std::string& subject = finding.subject;
  switch (finding.kind) {
    case FindingKind::why: return "why binary is faster (" + subject + ")";
    case FindingKind::agreement: return "whether the phases agree";
    case FindingKind::chain: return subject + " against its chain";
    case FindingKind::model: return "LLVM's model against " + subject + "'s pass";
    case FindingKind::call: return "what bounds " + subject + "'s call";
    case FindingKind::lines: return "whether " + subject + "'s groups make lines";
    case FindingKind::two_pairs: return "what " + subject + " gains";
    case FindingKind::crossover: return "from which size binary is faster (" + subject + ")";
  }
  return subject;
}

std::string withheld_names(const Results& results, const std::string& phase, std::size_t shown) {
  std::vector<std::string> names;
  for (const Finding& finding : results.worked_out.findings) {
    if (finding.withheld != Withheld::no &&
        std::find(finding.phases.begin(), finding.phases.end(), phase) != finding.phases.end()) {
      names.push_back(finding_name(finding));
    }
  }
  if (names.size() > shown) {
    const std::size_t more = names.size() - shown;
    names.resize(shown);
    names.push_back("and " + std::to_string(more) + " more");
  }
  return joined(names, "; ");
}
