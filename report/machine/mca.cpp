// Reading llvm-mca's figures and words.
#include "report/machine/mca.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "report/words/layout.h"
#include "report/words/safe_text.h"
#include "report/words/trimmed.h"

namespace {

// The text from position on, empty where position lies beyond it.
std::string_view from(std::string_view text, std::size_t position) {
  return position < text.size() ? text.substr(position) : std::string_view();
}

// The lines of a text, one at a time.
class Lines {
 public:
  explicit Lines(std::string_view text) : rest_(text) {}
  bool next(std::string_view& line) {
    if (done_) {
      return false;
    }
    const std::size_t end = rest_.find('\n');
    line = rest_.substr(0, end);
    done_ = end == std::string_view::npos;
    rest_ = done_ ? std::string_view() : rest_.substr(end + 1);
    return true;
  }

 private:
  std::string_view rest_;
  bool done_ = false;
};

// A finite number that makes up the whole text.
std::optional<double> finite_number(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// The number after "key:" on the line that starts with it.
std::optional<double> figure(std::string_view output, std::string_view key) {
  Lines lines(output);
  std::string_view line;
  while (lines.next(line)) {
    if (line.starts_with(key)) {
      return finite_number(trimmed(line.substr(key.size())));
    }
  }
  return std::nullopt;
}

// The name and the share of a line of the bottleneck analysis: "  - ICXPort0  [ 44.56% ]"
// gives "ICXPort0" and 44.56; no share where the line holds none that is a percentage.
struct NamedShare {
  std::string_view name;
  std::optional<double> percent;
};
NamedShare named_share(std::string_view line) {
  const std::size_t open = line.find('[');
  std::string_view name = trimmed(line.substr(0, open));
  if (name.starts_with("- ")) {
    name.remove_prefix(2);
  }
  if (name.ends_with(':')) {
    name.remove_suffix(1);
  }
  const std::size_t percent = open == std::string_view::npos ? open : line.find('%', open);
  if (percent == std::string_view::npos) {
    return {name, std::nullopt};
  }
  const std::optional<double> value =
      finite_number(trimmed(line.substr(open + 1, percent - open - 1)));
  if (!value || *value < 0 || *value > 100) {
    return {name, std::nullopt};
  }
  return {name, value};
}

// A name as llvm-mca gives its resources ("ICXPort0", "Zn3ALU0"), or one of the two kinds of
// dependency it tells apart: nothing else can stand in the report's words.
bool known_name(std::string_view name, bool resource) {
  if (!resource) {
    return name == "Register Dependencies" || name == "Memory Dependencies";
  }
  return !name.empty() && name.size() <= 40 &&
         name.find_first_not_of(
             "abcdefghijklmnopqrstuvwxyz"
             "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.") == std::string_view::npos;
}

std::string percent_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", value);
  return text;
}

std::string lower_case(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

// The bottleneck analysis in one line, in its own terms: "backend pressure in 82.1% of
// cycles: resource pressure 52.1% (ICXPort0 44.6%, ICXPort6 44.6%), register dependencies
// 60.0%". None, with the reason, where a share is no percentage.
std::optional<std::string> bound_in_words(std::string_view output, std::string& error) {
  if (output.find("No resource or data dependency bottlenecks discovered") !=
      std::string_view::npos) {
    return "no resource or data dependency bottlenecks";
  }
  const std::size_t start = output.find("Cycles with backend pressure increase");
  if (start == std::string_view::npos) {
    return "no bottleneck analysis";
  }
  std::string words;
  std::vector<std::string> resources;
  const auto list_resources = [&] {
    words += resources.empty() ? "" : " (" + joined(resources, ", ") + ")";
    resources.clear();
  };
  bool in_resources = false;
  Lines lines(output.substr(start));
  std::string_view raw;
  while (lines.next(raw)) {
    const std::string_view line = trimmed(raw);
    if (line.empty()) {
      break;
    }
    if (line.starts_with("Throughput Bottlenecks")) {
      continue;  // a heading, with no share of its own
    }
    const NamedShare share = named_share(line);
    if (!share.percent) {
      error = "a line of its bottleneck analysis holds no share from 0 to 100%: \"" +
              safe_text(line, 80) + "\"";
      return std::nullopt;
    }
    const std::string percent = percent_text(*share.percent);
    if (line.starts_with("Cycles with backend pressure increase")) {
      words = "backend pressure in " + percent + " of cycles:";
    } else if (line.starts_with("Resource Pressure")) {
      words += " resource pressure " + percent;
      in_resources = true;
    } else if (line.starts_with("Data Dependencies")) {
      list_resources();
      in_resources = false;
    } else if (line.starts_with("- ")) {
      if (!known_name(share.name, in_resources)) {
        error = "its bottleneck analysis names something that is no resource or dependency: \"" +
                safe_text(share.name, 40) + "\"";
        return std::nullopt;
      }
      if (percent == "0.0%") {
        continue;
      }
      if (in_resources) {
        resources.push_back(std::string(share.name) + " " + percent);
      } else {
        words += ", " + lower_case(share.name) + " " + percent;
      }
    }
  }
  list_resources();
  return words;
}

// The latencies of the instruction table: "[1] [2] [3] ... Instructions:", then one row per
// instruction, in order, its second column the latency.
std::optional<std::vector<double>> latencies(std::string_view output, std::string& error) {
  std::vector<double> found;
  const std::size_t info = output.find("Instruction Info:");
  const std::size_t table =
      info == std::string_view::npos ? info : output.find("Instructions:\n", info);
  if (table == std::string_view::npos) {
    return found;
  }
  Lines lines(from(output, table + 14));
  std::string_view raw;
  while (lines.next(raw)) {
    const std::string_view row = trimmed(raw);
    if (row.empty()) {
      break;
    }
    const std::size_t gap = row.find_first_of(" \t");
    const std::string_view rest = trimmed(from(row, gap));
    const std::optional<double> latency = finite_number(rest.substr(0, rest.find_first_of(" \t")));
    if (gap == std::string_view::npos || !latency || *latency < 0) {
      error = "a row of its instruction table gives no latency: \"" + safe_text(row, 80) + "\"";
      return std::nullopt;
    }
    found.push_back(*latency);
  }
  return found;
}

std::string latency_text(double cycles) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", cycles);
  return text;
}

// The instructions of the critical sequence ("+---->" lines), each with the latency that the
// model's instruction table gives it: "divl %ecx (76) -> testl %edx, %edx (1)"; and the one
// with the longest latency.
bool critical_sequence(std::string_view output, McaFigures& figures, std::string& error) {
  const std::optional<std::vector<double>> table = latencies(output, error);
  if (!table) {
    return false;
  }
  figures.instructions = table->size();
  const std::size_t start = output.find("Critical sequence based on the simulation:");
  if (start == std::string_view::npos) {
    return true;
  }
  std::vector<std::size_t> seen;
  Lines lines(output.substr(start));
  std::string_view line;
  while (lines.next(line)) {
    if (line.find("Instruction Info:") != std::string_view::npos) {
      break;
    }
    // " +----> 2.    divl\t%ecx     ## REGISTER dependency:  %eax", or "+----<" for the
    // instruction the sequence starts from; each instruction once.
    std::size_t arrow = line.find("+---->");
    arrow = arrow == std::string_view::npos ? line.find("+----<") : arrow;
    if (arrow == std::string_view::npos) {
      continue;
    }
    const std::string_view rest = trimmed(line.substr(arrow + 6));
    const std::size_t dot = rest.find('.');
    std::size_t index = 0;
    const auto [end, failure] = std::from_chars(rest.data(), rest.data() + rest.size(), index);
    if (failure != std::errc{} || dot == std::string_view::npos || end != rest.data() + dot) {
      error = "a line of its critical sequence numbers no instruction: \"" +
              safe_text(trimmed(line), 80) + "\"";
      return false;
    }
    if (std::find(seen.begin(), seen.end(), index) != seen.end()) {
      continue;
    }
    seen.push_back(index);
    const std::string_view after = from(rest, dot + 1);
    std::string text(trimmed(after.substr(0, after.find("##"))));
    std::replace(text.begin(), text.end(), '\t', ' ');
    text = safe_text(text, 60);
    figures.critical += (figures.critical.empty() ? "" : " -> ") + text;
    if (index < table->size()) {
      const double cycles = (*table)[index];
      figures.critical += " (" + latency_text(cycles) + ")";
      if (cycles > figures.slowest_latency) {
        figures.slowest_latency = cycles;
        figures.slowest = text;
      }
    }
  }
  return true;
}

}  // namespace

