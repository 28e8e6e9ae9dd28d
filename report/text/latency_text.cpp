// Rendering the latencies and the divider.
#include "report/text/latency_text.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "report/words/layout.h"
#include "report/words/utf8.h"

namespace {

std::string cell(const std::optional<double>& value, int decimals) {
  return value ? fixed(*value, decimals) : "-";
}

std::string quotients(const QuotientGroup& group) {
  if (group.high == UINT32_MAX) {
    return std::to_string(group.low) + " or more";
  }
  return group.low == group.high ? std::to_string(group.low)
                                 : std::to_string(group.low) + " to " + std::to_string(group.high);
}

// The divider's latency on each size of quotient, beside Gauss-Kuzmin's shares; then at all
// sizes, and with none waiting.
void divider_rows(std::string& out, const std::vector<DividerFigures>& divider) {
  std::string top = "  " + padded("", 12);
  std::string bottom = "  " + padded("quotient", 12);
  for (const DividerFigures& figures : divider) {
    top += padded(figures.kernel, 18);
    bottom += padded("  passes  cycles", 18);
  }
  out += top + "Gauss-\n" + bottom + "Kuzmin\n";
  for (std::size_t g = 0; g < divider.front().groups.size(); ++g) {
    const QuotientGroup& group = divider.front().groups[g];
    std::string line = "  " + padded(quotients(group), 12);
    for (const DividerFigures& figures : divider) {
      const QuotientGroup& mine = figures.groups[g];
      char cells[32];
      std::snprintf(cells, sizeof cells, "%7.1f%% %7s  ", share(mine.passes, figures.passes) * 100,
                    cell(mine.cycles, 1).c_str());
      line += cells;
    }
    line += group.low == 0 ? "-" : fixed(gauss_kuzmin_share(group.low, group.high) * 100, 1) + "%";
    out += line + "\n";
  }
  for (const auto& [label, figure] :
       {std::pair{"all", &DividerFigures::cycles},
        std::pair{"none waiting", &DividerFigures::unchained_cycles}}) {
    std::string line = "  " + padded(label, 12);
    for (const DividerFigures& figures : divider) {
      char cells[32];
      std::snprintf(cells, sizeof cells, "%8s %7s  ", "", cell(figures.*figure, 1).c_str());
      line += cells;
    }
    while (!line.empty() && line.back() == ' ') {
      line.pop_back();
    }
    out += line + "\n";
  }
}

// Whether each kernel's divider takes longer on larger quotients.
void divider_sentences(std::string& out, const std::vector<DividerFigures>& divider) {
  for (const DividerFigures& figures : divider) {
    std::optional<double> low;
    std::optional<double> high;
    for (const QuotientGroup& group : figures.groups) {
      if (group.cycles && group.low >= 1) {
        low = low ? std::min(*low, *group.cycles) : *group.cycles;
        high = high ? std::max(*high, *group.cycles) : *group.cycles;
      }
    }
    if (!low || !high) {
      continue;
    }
    const QuotientGroup& one = figures.groups[1];
    const QuotientGroup& most = figures.groups.back();
    if (*high - *low > DIVIDER_DEPENDS * *low && one.cycles && most.cycles) {
      wrap(out, "The divider of " + figures.kernel + " takes longer on larger quotients here: " +
                    with_unit(*one.cycles, 1, "cycles") + " for a quotient of 1, " +
                    fixed(*most.cycles, 1) + " for " + quotients(most) + ".");
    } else {
      wrap(out, "The divider of " + figures.kernel +
                    " takes about the same time on every size of "
                    "quotient here (" +
                    fixed(*low, 1) + " to " + with_unit(*high, 1, "cycles") + ").");
    }
  }
}

}  // namespace

