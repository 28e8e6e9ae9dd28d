// What every section's pair shares: the reader's checks and the writer's figures.
#include "report/files/sections/section.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "report/words/safe_text.h"

std::string shown(double value) {
  char text[40];
  // A whole number whole, as a limit like UINT32_MAX is: "4294967295", not "4.29497e+09".
  const bool whole = std::fabs(value) < 9007199254740992.0 && value == std::floor(value);
  std::snprintf(text, sizeof text, whole ? "%.0f" : "%.6g", value);
  return text;
}

std::string Reader::at(const Json& object, const char* key) const {
  const std::optional<std::string> path = path_within(*document_, object);
  return safe_text(!path || path->empty() ? std::string(key) : *path + "." + key, 200);
}

std::string Reader::path_of(const Json& value, const char* fallback) const {
  const std::optional<std::string> path = path_within(*document_, value);
  return safe_text(path && !path->empty() ? *path : std::string(fallback), 200);
}

const Json& Reader::member(const Json& object, const char* key) {
  static const Json NONE;
  const Json* found = object.find(key);
  if (found == nullptr) {
    fail("no \"" + at(object, key) + "\"");
    return NONE;
  }
  return *found;
}

const Json::Array& Reader::array(const Json& object, const char* key) {
  static const Json::Array EMPTY;
  const Json::Array* found = member(object, key).get<Json::Array>();
  if (found == nullptr) {
    fail(in_quotes(at(object, key)) + " is not a list");
    return EMPTY;
  }
  return *found;
}

const Json::Array& Reader::filled_array(const Json& object, const char* key) {
  const Json::Array& found = array(object, key);
  if (found.empty()) {
    fail(in_quotes(at(object, key)) + " is empty");
  }
  return found;
}

std::string Reader::text(const Json& object, const char* key, std::size_t max_characters) {
  const std::string* found = member(object, key).get<std::string>();
  if (found == nullptr) {
    fail(in_quotes(at(object, key)) + " is not a text");
    return "";
  }
  return safe_text(*found, max_characters);
}

std::string Reader::name(const Json& object, const char* key) {
  const std::string* found = member(object, key).get<std::string>();
  const bool plain = found != nullptr && !found->empty() && found->size() <= 40 &&
                     std::all_of(found->begin(), found->end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
                     });
  if (!plain) {
    fail(in_quotes(at(object, key)) + " is not a name of letters, digits and '_'");
    return "";
  }
  return *found;
}

double Reader::number(const Json& object, const char* key, double low, double high) {
  return in_range(member(object, key), key, low, high);
}

std::optional<double> Reader::optional_number(const Json& object, const char* key, double low,
                                              double high) {
  const Json& value = member(object, key);
  if (value.get<std::nullptr_t>() != nullptr) {
    return std::nullopt;
  }
  return in_range(value, key, low, high);
}

std::optional<bool> Reader::optional_flag(const Json& object, const char* key) {
  const Json& value = member(object, key);
  if (value.get<std::nullptr_t>() != nullptr) {
    return std::nullopt;
  }
  if (const bool* flag = value.get<bool>()) {
    return *flag;
  }
  fail(in_quotes(at(object, key)) + " is neither true, false nor null");
  return std::nullopt;
}

std::vector<double> Reader::numbers(const Json& object, const char* key, double low, double high,
                                    std::size_t max_count, bool may_be_empty) {
  std::vector<double> values;
  const Json::Array& items = may_be_empty ? array(object, key) : filled_array(object, key);
  if (items.size() > max_count) {
    fail(in_quotes(at(object, key)) + " holds " + std::to_string(items.size()) +
         " figures, more than the " + std::to_string(max_count) + " a report can have");
    return values;
  }
  for (const Json& item : items) {
    values.push_back(in_range(item, key, low, high));
  }
  return values;
}