std::optional<McaFigures> parse_mca(std::string_view output, std::string& error) {
  Lines lines(output);
  std::string_view line;
  while (lines.next(line)) {
    const std::string_view text = trimmed(line);
    if (text.starts_with("error:") || text.find(": error:") != std::string_view::npos) {
      error = "it reports an error: \"" + safe_text(text, 120) + "\"";
      return std::nullopt;
    }
  }
  const std::optional<double> iterations = figure(output, "Iterations:");
  const std::optional<double> cycles = figure(output, "Total Cycles:");
  const std::optional<double> throughput = figure(output, "Block RThroughput:");
  if (!iterations || !cycles || !throughput) {
    error = "no \"Iterations\", \"Total Cycles\" and \"Block RThroughput\" in its output";
    return std::nullopt;
  }
  if (*iterations <= 0 || *cycles <= 0 || *throughput < 0) {
    error = "its summary gives no iterations, no cycles or a negative throughput";
    return std::nullopt;
  }
  McaFigures figures{*iterations, *cycles, *throughput, "", "", "", 0, 0};
  const std::optional<std::string> bound = bound_in_words(output, error);
  if (!bound || !critical_sequence(output, figures, error)) {
    return std::nullopt;
  }
  figures.bound = *bound;
  return figures;
}

bool is_cpu_name(std::string_view name) {
  return !name.empty() && name.size() <= 40 &&
         name.find_first_not_of(
             "abcdefghijklmnopqrstuvwxyz"
             "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.") == std::string_view::npos;
}

std::optional<std::string> host_cpu(std::string_view version) {
  Lines lines(version);
  std::string_view line;
  while (lines.next(line)) {
    const std::string_view field = trimmed(line);
    if (field.starts_with("Host CPU:")) {
      const std::string_view name = trimmed(field.substr(9));
      return is_cpu_name(name) ? std::optional<std::string>(name) : std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<BoundShares> bound_shares(std::string_view bound) {
  BoundShares shares;
  for (const auto& [key, share] : {std::pair{"backend pressure in ", &shares.backend},
                                   std::pair{"resource pressure ", &shares.resources},
                                   std::pair{"register dependencies ", &shares.dependencies}}) {
    const std::size_t at = bound.find(key);
    if (at == std::string_view::npos) {
      continue;
    }
    const std::string_view rest = from(bound, at + std::string_view(key).size());
    const std::optional<double> value = finite_number(rest.substr(0, rest.find('%')));
    if (!value || *value < 0 || *value > 100 || rest.find('%') == std::string_view::npos) {
      return std::nullopt;
    }
    *share = *value;
  }
  return shares;
}
