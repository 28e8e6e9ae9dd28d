// Reading a program's message.
#include "report/run/message.h"

#include <cstdint>

std::optional<std::int32_t> parse_message(std::string_view output, std::string_view prefix,
                                          std::string_view suffix) {
  if (output.size() < prefix.size() + suffix.size() || !output.starts_with(prefix) ||
      !output.ends_with(suffix)) {
    return std::nullopt;
  }
  std::string_view number =
      output.substr(prefix.size(), output.size() - prefix.size() - suffix.size());
  const bool negative = number.starts_with('-');
  if (negative) {
    number.remove_prefix(1);
  }
  if (number.empty() || number.size() > 10) {
    return std::nullopt;
  }
  std::int64_t magnitude = 0;
  for (const char c : number) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    magnitude = magnitude * 10 + (c - '0');
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}
