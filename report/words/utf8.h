// UTF-8 in one place: the next character of a text, and counting, cutting and padding texts by
// characters, so that no cut falls inside a character and columns line up; and paths as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The length of the valid UTF-8 sequence at the start of text, with its code point; 0 if it
// is not one (overlong forms, surrogates and code points past U+10FFFF are not valid).
[[nodiscard]] std::size_t utf8_sequence(std::string_view text, std::uint32_t& code_point);

// The code point as UTF-8.
void append_utf8(std::string& out, std::uint32_t code_point);

// The characters of the text, a byte that starts no valid sequence counting as one.
[[nodiscard]] std::size_t characters(std::string_view text);

// The text's first count characters, never a sequence cut in two.
[[nodiscard]] std::string_view first_characters(std::string_view text, std::size_t count);

// The text and blanks after it up to width characters.
[[nodiscard]] std::string padded(std::string_view text, std::size_t width);

// A path from UTF-8 text, the form the report keeps its paths in on every platform, and back.
[[nodiscard]] std::filesystem::path file_path(const std::string& utf8);
[[nodiscard]] std::string utf8_of(const std::filesystem::path& path);
