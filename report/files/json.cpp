// Writing and reading JSON.
#include "report/files/json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>

#include "report/words/safe_text.h"
#include "report/words/utf8.h"

const Json* Json::find(std::string_view key) const {
  if (const Object* object = get<Object>()) {
    for (const auto& [name, member] : *object) {
      if (name == key) {
        return &member;
      }
    }
  }
  return nullptr;
}

std::optional<std::string> path_within(const Json& document, const Json& value) {
  if (&document == &value) {
    return std::string();
  }
  const auto below = [&](const std::string& step, const Json& child) -> std::optional<std::string> {
    if (std::optional<std::string> rest = path_within(child, value)) {
      return step + (rest->empty() || rest->front() == '[' ? "" : ".") + *rest;
    }
    return std::nullopt;
  };
  if (const Json::Object* object = document.get<Json::Object>()) {
    for (const auto& [key, member] : *object) {
      if (std::optional<std::string> path = below(key, member)) {
        return path;
      }
    }
  } else if (const Json::Array* array = document.get<Json::Array>()) {
    for (std::size_t i = 0; i < array->size(); ++i) {
      std::string step(1, '[');
      step.append(std::to_string(i)).append(1, ']');
      if (std::optional<std::string> path = below(step, (*array)[i])) {
        return path;
      }
    }
  }
  return std::nullopt;
}

