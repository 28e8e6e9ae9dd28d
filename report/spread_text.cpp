// Rendering how the passes spread.
#include "report/spread_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "report/layout.h"
#include "report/utf8.h"
#include "study/divider.h"

namespace {

// The passes per call, in buckets a line can hold.
constexpr std::pair<std::size_t, std::size_t> BUCKETS[] = {{0, 10},  {11, 15}, {16, 20},
                                                           {21, 25}, {26, 30}, {31, SIZE_MAX}};

std::string percent(double share, int decimals = 1) { return fixed(share * 100, decimals) + "%"; }

std::uint64_t sum(const std::vector<std::uint64_t>& counts, std::size_t from = 0) {
  return from >= counts.size() ? 0
                               : std::accumulate(counts.begin() + static_cast<std::ptrdiff_t>(from),
                                                 counts.end(), std::uint64_t{0});
}

double share(std::uint64_t part, std::uint64_t whole) {
  return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
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

// One row of shares: the counts from `from` on, over their sum.
std::string shares_row(const std::string& label, const std::vector<std::uint64_t>& counts,
                       std::size_t from) {
  std::string row = "  " + padded(label, 14);
  const std::uint64_t whole = sum(counts, from);
  for (std::size_t i = from; i < counts.size(); ++i) {
    append(row, " %6s", percent(share(counts[i], whole)).c_str());
  }
  return row + "\n";
}

// Where the counts part from the law by more than the sample can explain: "1 40.8% against
// 41.5%, 8 or more 16.0% against 17.0%"; "" where none does.
template <class Law, class Name>
std::string beyond(const std::vector<std::uint64_t>& counts, std::size_t from, Law law, Name name) {
  std::string parts;
  const std::uint64_t whole = sum(counts, from);
  for (std::size_t i = from; i < counts.size(); ++i) {
    const double counted = share(counts[i], whole);
    if (beyond_the_sample(counted, law(i), whole)) {
      parts += (parts.empty() ? "" : ", ") + name(i) + " " + percent(counted, 2) + " against " +
               percent(law(i), 2);
    }
  }
  return parts;
}

void quotient_table(std::string& out, const std::vector<PassDistribution>& all) {
  const auto law = [](std::size_t q) {
    return gauss_kuzmin_share(static_cast<std::uint32_t>(q), q + 1 == COUNTED_QUOTIENTS
                                                                 ? UINT32_MAX
                                                                 : static_cast<std::uint32_t>(q));
  };
  const auto name = [](std::size_t q) {
    return std::to_string(q) + (q + 1 == COUNTED_QUOTIENTS ? " or more" : "");
  };
  wrap(out,
       "Euclid's quotients, among those of 1 or more (a quotient of 0 is the pass that swaps "
       "a first word smaller than the second), against Gauss-Kuzmin: the share of q is "
       "-log2(1 - 1/(q+1)^2).");
  std::string head = "  " + padded("quotient", 14);
  std::string theory = "  " + padded("Gauss-Kuzmin", 14);
  for (std::size_t q = 1; q < COUNTED_QUOTIENTS; ++q) {
    append(head, " %6s", (std::to_string(q) + (q + 1 == COUNTED_QUOTIENTS ? "+" : "")).c_str());
    append(theory, " %6s", percent(law(q)).c_str());
  }
  out += head + "\n";
  std::vector<std::string> findings;
  for (const PassDistribution& d : all) {
    if (d.quotients.empty()) {
      continue;
    }
    out += shares_row(d.kernel, d.quotients, 1);
    const std::string parts = beyond(d.quotients, 1, law, name);
    if (!parts.empty()) {
      findings.push_back(d.kernel + ": " + parts);
    }
  }
  out += theory + "\n";
  if (!findings.empty()) {
    const PassDistribution& first = all.front();
    std::string list;
    for (const std::string& finding : findings) {
      list += (list.empty() ? "" : "; ") + finding;
    }
    wrap(out,
         "Finding: the quotients part from Gauss-Kuzmin by more than the sample can explain "
         "(more than " +
             fixed(MAX_STANDARD_ERRORS, 0) + " standard errors): " + list +
             ". The law is the limit for long runs of quotients; a call's run here is " +
             fixed(first.mean(), 1) +
             " quotients of 32-bit words, and its last, whose remainder is 0, is 2 or more "
             "(1 quotient in " +
             fixed(share(sum(first.quotients, 1), first.calls), 1) + " here).");
  }
}

void zeros_table(std::string& out, const std::vector<PassDistribution>& all) {
  const auto law = [](std::size_t i) {
    return geometric_share(static_cast<std::uint32_t>(i + 1), i + 1 == COUNTED_ZEROS);
  };
  const auto name = [](std::size_t i) {
    return std::to_string(i + 1) + (i + 1 == COUNTED_ZEROS ? " or more" : "");
  };
  wrap(out,
       "The binary loop's passes after a call's first, by the zeros of the difference they "
       "strip (its shift by 1 included), against the geometric law of two random odd "
       "words: half lose 1, a quarter 2, ...");
  std::string head = "  " + padded("zeros", 14);
  std::string theory = "  " + padded("geometric", 14);
  for (std::size_t i = 0; i < COUNTED_ZEROS; ++i) {
    append(head, " %6s", (std::to_string(i + 1) + (i + 1 == COUNTED_ZEROS ? "+" : "")).c_str());
    append(theory, " %6s", percent(law(i)).c_str());
  }
  out += head + "\n";
  std::vector<std::string> findings;
  for (const PassDistribution& d : all) {
    if (d.difference_zeros.empty()) {
      continue;
    }
    out += shares_row(d.kernel, d.difference_zeros, 0);
    const std::string parts = beyond(d.difference_zeros, 0, law, name);
    if (!parts.empty()) {
      findings.push_back(d.kernel + ": " + parts);
    }
  }
  out += theory + "\n";
  if (!findings.empty()) {
    std::string list;
    for (const std::string& finding : findings) {
      list += (list.empty() ? "" : "; ") + finding;
    }
    wrap(out,
         "Finding: the zeros part from the geometric law by more than the sample can "
         "explain: " +
             list +
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
