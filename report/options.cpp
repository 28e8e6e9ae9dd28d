// Parsing the report's command line.
#include "report/options.h"

#include <algorithm>
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
  bool show;          // means something with --show, which runs nothing either
};

constexpr std::array<KnownOption, 15> KNOWN_OPTIONS{{
    {"runs", 'r', true, false, false, false},
    {"retime", 0, true, false, false, false},
    {"repetitions", 0, true, false, false, false},
    {"pairs", 0, true, false, false, false},
    {"sweep-pairs", 0, true, false, false, false},
    {"timeout", 't', true, false, false, false},
    {"json", 0, true, true, true, false},
    {"svg", 0, true, true, false, false},
    {"no-svg", 0, false, false, false, false},
    {"compare", 0, true, false, false, false},
    {"mcpu", 0, true, false, false, false},
    {"side-by-side", 0, false, true, false, false},
    {"trace", 0, false, false, true, false},
    {"show", 0, true, false, false, true},
    {"help", 'h', false, true, true, true},
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

// The options that take a whole number, with its range, where it goes, and the variable of the
// environment that sets it where the command line does not.
struct NumberOption {
  const char* long_name;
  unsigned low;
  unsigned high;
  void (*set)(Options& options, unsigned value);
  const char* variable;  // nullptr: none
};
constexpr NumberOption NUMBER_OPTIONS[] = {
    {"runs", 1, MAX_RUNS, [](Options& o, unsigned v) { o.runs = v; }, "GCD_REPORT_RUNS"},
    {"retime", 0, MAX_RETIME_SECONDS, [](Options& o, unsigned v) { o.study.retime_seconds = v; },
     "GCD_REPORT_RETIME"},
    {"repetitions", 1, MAX_REPETITIONS, [](Options& o, unsigned v) { o.study.repetitions = v; },
     nullptr},
    {"pairs", 1000, 10'000'000, [](Options& o, unsigned v) { o.study.drawn_pairs = v; }, nullptr},
    {"sweep-pairs", 1000, 1U << 24, [](Options& o, unsigned v) { o.study.sweep_pairs = v; },
     nullptr},
    {"timeout", 1, 86400, [](Options& o, unsigned v) { o.timeout_s = v; }, "GCD_REPORT_TIMEOUT"},
};

bool apply(Options& options, const KnownOption& known, const std::string& value,
           std::string& error) {
  const std::string name = known.long_name;
  for (const NumberOption& number : NUMBER_OPTIONS) {
    if (name == number.long_name) {
      const std::optional<unsigned> parsed = parse_number(value, number.low, number.high);
      if (!parsed) {
        error = "--" + name + " takes a whole number from " + std::to_string(number.low) + " to " +
                std::to_string(number.high) + ", not '" + shown(value) + "'";
        return false;
      }
      number.set(options, *parsed);
      return true;
    }
  }
  const auto path = [&](std::string& target) {
    if (value.empty()) {
      error = "--" + name + " takes a file name";
      return false;
    }
    target = value;
    return true;
  };
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
  if (name == "show") {
    std::string show;
    const bool ok = path(show);
    options.show_path = show;
    return ok;
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

bool from_environment(const std::map<std::string, std::string>& environment,
                      const NumberOption& option, Options& options, std::string& error) {
  const auto found = environment.find(option.variable);
  if (found == environment.end() || found->second.empty()) {
    return true;
  }
  const std::optional<unsigned> value = parse_number(found->second, option.low, option.high);
  if (!value) {
    error = std::string(option.variable) + " must be a whole number from " +
            std::to_string(option.low) + " to " + std::to_string(option.high) + ", not '" +
            shown(found->second) + "'";
    return false;
  }
  option.set(options, *value);
  return true;
}

// The command line as read so far: the options, the words that are none, and which options it
// gave.
struct Scanned {
  Options options;
  std::vector<std::string> positionals;  // programs as NAME=PATH, reports side by side, A and B
  std::vector<std::string> given;        // long names: an option given wins over its variable
  std::string idle_with_side_by_side;    // the first option given that does nothing there
  std::string idle_with_trace;
  std::string idle_with_show;
  bool options_ended = false;  // after "--", every word is a positional
};

// What a word of the command line is: an option, long ("--runs", "--runs=5", a unique prefix)
// or short ("-r", "-r5"), with its value where the word holds one; no option (option nullptr);
// or a wrong one (wrong, with the reason in error).
struct Word {
  const KnownOption* option = nullptr;
  std::optional<std::string> value;
  std::string written;  // the option as written, for messages
  bool wrong = false;
};

Word word_of(const std::string& argument, bool options_ended, std::string& error) {
  Word word;
  const bool long_form = !options_ended && argument.starts_with("--");
  // A negative number is no option, nor a number signed twice.
  const bool short_form = !options_ended && !long_form && argument.size() > 1 &&
                          argument[0] == '-' && (argument[1] < '0' || argument[1] > '9') &&
                          argument[1] != '+';
  if (!long_form && !short_form) {
    return word;
  }
  const std::size_t equals = argument.find('=');
  word.option =
      long_form ? find_long(argument.substr(2, equals - 2), error) : find_short(argument[1], error);
  if (word.option == nullptr) {
    word.wrong = true;
    return word;
  }
  word.written =
      long_form ? std::string("--") + word.option->long_name : std::string("-") + argument[1];
  if (long_form && equals != std::string::npos) {
    word.value = argument.substr(equals + 1);
    error = "option '" + word.written + "' doesn't allow an argument";
  } else if (short_form && argument.size() > 2) {
    word.value = argument.substr(2);
    error = "option '" + word.written + "' takes no argument, not '" + shown(*word.value) + "'";
  }
  word.wrong = word.value && !word.option->takes_value;
  return word;
}

// Takes the word at i, and the next as the value of an option that needs one; false with the
// reason where the word or its value is wrong.
bool take_argument(const std::vector<std::string>& arguments, std::size_t& i, Scanned& scanned,
                   std::string& error) {
  const std::string& argument = arguments[i];
  if (!scanned.options_ended && argument == "--") {
    scanned.options_ended = true;
    return true;
  }
  Word word = word_of(argument, scanned.options_ended, error);
  if (word.wrong) {
    return false;
  }
  if (word.option == nullptr) {
    scanned.positionals.push_back(argument);
    return true;
  }
  const KnownOption* known = word.option;
  std::optional<std::string>& value = word.value;
  const std::string& written = word.written;
  if (known->takes_value && !value) {
    if (i + 1 >= arguments.size()) {
      error = "option '" + written + "' requires an argument";
      return false;
    }
    value = arguments[++i];
  }
  if (!apply(scanned.options, *known, value.value_or(""), error)) {
    return false;
  }
  scanned.given.emplace_back(known->long_name);
  if (!known->side_by_side && scanned.idle_with_side_by_side.empty()) {
    scanned.idle_with_side_by_side = written;
  }
  if (!known->trace && scanned.idle_with_trace.empty()) {
    scanned.idle_with_trace = written;
  }
  if (!known->show && scanned.idle_with_show.empty()) {
    scanned.idle_with_show = written;
  }
  return true;
}

// --trace: its two words, and no option that sets up a run.
bool finish_trace(Scanned& scanned, std::string& error) {
  if (!scanned.idle_with_trace.empty()) {
    error = scanned.idle_with_trace + " does nothing with --trace, which runs nothing";
    return false;
  }
  if (scanned.positionals.size() != 2) {
    error = "--trace takes two numbers, A and B";
    return false;
  }
  std::uint32_t* words[] = {&scanned.options.trace_first, &scanned.options.trace_second};
  for (std::size_t i = 0; i < 2; ++i) {
    const std::optional<std::uint32_t> word = parse_trace_word(scanned.positionals[i], error);
    if (!word) {
      error = "--trace: " + error;
      return false;
    }
    *words[i] = *word;
  }
  return true;
}

// --side-by-side: two report files or more, and no option that sets up a run.
bool finish_side_by_side(Scanned& scanned, std::string& error) {
  if (!scanned.idle_with_side_by_side.empty()) {
    error =
        scanned.idle_with_side_by_side + " does nothing with --side-by-side, which runs nothing";
    return false;
  }
  if (scanned.positionals.size() < 2) {
    error = "--side-by-side takes two report files or more";
    return false;
  }
  scanned.options.side_by_side_files = scanned.positionals;
  return true;
}

// --show FILE: the one report file, and no option that sets up a run.
bool finish_show(Scanned& scanned, std::string& error) {
  if (!scanned.idle_with_show.empty()) {
    error = scanned.idle_with_show + " does nothing with --show, which runs nothing";
    return false;
  }
  if (!scanned.positionals.empty()) {
    error = "unexpected argument '" + shown(scanned.positionals.front()) +
            "' (--show takes one report file)";
    return false;
  }
  return true;
}

// A run: its programs as NAME=PATH, and from the environment what the command line left unset.
bool finish_run(Scanned& scanned, const std::map<std::string, std::string>& environment,
                std::string& error) {
  for (const std::string& argument : scanned.positionals) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0) {
      error = "unexpected argument '" + shown(argument) + "' (a program is given as NAME=PATH)";
      return false;
    }
    if (equals + 1 == argument.size()) {
      error = "no path in '" + shown(argument) + "' (a program is given as NAME=PATH)";
      return false;
    }
    scanned.options.programs[argument.substr(0, equals)] = argument.substr(equals + 1);
  }
  for (const NumberOption& option : NUMBER_OPTIONS) {
    const bool given = std::find(scanned.given.begin(), scanned.given.end(), option.long_name) !=
                       scanned.given.end();
    if (option.variable != nullptr && !given &&
        !from_environment(environment, option, scanned.options, error)) {
      return false;
    }
  }
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
  Scanned scanned;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (!take_argument(arguments, i, scanned, error)) {
      return std::nullopt;
    }
  }
  const Options& options = scanned.options;
  if (options.trace && options.side_by_side) {
    error = "--trace and --side-by-side: one thing at a time";
    return std::nullopt;
  }
  const bool finished = options.trace          ? finish_trace(scanned, error)
                        : options.side_by_side ? finish_side_by_side(scanned, error)
                        : options.show_path    ? finish_show(scanned, error)
                                               : finish_run(scanned, environment, error);
  return finished ? std::optional<Options>(scanned.options) : std::nullopt;
}

std::vector<std::string> option_variables() {
  std::vector<std::string> variables;
  for (const NumberOption& option : NUMBER_OPTIONS) {
    if (option.variable != nullptr) {
      variables.emplace_back(option.variable);
    }
  }
  return variables;
}

std::string usage() {
  return R"(Usage: gcd_report [OPTION]... [NAME=PATH]...
  or:  gcd_report --side-by-side [--json=FILE] [--svg=FILE] REPORT REPORT...
  or:  gcd_report --trace [--json=FILE] A B
  or:  gcd_report --show=FILE
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
      --retime=S         seconds to spend timing again what a busy machine
                           disturbed, until it holds, 0 to 3600; 0 times
                           nothing again (default 10, or GCD_REPORT_RETIME)
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
      --show=FILE        run nothing: print the report of an earlier run's JSON
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