namespace {

void write_string(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

void write_number(std::string& out, double number) {
  if (!std::isfinite(number)) {
    out += "null";  // JSON has no infinities or NaN
    return;
  }
  // Whole numbers as people write them (10000000, not 1e+07); others as short as they
  // read back exactly.
  const bool whole = number == std::floor(number) && std::fabs(number) < 9007199254740992.0;
  char digits[400];
  const auto [end, error] =
      whole ? std::to_chars(digits, digits + sizeof digits, number, std::chars_format::fixed)
            : std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, error == std::errc{} ? end : digits);
}

bool is_flat(const Json::Array& array) {
  for (const Json& item : array) {
    if (item.get<Json::Array>() != nullptr || item.get<Json::Object>() != nullptr) {
      return false;
    }
  }
  return array.size() <= 16;
}

void write(std::string& out, const Json& json, int depth) {
  const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
  const std::string closing(static_cast<std::size_t>(depth) * 2, ' ');
  if (json.get<std::nullptr_t>() != nullptr) {
    out += "null";
  } else if (const bool* b = json.get<bool>()) {
    out += *b ? "true" : "false";
  } else if (const double* number = json.get<double>()) {
    write_number(out, *number);
  } else if (const std::string* text = json.get<std::string>()) {
    write_string(out, *text);
  } else if (const Json::Array* array = json.get<Json::Array>()) {
    const bool flat = is_flat(*array);
    out += '[';
    for (std::size_t i = 0; i < array->size(); ++i) {
      out += i == 0 ? "" : ",";
      out += flat ? (i == 0 ? "" : " ") : "\n" + indent;
      write(out, (*array)[i], depth + 1);
    }
    out += flat || array->empty() ? "]" : "\n" + closing + "]";
  } else if (const Json::Object* object = json.get<Json::Object>()) {
    out += '{';
    for (std::size_t i = 0; i < object->size(); ++i) {
      out += i == 0 ? "\n" : ",\n";
      out += indent;
      write_string(out, (*object)[i].first);
      out += ": ";
      write(out, (*object)[i].second, depth + 1);
    }
    out += object->empty() ? "}" : "\n" + closing + "}";
  }
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Json> document(std::string& error) {
    std::optional<Json> json = value(0);
    skip_space();
    if (json && position_ != text_.size()) {
      fail("unexpected text after the value");
      json.reset();
    }
    if (!json) {
      error = "line " + std::to_string(line()) + ": " + error_;
    }
    return json;
  }

 private:
  static constexpr int MAX_DEPTH = 64;

  std::string_view text_;
  std::size_t position_ = 0;
  std::size_t values_ = 0;
  std::string error_;

  std::size_t line() const {
    std::size_t lines = 1;
    for (std::size_t i = 0; i < position_ && i < text_.size(); ++i) {
      lines += text_[i] == '\n';
    }
    return lines;
  }
  std::nullopt_t fail(const std::string& why) {
    if (error_.empty()) {
      error_ = why;
    }
    return std::nullopt;
  }
  void skip_space() {
    while (position_ < text_.size() && (text_[position_] == ' ' || text_[position_] == '\n' ||
                                        text_[position_] == '\t' || text_[position_] == '\r')) {
      ++position_;
    }
  }
  bool take(char c) {
    skip_space();
    if (position_ < text_.size() && text_[position_] == c) {
      ++position_;
      return true;
    }
    return false;
  }
  bool take_word(std::string_view word) {
    if (text_.substr(position_).starts_with(word)) {
      position_ += word.size();
      return true;
    }
    return false;
  }

  std::optional<Json> value(int depth) {
    if (depth > MAX_DEPTH) {
      return fail("nested too deeply");
    }
    if (++values_ > MAX_JSON_VALUES) {
      return fail("more than " + std::to_string(MAX_JSON_VALUES) + " values");
    }
    skip_space();
    if (position_ >= text_.size()) {
      return fail("unexpected end");
    }
    const char c = text_[position_];
    if (c == '{') {
      return object(depth);
    }
    if (c == '[') {
      return array(depth);
    }
    if (c == '"') {
      std::optional<std::string> text = string();
      return text ? std::optional<Json>(Json(std::move(*text))) : std::nullopt;
    }
    if (take_word("true")) {
      return Json(true);
    }
    if (take_word("false")) {
      return Json(false);
    }
    if (take_word("null")) {
      return Json(nullptr);
    }
    return number();
  }

  // The number grammar of JSON (RFC 8259): no leading zeros, no '+', digits on both sides
  // of a point; a number too large for a double is refused, not made infinite.
  std::optional<Json> number() {
    const std::size_t start = position_;
    const auto digits = [this] {
      const std::size_t first = position_;
      while (position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9') {
        ++position_;
      }
      return position_ - first;
    };
    const auto next_is = [this](char c) {
      return position_ < text_.size() && text_[position_] == c ? (++position_, true) : false;
    };
    static_cast<void>(next_is('-'));
    const bool leading_zero = position_ < text_.size() && text_[position_] == '0';
    const std::size_t integer_digits = digits();
    bool well_formed = integer_digits > 0 && !(leading_zero && integer_digits > 1);
    if (well_formed && next_is('.')) {
      well_formed = digits() > 0;
    }
    if (well_formed && (next_is('e') || next_is('E'))) {
      static_cast<void>(next_is('+') || next_is('-'));
      well_formed = digits() > 0;
    }
    if (!well_formed) {
      return fail("expected a value");
    }
    double number = 0;
    const char* first = text_.data() + start;
    const char* last = text_.data() + position_;
    const auto [end, error] = std::from_chars(first, last, number);
    if (error == std::errc::result_out_of_range && end == last && below_any_double(first, last)) {
      return Json(*first == '-' ? -0.0 : 0.0);  // 1e-400: as near 0 as a double gets
    }
    if (error != std::errc{} || end != last) {
      return fail("a number out of range");
    }
    return Json(number);
  }

  // Whether a well-formed JSON number out of a double's range is out of it by being too small:
  // its first significant digit stands below the units (its decimal exponent is negative).
  static bool below_any_double(const char* first, const char* last) {
    std::string_view text(first, static_cast<std::size_t>(last - first));
    if (text.starts_with('-')) {
      text.remove_prefix(1);
    }
    const std::size_t e = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
      std::string_view digits = text.substr(e + 1);
      const bool negative = digits.starts_with('-');
      digits.remove_prefix(digits.starts_with('-') || digits.starts_with('+') ? 1 : 0);
      for (const char digit : digits) {
        exponent = std::min(exponent * 10 + (digit - '0'), 100000L);
      }
      exponent = negative ? -exponent : exponent;
    }
    const std::size_t point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    const std::size_t leading = whole.find_first_not_of('0');
    if (leading != std::string_view::npos) {
      return static_cast<long>(whole.size() - leading) - 1 + exponent < 0;
    }
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
    const std::size_t first_digit = fraction.find_first_not_of('0');
    return first_digit == std::string_view::npos ||
           -static_cast<long>(first_digit) - 1 + exponent < 0;
  }

