// Blanks off both ends of a line of another tool's output.
#pragma once

#include <string_view>

// The text without its leading blanks and tabs and its trailing blanks, tabs and carriage
// return.
[[nodiscard]] inline std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}
