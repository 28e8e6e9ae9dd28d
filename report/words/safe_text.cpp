// Escaping and cutting text for the terminal.
#include "report/words/safe_text.h"

#include <cstdint>
#include <cstdio>

#include "report/words/utf8.h"

namespace {

// Characters that reorder the text around them on a terminal that follows the Unicode
// bidirectional algorithm: a name could show as another.
bool reorders_text(std::uint32_t code_point) {
  return (code_point >= 0x202A && code_point <= 0x202E) ||
         (code_point >= 0x2066 && code_point <= 0x2069);
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
    const std::size_t length = utf8_sequence(text, code_point);
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
    } else if ((code_point >= 0x80 && code_point <= 0x9F) || reorders_text(code_point)) {
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
