// Words for a terminal of 80 columns.
#include "report/words/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string_view>

#include "report/words/utf8.h"

void wrap(std::string& out, const std::string& text) {
  constexpr std::size_t WIDTH = 78;  // after the two blanks
  const std::size_t first_line = out.size();
  std::size_t line_start = 0;  // in text
  std::size_t last_break = std::string::npos;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ') {
      const std::size_t length =
          characters(std::string_view(text).substr(line_start, i - line_start));
      if (length > WIDTH && last_break != std::string::npos && last_break > line_start) {
        out.append("  ").append(text, line_start, last_break - line_start).append("\n");
        line_start = last_break + 1;
      }
      last_break = i;
    }
  }
  if (line_start < text.size()) {
    out.append("  ").append(text, line_start, std::string::npos).append("\n");
  }
  std::replace(out.begin() + static_cast<std::ptrdiff_t>(first_line), out.end(), GLUE, ' ');
}

void append(std::string& out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (length > 0) {
    out.append(line, std::min(static_cast<std::size_t>(length), sizeof line - 1));
  }
}

std::string joined(const std::vector<std::string>& texts, const char* separator) {
  std::string out;
  for (const std::string& text : texts) {
    out += (out.empty() ? "" : separator) + text;
  }
  return out;
}

std::string fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string percent(double share, int decimals) { return fixed(share * 100, decimals) + "%"; }

std::string change_words(double share) {
  return (share < 0 ? "fell by " : "rose by ") + percent(std::fabs(share));
}

std::string range_text(double low, double high, int decimals) {
  return fixed(low, decimals) + (low < 0 || high < 0 ? " to " : "-") + fixed(high, decimals);
}

double share(std::uint64_t part, std::uint64_t whole) {
  return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

std::string ratio_words(double ratio) {
  if (ratio >= 100) {
    return fixed(ratio, 0);
  }
  if (ratio >= 1) {
    return fixed(ratio, 1);
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.2g", ratio);
  return text;
}

std::string with_unit(double value, int decimals, const char* unit) {
  const std::string number = fixed(value, decimals);
  std::string_view name = unit;
  // "1 cycle", not "1 cycles"; "1.0 cycles" stays as a decimal reads.
  if (number == "1" && name.ends_with('s')) {
    name.remove_suffix(1);
  }
  return number + GLUE + std::string(name);
}

std::string counted(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + ' ' + (count == 1 ? one : many);
}
