// Escaping and cutting text for the terminal.
#include "report/safe_text.h"

#include <cstdint>
#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at the start of text, or 0 if it is not one
// (overlong forms, surrogates and code points past U+10FFFF are not valid).
std::size_t utf8_length(std::string_view text, std::uint32_t& code_point) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = 0;
  std::uint32_t minimum = 0;
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1FU;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0FU;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07U;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0U) != 0x80) {
      return 0;
    }
    code_point = (code_point << 6) | (byte(i) & 0x3FU);
  }
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  return code_point < minimum || surrogate || code_point > 0x10FFFF ? 0 : length;
}

}  // namespace

std::string safe_text(std::string_view text, std::size_t max_characters) {
  std::string out;
  std::size_t characters = 0;
  while (!text.empty()) {
    if (characters == max_characters) {
      return out + "...";
    }
    std::uint32_t code_point = 0;
    const std::size_t length = utf8_length(text, code_point);
    char escaped[16];
    if (length == 0) {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[0]));
      out += escaped;
    } else if (code_point == '\n') {
      out += "\\n";
    } else if (code_point == '\t') {
      out += "\\t";
    } else if (code_point < 0x20 || code_point == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(code_point));
      out += escaped;
    } else if (code_point >= 0x80 && code_point <= 0x9F) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code_point));
      out += escaped;
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length == 0 ? 1 : length);
    ++characters;
  }
  return out;
}