  // Four hex digits after "\\u".
  std::optional<std::uint32_t> hex4() {
    std::uint32_t code = 0;
    const char* first = text_.data() + position_;
    if (text_.size() - position_ < 4 ||
        std::from_chars(first, first + 4, code, 16).ptr != first + 4) {
      return fail("bad \\u escape");
    }
    position_ += 4;
    return code;
  }

  // The character of a "\\u" escape, a pair of them for one beyond U+FFFF (as a tool that
  // escapes every letter beyond ASCII writes it); a surrogate without its other half is none.
  std::optional<std::uint32_t> escaped_code_point() {
    const std::optional<std::uint32_t> code = hex4();
    if (!code || *code < 0xD800 || *code > 0xDFFF) {
      return code;
    }
    if (*code > 0xDBFF || !text_.substr(position_).starts_with("\\u")) {
      return fail("a lone surrogate in a \\u escape");
    }
    position_ += 2;
    const std::optional<std::uint32_t> low = hex4();
    if (!low || *low < 0xDC00 || *low > 0xDFFF) {
      return fail("a lone surrogate in a \\u escape");
    }
    return 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
  }

  std::optional<std::string> string() {
    ++position_;  // the opening quote
    std::string out;
    while (position_ < text_.size() && text_[position_] != '"') {
      char c = text_[position_++];
      if (static_cast<unsigned char>(c) < 0x20) {
        return fail("control character in a string");
      }
      if (c == '\\') {
        if (position_ >= text_.size()) {
          break;
        }
        c = text_[position_++];
        switch (c) {
          case 'n': c = '\n'; break;
          case 't': c = '\t'; break;
          case 'r': c = '\r'; break;
          case 'b': c = '\b'; break;
          case 'f': c = '\f'; break;
          case 'u': {
            const std::optional<std::uint32_t> code = escaped_code_point();
            if (!code) {
              return std::nullopt;
            }
            append_utf8(out, *code);
            continue;
          }
          case '"':
          case '\\':
          case '/': break;
          default: return fail("bad escape");
        }
      }
      out += c;
    }
    if (position_ >= text_.size()) {
      return fail("unterminated string");
    }
    ++position_;  // the closing quote
    return out;
  }

  std::optional<Json> array(int depth) {
    ++position_;
    Json::Array items;
    if (take(']')) {
      return Json(std::move(items));
    }
    do {
      std::optional<Json> item = value(depth + 1);
      if (!item) {
        return std::nullopt;
      }
      items.push_back(std::move(*item));
    } while (take(','));
    if (!take(']')) {
      return fail("expected ',' or ']'");
    }
    return Json(std::move(items));
  }

  std::optional<Json> object(int depth) {
    ++position_;
    Json::Object members;
    if (take('}')) {
      return Json(std::move(members));
    }
    // A key twice would be read one way here and another way by another tool.
    std::set<std::string> keys;
    do {
      skip_space();
      if (position_ >= text_.size() || text_[position_] != '"') {
        return fail("expected a key");
      }
      std::optional<std::string> key = string();
      if (!key) {
        return std::nullopt;
      }
      if (!keys.insert(*key).second) {
        std::string twice(1, '"');
        return fail(twice.append(safe_text(*key, 40)).append("\" twice in one object"));
      }
      if (!take(':')) {
        return fail("expected ':'");
      }
      std::optional<Json> member = value(depth + 1);
      if (!member) {
        return std::nullopt;
      }
      members.emplace_back(std::move(*key), std::move(*member));
    } while (take(','));
    if (!take('}')) {
      return fail("expected ',' or '}'");
    }
    return Json(std::move(members));
  }
};

}  // namespace

std::string to_text(const Json& json) {
  std::string out;
  write(out, json, 0);
  out += '\n';
  return out;
}

std::optional<Json> parse_json(std::string_view text, std::string& error) {
  // A byte-order mark, as Windows tools begin a UTF-8 file with, is no part of the text.
  constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
  if (text.starts_with(BYTE_ORDER_MARK)) {
    text.remove_prefix(BYTE_ORDER_MARK.size());
  }
  return Parser(text).document(error);
}
