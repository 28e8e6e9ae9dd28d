// A small JSON value: enough to write the report's results and to read them back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

struct Json {
  using Array = std::vector<Json>;
  using Object = std::vector<std::pair<std::string, Json>>;  // keys in the order written
  std::variant<std::nullptr_t, bool, double, std::string, Array, Object> value;

  Json() : value(nullptr) {}
  Json(std::nullptr_t) : value(nullptr) {}
  Json(bool b) : value(b) {}
  // Every number is a double, as in JavaScript; counts up to 2^53 are exact.
  template <class Number>
  requires(std::is_arithmetic_v<Number> && !std::is_same_v<Number, bool>) Json(Number number)
      : value(static_cast<double>(number)) {}
  Json(const char* text) : value(std::string(text)) {}
  Json(std::string text) : value(std::move(text)) {}
  Json(Array array) : value(std::move(array)) {}
  Json(Object object) : value(std::move(object)) {}

  template <class T>
  [[nodiscard]] const T* get() const {
    return std::get_if<T>(&value);
  }
  // The member of an object with this key, or nullptr (also for a value that is no object).
  [[nodiscard]] const Json* find(std::string_view key) const;
};

// Indented text, two spaces a level, short arrays of numbers on one line; ends with a line end.
[[nodiscard]] std::string to_text(const Json& json);

// The most values a text may hold: each takes about 40 bytes once read, and a report of 1000
// runs and 100 repetitions holds about 25,000.
inline constexpr std::size_t MAX_JSON_VALUES = 250'000;

// The value in text, or nullopt with a reason in error ("line 3: expected ':'", "line 1: more
// than 250000 values"). A byte-order mark before it is read as nothing, and a number too
// small for a double (1e-400) as 0.
[[nodiscard]] std::optional<Json> parse_json(std::string_view text, std::string& error);

// The path from the document to a value within it, as a reader names it: "benchmarks[0].runs_ms"
// ("" for the document itself); nullopt where the value is not within it.
[[nodiscard]] std::optional<std::string> path_within(const Json& document, const Json& value);
