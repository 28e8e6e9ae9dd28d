// Parsing the report's command line.
#include "report/options.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "report/figures/results.h"
#include "report/words/safe_text.h"

namespace {

// The magnitude of the most negative signed 32-bit word.
constexpr std::uint64_t MOST_NEGATIVE = 0x80000000U;

struct KnownOption {
  const char* long_name;
  char short_name;  // 0 for none
  bool takes_value;
  bool side_by_side;  // means something with --side-by-side, which runs nothing
  bool trace;         // means something with --trace, which runs nothing either
};

constexpr std::array<KnownOption, 13> KNOWN_OPTIONS{{
    {"runs", 'r', true, false, false},
    {"repetitions", 0, true, false, false},
    {"pairs", 0, true, false, false},
    {"sweep-pairs", 0, true, false, false},
    {"timeout", 't', true, false, false},
    {"json", 0, true, true, true},
    {"svg", 0, true, true, false},
    {"no-svg", 0, false, false, false},
    {"compare", 0, true, false, false},
    {"mcpu", 0, true, false, false},
    {"side-by-side", 0, false, true, false},
    {"trace", 0, false, false, true},
    {"help", 'h', false, true, true},
}};

// A value from the command line as a message repeats it: controls and bytes beyond UTF-8
// escaped, cut.
std::string shown(const std::string& value) { return safe_text(value, 60); }

// The long option that name is, or the one it is a unique prefix of, as GNU tools allow.
const KnownOption* find_long(const std::string& name, std::string& error) {
  const KnownOption* found = nullptr;
  for (const KnownOption& known : KNOWN_OPTIONS) {
    const std::string candidate = known.long_name;
    if (candidate == name) {
      return &known;
    }
    if (candidate.starts_with(name)) {
      if (found != nullptr) {
        error = "option '--" + shown(name) + "' is ambiguous";
        return nullptr;
      }
      found = &known;
    }
  }
  if (found == nullptr) {
    error = "unrecognized option '--" + shown(name) + "'";
  }
  return found;
}

const KnownOption* find_short(char name, std::string& error) {
  for (const KnownOption& known : KNOWN_OPTIONS) {
    if (known.short_name == name) {
      return &known;
    }
  }
  error = "invalid option -- '" + shown(std::string(1, name)) + "'";
  return nullptr;
}

bool apply(Options& options, const KnownOption& known, const std::string& value,
           std::string& error) {
  const std::string name = known.long_name;
  const auto number = [&](auto& target, unsigned low, unsigned high) {
    const std::optional<unsigned> parsed = parse_number(value, low, high);
    if (!parsed) {
      error = "--" + name + " takes a whole number from " + std::to_string(low) + " to " +
              std::to_string(high) + ", not '" + shown(value) + "'";
      return false;
    }
    target = *parsed;
    return true;
  };
  const auto path = [&](std::string& target) {
    if (value.empty()) {
      error = "--" + name + " takes a file name";
      return false;
    }
    target = value;
    return true;
  };
  if (name == "runs") {
    return number(options.runs, 1, MAX_RUNS);
  }
  if (name == "repetitions") {
    return number(options.study.repetitions, 1, MAX_REPETITIONS);
  }
  if (name == "pairs") {
    return number(options.study.drawn_pairs, 1000, 10'000'000);
  }
  if (name == "sweep-pairs") {
    return number(options.study.sweep_pairs, 1000, 1U << 24);
  }
  if (name == "timeout") {
    return number(options.timeout_s, 1, 86400);
  }
  if (name == "json") {
    options.json_given = true;
    return path(options.json_path);
  }
  if (name == "svg") {
    options.svg_given = true;
    return path(options.svg_path);
  }
  if (name == "no-svg") {
    options.svg_path.clear();
    return true;
  }
  if (name == "side-by-side") {
    options.side_by_side = true;
    return true;
  }
  if (name == "trace") {
    options.trace = true;
    return true;
  }
  if (name == "mcpu") {
    // LLVM's processor names: letters, digits, '-', '_' and '.'.
    const bool plain = !value.empty() && value.size() <= 40 &&
                       value.find_first_not_of(
                           "abcdefghijklmnopqrstuvwxyz"
                           "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.") == std::string::npos;
    if (!plain) {
      error = "--mcpu takes a processor's name as LLVM knows it (znver3, icelake-server), not '" +
              shown(value) + "'";
      return false;
    }
    options.mcpu = value;
    return true;
  }
  if (name == "compare") {
    std::string compare;
    const bool ok = path(compare);
    options.compare_path = compare;
    return ok;
  }
  options.help = true;
  return true;
}

bool from_environment(const std::map<std::string, std::string>& environment, const char* variable,
                      unsigned& target, unsigned low, unsigned high, std::string& error) {
  const auto found = environment.find(variable);
  if (found == environment.end() || found->second.empty()) {
    return true;
  }
  const std::optional<unsigned> value = parse_number(found->second, low, high);
  if (!value) {
    error = std::string(variable) + " must be a whole number from " + std::to_string(low) + " to " +
            std::to_string(high) + ", not '" + shown(found->second) + "'";
    return false;
  }
  target = *value;
  return true;
}

}  // namespace