Repeated Reader::repeated(const Json& object, const char* key, double low, double high,
                          std::size_t max_count) {
  Repeated figure(numbers(object, key, low, high, max_count));
  const std::string quiet_key = std::string(key) + "_quiet";
  figure.every_value_counts = object.find(quiet_key) == nullptr;
  if (const Json* quiet = object.find(quiet_key)) {
    const Json::Array* signs = quiet->get<Json::Array>();
    if (signs == nullptr || signs->size() != figure.size()) {
      fail(in_quotes(at(object, quiet_key.c_str())) + " holds no sign of quiet for each of " +
           std::to_string(figure.size()) + " values");
      return figure;
    }
    for (std::size_t i = 0; i < signs->size(); ++i) {
      const bool* sign = (*signs)[i].get<bool>();
      if (sign == nullptr) {
        fail(in_quotes(at(object, quiet_key.c_str()) + "[" + std::to_string(i) + "]") +
             " is neither true nor false");
        return figure;
      }
      figure.quiet_signs[i] = *sign;
    }
  }
  const std::string again_key = std::string(key) + "_timed_again";
  if (object.find(again_key) != nullptr && !figure.empty()) {
    figure.timed_again =
        whole<std::size_t>(object, again_key.c_str(), 0, static_cast<double>(figure.size() - 1));
  }
  return figure;
}

std::string Reader::kernel(const Json& object, const char* key, bool peers) {
  std::string found = name(object, key);
  if (!found.empty() && !(peers ? is_known_kernel(found) : is_kit_kernel(found))) {
    fail(in_quotes(at(object, key)) + " names " + found + ", no " +
         (peers ? "kernel or peer" : "kernel") + " of the kit");
  }
  return found;
}

void Reader::fail(const std::string& what) {
  if (error.empty()) {
    error = what;
  }
}

void Reader::once_each(std::vector<std::string> names, const char* list) {
  std::sort(names.begin(), names.end());
  const auto twice = std::adjacent_find(names.begin(), names.end());
  if (twice != names.end()) {
    std::string what = "\"";
    fail(what.append(list).append("\" names ").append(*twice).append(" twice"));
  }
}

double Reader::in_range(const Json& value, const char* key, double low, double high) {
  const double* found = value.get<double>();
  if (found == nullptr) {
    fail(in_quotes(path_of(value, key)) + " holds something that is not a number");
    return low;
  }
  if (!(*found >= low && *found <= high)) {
    fail(in_quotes(path_of(value, key)) + " holds " + shown(*found) + ", not a figure from " +
         shown(low) + " to " + shown(high));
    return low;
  }
  return *found;
}

std::string in_quotes(const std::string& text) {
  std::string out(1, '"');
  return out.append(text).append(1, '"');
}

double rounded(double value) { return std::round(value * 1000) / 1000; }

Json numbers(const std::vector<double>& values) {
  Json::Array array;
  for (const double value : values) {
    array.emplace_back(value);
  }
  return array;
}

void add_repeated(Json::Object& object, const std::string& key, const Repeated& figure) {
  Json::Array signs;
  for (const bool quiet : figure.quiet_signs) {
    signs.emplace_back(quiet);
  }
  object.emplace_back(key, numbers(figure.values));
  object.emplace_back(key + "_quiet", std::move(signs));
  object.emplace_back(key + "_timed_again", figure.timed_again);
}

Json withheld_json(Withheld why) {
  return why == Withheld::no          ? Json(nullptr)
         : why == Withheld::disturbed ? Json("disturbed")
                                      : Json("not judged");
}

Json optional_number(const std::optional<double>& value) {
  return value ? Json(rounded(*value)) : Json(nullptr);
}

Json exact(const std::optional<double>& value) { return value ? Json(*value) : Json(nullptr); }

Json within(const std::optional<double>& value, const Limit& limit) {
  return value && limit.holds(*value) ? Json(*value) : Json(nullptr);
}

Json optional_text(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

Json cycles(const std::optional<double>& ghz, double ns) {
  return ghz ? Json(rounded(ns * *ghz)) : Json(nullptr);
}
