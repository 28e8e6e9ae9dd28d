// Text from a file, made safe to show: a report file may hold anything, and a terminal acts
// on control characters (ESC[2J clears the screen).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text with control characters (C0, DEL and C1) and the characters that reorder text
// (U+202A to U+202E, U+2066 to U+2069) escaped ("\n", "\x1b", "\u0085", "\u202e"), each byte
// that is not part of valid UTF-8 shown as "\xNN", and cut after max_characters characters,
// with "..." to say so. Backslashes stay as they are (Windows paths hold them).
[[nodiscard]] std::string safe_text(std::string_view text, std::size_t max_characters);
