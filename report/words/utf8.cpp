// Decoding and measuring UTF-8.
#include "report/words/utf8.h"

std::size_t utf8_sequence(std::string_view text, std::uint32_t& code_point) {
  if (text.empty()) {
    return 0;
  }
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

void append_utf8(std::string& out, std::uint32_t code_point) {
  const auto put = [&](std::uint32_t byte) { out += static_cast<char>(byte); };
  if (code_point < 0x80) {
    put(code_point);
  } else if (code_point < 0x800) {
    put(0xC0 | (code_point >> 6));
    put(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    put(0xE0 | (code_point >> 12));
    put(0x80 | ((code_point >> 6) & 0x3F));
    put(0x80 | (code_point & 0x3F));
  } else {
    put(0xF0 | (code_point >> 18));
    put(0x80 | ((code_point >> 12) & 0x3F));
    put(0x80 | ((code_point >> 6) & 0x3F));
    put(0x80 | (code_point & 0x3F));
  }
}

namespace {

// The bytes of the next character: its sequence, or one byte that starts none.
std::size_t next_character(std::string_view text) {
  std::uint32_t ignored = 0;
  const std::size_t length = utf8_sequence(text, ignored);
  return length == 0 ? 1 : length;
}

}  // namespace

std::size_t characters(std::string_view text) {
  std::size_t count = 0;
  for (; !text.empty(); ++count) {
    text.remove_prefix(next_character(text));
  }
  return count;
}

std::string_view first_characters(std::string_view text, std::size_t count) {
  std::size_t bytes = 0;
  for (; count > 0 && bytes < text.size(); --count) {
    bytes += next_character(text.substr(bytes));
  }
  return text.substr(0, bytes);
}

std::string padded(std::string_view text, std::size_t width) {
  std::string out(text);
  const std::size_t shown = characters(text);
  if (shown < width) {
    out.append(width - shown, ' ');
  }
  return out;
}

std::filesystem::path file_path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8_of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}