void latency_table(std::string& out, const Latencies& latencies) {
  const std::optional<double> ghz = latencies.ghz();
  if (!ghz || latencies.forms.empty()) {
    wrap(out, "No latencies timed here: " +
                  (latencies.left_out.empty() ? std::string("no clock") : latencies.left_out) +
                  ".");
    return;
  }
  const InstructionLatency& carrier = latencies.forms.front();
  wrap(out, "Latencies timed here, in cycles of the clock at " + with_unit(*ghz, 2, "GHz") + " (" +
                fixed(*latencies.clock_before_ghz, 2) + " before, " +
                fixed(*latencies.clock_after_ghz, 2) +
                " after): each instruction in a chain where it waits for the one before, " +
                std::to_string(100) + " a round, the fastest of " +
                std::to_string(LATENCY_TIMINGS) + " timings; the \"" +
                carrier.shown.substr(0, carrier.shown.find(" (")) + "\" (" +
                fixed(carrier.cycles, 1) +
                ") and \"add\" (1.0, the clock's own) that carry a division's or a count's "
                "dependency on to the next link taken off.");
  std::vector<std::string> cells;
  std::vector<std::string> broken;
  for (std::size_t i = 1; i < latencies.forms.size(); ++i) {
    const InstructionLatency& form = latencies.forms[i];
    char value[16];
    std::snprintf(value, sizeof value, "%5s", form.plausible ? fixed(form.cycles, 1).c_str() : "-");
    cells.push_back(padded(form.shown, 31) + value);
    if (!form.plausible) {
      broken.push_back(form.shown + " (" + fixed(form.cycles, 2) + ")");
    }
  }
  const std::size_t rows = (cells.size() + 1) / 2;
  for (std::size_t row = 0; row < rows; ++row) {
    std::string line = "  " + padded(cells[row], 36);
    if (row + rows < cells.size()) {
      line += "  " + cells[row + rows];
    }
    while (!line.empty() && line.back() == ' ') {
      line.pop_back();
    }
    out += line + "\n";
  }
  for (const std::string& form : broken) {
    wrap(out, "Not used: " + form + ", below " + fixed(PLAUSIBLE_CYCLES, 1) +
                  " cycles, is no latency of an arithmetic instruction (a broken chain, or a "
                  "wrong clock).");
  }
  if (!latencies.left_out.empty()) {
    wrap(out, "Not timed: " + latencies.left_out + ".");
  }
}

void divider_table(std::string& out, const std::vector<DividerFigures>& divider) {
  if (divider.empty() || divider.front().groups.empty()) {
    return;
  }
  std::string counts;
  for (const DividerFigures& figures : divider) {
    counts +=
        (counts.empty() ? "" : " and ") + std::to_string(figures.passes) + " of " + figures.kernel;
  }
  wrap(out,
       "The divider on Euclid's own operands: the divisions of the passes on the programs' "
       "first " +
           std::to_string(divider.front().pairs) + " pairs (" + counts +
           "), as the loops make them, timed as one chain in which each waits for the "
           "remainder of the one before, and by the size of the quotient.");
  divider_rows(out, divider);
  // Why most divisions are short ones: the share of quotient 1 among those of 1 and more.
  const DividerFigures& first = divider.front();
  const std::uint64_t swaps = first.groups.front().passes;
  const std::uint64_t ones = first.groups.size() > 1 ? first.groups[1].passes : 0;
  wrap(out,
       "\"None waiting\": the same divisions with none waiting for another, the divider's "
       "throughput on them. Gauss-Kuzmin gives the share of a quotient among quotients of 1 or "
       "more (that of q is "
       "-log2(1 - 1/(q+1)^2)); a quotient of 0 is the pass that swaps a first word smaller "
       "than the second (" +
           fixed(share(swaps, first.passes) * 100, 1) + "% of " + first.kernel +
           "'s passes). Most divisions are short ones: " +
           fixed(share(ones, first.passes - swaps) * 100, 1) +
           "% of the others have a quotient of 1 here, " +
           fixed(gauss_kuzmin_share(1, 1) * 100, 1) + "% by the law.");
  divider_sentences(out, divider);
}
