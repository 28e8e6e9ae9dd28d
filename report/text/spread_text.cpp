// Rendering how the passes spread.
#include "report/text/spread_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>

#include "report/words/layout.h"
#include "report/words/utf8.h"
#include "study/divider.h"

namespace {

// The passes per call, in buckets a line can hold.
constexpr std::pair<std::size_t, std::size_t> BUCKETS[] = {{0, 10},  {11, 15}, {16, 20},
                                                           {21, 25}, {26, 30}, {31, SIZE_MAX}};

std::uint64_t sum(const std::vector<std::uint64_t>& counts, std::size_t from = 0) {
  return from >= counts.size() ? 0
                               : std::accumulate(counts.begin() + static_cast<std::ptrdiff_t>(from),
                                                 counts.end(), std::uint64_t{0});
}

void passes_table(std::string& out, const std::vector<PassDistribution>& all) {
  std::string head = "  " + padded("kernel", 14) + "   mean    sd min max";
  for (const auto& [low, high] : BUCKETS) {
    std::string cell = std::to_string(low);
    cell +=
        high == SIZE_MAX ? std::string(1, '+') : std::string(1, '-').append(std::to_string(high));
    head += padded("", 7 - characters(cell)) + cell;
  }
  out += "  " + padded("", 14) + "  passes per call      share of calls with passes\n";
  out += head + "\n";
  for (const PassDistribution& d : all) {
    const auto first = std::find_if(d.passes.begin(), d.passes.end(), [](auto c) { return c > 0; });
    std::string line;
    append(line, "  %-14s %6.2f %5.2f %3zu %3zu", d.kernel.c_str(), d.mean(),
           d.standard_deviation(), static_cast<std::size_t>(first - d.passes.begin()),
           d.passes.empty() ? std::size_t{0} : d.passes.size() - 1);
    for (const auto& [low, high] : BUCKETS) {
      std::uint64_t count = 0;
      for (std::size_t k = low; k < d.passes.size() && k <= high; ++k) {
        count += d.passes[k];
      }
      append(line, " %6s", percent(share(count, d.calls)).c_str());
    }
    out += line + "\n";
  }
}

// A distribution of each kernel that has one, against its law: the values from `first` on
// (the last standing for itself and all above it), in shares of their sum.
struct LawTable {
  const char* value;  // the heading of the values' row: "quotient"
  const char* law;    // and of the law's: "Gauss-Kuzmin"
  std::vector<std::uint64_t> PassDistribution::*counts;
  std::size_t first;                            // the first value counted in the shares
  std::function<double(std::size_t)> share_of;  // the law's share of the value at an index
  std::size_t value_of_first;                   // the value at the index `first`
};

// The table, and the parts that stand beyond the sample ("1 40.80% against 41.50%") per
// kernel: "gcd_euclid_u: ...; gcd_euclid_s: ...", "" where none does.
std::string law_table(std::string& out, const std::vector<PassDistribution>& all,
                      const LawTable& table) {
  std::size_t size = 0;
  for (const PassDistribution& d : all) {
    size = std::max(size, (d.*table.counts).size());
  }
  const auto name = [&](std::size_t i, bool short_form) {
    const std::string value = std::to_string(i - table.first + table.value_of_first);
    return i + 1 == size ? value + (short_form ? "+" : " or more") : value;
  };
  std::string head = "  " + padded(table.value, 14);
  std::string theory = "  " + padded(table.law, 14);
  for (std::size_t i = table.first; i < size; ++i) {
    append(head, " %6s", name(i, true).c_str());
    append(theory, " %6s", percent(table.share_of(i)).c_str());
  }
  out += head + "\n";
  std::string findings;
  for (const PassDistribution& d : all) {
    const std::vector<std::uint64_t>& counts = d.*table.counts;
    if (counts.empty()) {
      continue;
    }
    std::string row = "  " + padded(d.kernel, 14);
    std::string parts;
    const std::uint64_t whole = sum(counts, table.first);
    for (std::size_t i = table.first; i < counts.size(); ++i) {
      const double counted = share(counts[i], whole);
      append(row, " %6s", percent(counted).c_str());
      if (beyond_the_sample(counted, table.share_of(i), whole)) {
        parts += (parts.empty() ? "" : ", ") + name(i, false) + " " + percent(counted, 2) +
                 " against " + percent(table.share_of(i), 2);
      }
    }
    out += row + "\n";
    if (!parts.empty()) {
      findings += (findings.empty() ? "" : "; ") + d.kernel + ": " + parts;
    }
  }
  out += theory + "\n";
  return findings;
}

void quotient_table(std::string& out, const std::vector<PassDistribution>& all) {
  wrap(out,
       "Euclid's quotients, among those of 1 or more (a quotient of 0 is the pass that swaps "
       "a first word smaller than the second), against Gauss-Kuzmin: the share of q is "
       "-log2(1 - 1/(q+1)^2).");
  const std::string findings =
      law_table(out, all,
                {"quotient", "Gauss-Kuzmin", &PassDistribution::quotients, 1,
                 [](std::size_t q) {
                   return gauss_kuzmin_share(
                       static_cast<std::uint32_t>(q),
                       q + 1 == COUNTED_QUOTIENTS ? UINT32_MAX : static_cast<std::uint32_t>(q));
                 },
                 1});
  if (!findings.empty()) {
    const PassDistribution& first = all.front();
    wrap(out,
         "Finding: the quotients part from Gauss-Kuzmin by more than the sample can explain "
         "(more than " +
             fixed(MAX_STANDARD_ERRORS, 0) + " standard errors): " + findings +
             ". The law is the limit for long runs of quotients; a call's run here is " +
             fixed(first.mean(), 1) +
             " quotients of 32-bit words, and its last, whose remainder is 0, is 2 or more "
             "(1 quotient in " +
             fixed(share(sum(first.quotients, 1), first.calls), 1) + " here).");
  }
}

void zeros_table(std::string& out, const std::vector<PassDistribution>& all) {
  wrap(out,
       "The binary loop's passes after a call's first, by the zeros of the difference they "
       "strip (its shift by 1 included), against the geometric law of two random odd "
       "words: half lose 1, a quarter 2, ...");
  const std::string findings = law_table(
      out, all,
      {"zeros", "geometric", &PassDistribution::difference_zeros, 0,
       [](std::size_t i) {
         return geometric_share(static_cast<std::uint32_t>(i + 1), i + 1 == COUNTED_ZEROS);
       },
       1});
  if (!findings.empty()) {
    wrap(out,
         "Finding: the zeros part from the geometric law by more than the sample can "
         "explain: " +
             findings +
             ". The law is that of two independent random odd words; the loop's are not "
             "independent: each pass's v is the smaller word of the pass before.");
  }
}

void exits_table(std::string& out, const std::vector<PassDistribution>& all) {
  out += "  " + padded("exit", 14) + "   u is 1   v is 1  u equals v  no pass\n";
  for (const PassDistribution& d : all) {
    if (d.difference_zeros.empty()) {
      continue;
    }
    append(out, "  %-14s %8s %8s %11s %8s\n", d.kernel.c_str(),
           percent(share(d.exits[0], d.calls)).c_str(), percent(share(d.exits[1], d.calls)).c_str(),
           percent(share(d.exits[2], d.calls)).c_str(), percent(share(d.no_pass, d.calls)).c_str());
  }
}

}  // namespace

void spread_section(std::string& out, const Study& study) {
  const std::vector<PassDistribution>& all = study.distributions;
  if (all.empty()) {
    return;
  }
  append(out, "How do the passes spread? (the programs' first %llu pairs, against the laws)\n",
         static_cast<unsigned long long>(all.front().calls));
  passes_table(out, all);
  const double mean = euclid_mean_leading_term(32);
  const double variance = euclid_variance_leading_term(32);
  wrap(out, "Euclid on 32-bit words, by the leading terms of the laws: a mean of " +
                fixed(mean, 2) +
                " (12 ln 2 / pi^2 ln N; Heilbronn 1969, Dixon 1970) and a "
                "standard deviation of " +
                fixed(std::sqrt(variance), 2) +
                " (the variance 0.5160524 ln N; Hensley 1994), N = 2^32; the laws leave out "
                "their constant terms, and a smaller first word costs a call one pass more. "
                "Binary: Brent's constant gives the mean per bit (the Theory above); no law of "
                "its spread is known to the kit.");
  quotient_table(out, all);
  zeros_table(out, all);
  wrap(out, "The binary loop's exits, as shares of the calls:");
  exits_table(out, all);
  out += '\n';
}