std::optional<unsigned> parse_number(const std::string& text, unsigned low, unsigned high) {
  unsigned value = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || stop != end || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::optional<Options> parse_options(const std::vector<std::string>& arguments,
                                     const std::map<std::string, std::string>& environment,
                                     std::string& error) {
  Options options;
  std::vector<std::string> positionals;  // programs as NAME=PATH, or reports side by side
  bool runs_given = false;               // an option on the command line wins over its variable
  bool timeout_given = false;
  bool options_ended = false;
  std::string idle_with_side_by_side;  // the first option given that does nothing there
  std::string idle_with_trace;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const KnownOption* known = nullptr;
    std::optional<std::string> value;
    std::string written;  // the option as written, for messages
    if (!options_ended && argument == "--") {
      options_ended = true;
      continue;
    }
    if (!options_ended && argument.starts_with("--")) {
      const std::size_t equals = argument.find('=');
      known = find_long(argument.substr(2, equals - 2), error);
      if (known == nullptr) {
        return std::nullopt;
      }
      written = std::string("--") + known->long_name;
      if (equals != std::string::npos) {
        if (!known->takes_value) {
          error = "option '" + written + "' doesn't allow an argument";
          return std::nullopt;
        }
        value = argument.substr(equals + 1);
      }
    } else if (!options_ended && argument.size() > 1 && argument[0] == '-' &&
               (argument[1] < '0' || argument[1] > '9') &&
               argument[1] != '+') {  // a negative number is none, nor a number signed twice
      known = find_short(argument[1], error);
      if (known == nullptr) {
        return std::nullopt;
      }
      written = std::string("-") + argument[1];
      if (argument.size() > 2) {
        if (!known->takes_value) {
          error =
              "option '" + written + "' takes no argument, not '" + shown(argument.substr(2)) + "'";
          return std::nullopt;
        }
        value = argument.substr(2);
      }
    } else {
      positionals.push_back(argument);
      continue;
    }
    if (known->takes_value && !value) {
      if (i + 1 >= arguments.size()) {
        error = "option '" + written + "' requires an argument";
        return std::nullopt;
      }
      value = arguments[++i];
    }
    if (!apply(options, *known, value.value_or(""), error)) {
      return std::nullopt;
    }
    runs_given = runs_given || known->short_name == 'r';
    timeout_given = timeout_given || known->short_name == 't';
    if (!known->side_by_side && idle_with_side_by_side.empty()) {
      idle_with_side_by_side = written;
    }
    if (!known->trace && idle_with_trace.empty()) {
      idle_with_trace = written;
    }
  }
  if (options.trace && options.side_by_side) {
    error = "--trace and --side-by-side: one thing at a time";
    return std::nullopt;
  }
  if (options.trace) {
    if (!idle_with_trace.empty()) {
      error = idle_with_trace + " does nothing with --trace, which runs nothing";
      return std::nullopt;
    }
    if (positionals.size() != 2) {
      error = "--trace takes two numbers, A and B";
      return std::nullopt;
    }
    std::uint32_t* words[] = {&options.trace_first, &options.trace_second};
    for (std::size_t i = 0; i < 2; ++i) {
      const std::optional<std::uint32_t> word = parse_trace_word(positionals[i], error);
      if (!word) {
        error = "--trace: " + error;
        return std::nullopt;
      }
      *words[i] = *word;
    }
    return options;
  }
  if (options.side_by_side) {
    if (!idle_with_side_by_side.empty()) {
      error = idle_with_side_by_side + " does nothing with --side-by-side, which runs nothing";
      return std::nullopt;
    }
    if (positionals.size() < 2) {
      error = "--side-by-side takes two report files or more";
      return std::nullopt;
    }
    options.side_by_side_files = positionals;
    return options;
  }
  for (const std::string& argument : positionals) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0) {
      error = "unexpected argument '" + shown(argument) + "' (a program is given as NAME=PATH)";
      return std::nullopt;
    }
    if (equals + 1 == argument.size()) {
      error = "no path in '" + shown(argument) + "' (a program is given as NAME=PATH)";
      return std::nullopt;
    }
    options.programs[argument.substr(0, equals)] = argument.substr(equals + 1);
  }
  if ((!runs_given &&
       !from_environment(environment, "GCD_REPORT_RUNS", options.runs, 1, MAX_RUNS, error)) ||
      (!timeout_given &&
       !from_environment(environment, "GCD_REPORT_TIMEOUT", options.timeout_s, 1, 86400, error))) {
    return std::nullopt;
  }
  return options;
}

std::string usage() {
  return R"(Usage: gcd_report [OPTION]... [NAME=PATH]...
  or:  gcd_report --side-by-side [--json=FILE] [--svg=FILE] REPORT REPORT...
  or:  gcd_report --trace [--json=FILE] A B
Cross-check and time the kit's GCD kernels with its programs, then study them in
this process: passes per call, the cost of one pass in ns and in cycles of the
measured clock, the cost against operand size, passes per bit against theory,
peers (std::gcd, a faster binary variant, GMP), and LLVM's model of the
processor on the kernels' own code. Prints the report; writes it as JSON and
draws it as SVG.

  -r, --runs=N           runs of each benchmark program, 1 to 1000 (default 5,
                           or GCD_REPORT_RUNS)
      --repetitions=N    in-process repetitions of each timing, after one
                           warm-up, 1 to 100 (default 7)
      --pairs=N          the programs' pairs timed in process, 1000 to
                           10000000 (default 1000000)
      --sweep-pairs=N    pairs per operand size in the sweep, 1000 to 16777216
                           (default 131072)
  -t, --timeout=S        seconds a program or tool may run before it is stopped;
                           a program stopped fails the report, a tool leaves
                           the model out (default 120, or GCD_REPORT_TIMEOUT)
      --json=FILE        write the results here (default report.json)
      --svg=FILE         draw the picture here (default report.svg)
      --no-svg           draw no picture
      --compare=FILE     show the change from an earlier report's JSON
      --mcpu=NAME        the processor of LLVM's model of the kernels (llvm-mca
                           -mcpu), for one LLVM does not know (default: this
                           one, as LLVM names it)
      --side-by-side     run nothing: show two or more reports' JSON files in
                           one table (--json and --svg write its data and a
                           picture)
      --trace A B        run nothing: follow the pair A, B pass by pass
                           through the four kernels' loops (decimal with an
                           optional sign, or hexadecimal after 0x; --json
                           writes it)
  -h, --help             show this help and exit

The programs are looked for beside gcd_report, then where the build put them;
NAME=PATH runs PATH as the program NAME (check_u, check_s, bench_euclid_u, ...).
Progress goes to standard error, the report to standard output.
Exit status: 0 if all went well, 1 if a program failed or the kernels
disagreed, 2 for a bad option or file.
)";
}

std::optional<std::uint32_t> parse_trace_word(std::string_view text, std::string& error) {
  std::string shown(1, '\'');
  shown.append(safe_text(text, 40)).append(1, '\'');
  std::string_view digits = text;
  const bool negative = digits.starts_with('-');
  if (negative || digits.starts_with('+')) {
    digits.remove_prefix(1);
  }
  const bool hexadecimal = digits.starts_with("0x") || digits.starts_with("0X");
  if (hexadecimal) {
    digits.remove_prefix(2);
  }
  std::uint64_t magnitude = 0;
  const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(),
                                              magnitude, hexadecimal ? 16 : 10);
  if (digits.empty() || end != digits.data() + digits.size() ||
      (failure != std::errc{} && failure != std::errc::result_out_of_range)) {
    error = shown +
            " is no number: give a decimal one, with an optional sign, or a hexadecimal one "
            "after 0x";
    return std::nullopt;
  }
  if (failure == std::errc::result_out_of_range || (negative && magnitude > MOST_NEGATIVE) ||
      (!negative && magnitude > UINT32_MAX)) {
    error =
        shown + " is outside both 32-bit ranges, signed and unsigned (-2147483648 to 4294967295)";
    return std::nullopt;
  }
  const auto word = static_cast<std::uint32_t>(magnitude);
  return negative ? 0U - word : word;
}
