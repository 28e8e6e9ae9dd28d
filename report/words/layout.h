// Words for a terminal of 80 columns: numbers to a fixed number of decimals, and sentences
// wrapped into indented lines. Shared by the report's texts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Joins a number to its unit in a text for wrap(): a line never ends between the two.
inline constexpr char GLUE = '\x1f';

// The format checks of the printf that runs: mingw's own, which knows %zu, where it is one.
#ifdef __MINGW_PRINTF_FORMAT
#define GCD_KIT_PRINTF __MINGW_PRINTF_FORMAT
#else
#define GCD_KIT_PRINTF printf
#endif

// Appends printf-style formatted text (at most a line of 511 characters).
[[gnu::format(GCD_KIT_PRINTF, 2, 3)]] void append(std::string& out, const char* format, ...);

// The value with so many decimals: "3.10".
[[nodiscard]] std::string fixed(double value, int decimals);

// A ratio with the digits that tell it: "12", "5.3", "0.034" (never "0.0").
[[nodiscard]] std::string ratio_words(double ratio);

// A share as a percentage: "12.5%".
[[nodiscard]] std::string percent(double share, int decimals = 1);

// A change as a share, with its direction: "rose by 5.3%", "fell by 18.9%".
[[nodiscard]] std::string change_words(double share);

// An interval's ends: "0.519-0.530", or "-0.082 to -0.080" where a minus sign would run into
// the dash.
[[nodiscard]] std::string range_text(double low, double high, int decimals);

// part over whole; 0 where whole is 0.
[[nodiscard]] double share(std::uint64_t part, std::uint64_t whole);

// "3.10 GHz", kept on one line by wrap(); "1 cycle" where the value shows as 1 and the unit ends
// in s.
[[nodiscard]] std::string with_unit(double value, int decimals, const char* unit);

// A count with its noun: "1 involuntary switch", "3 involuntary switches".
[[nodiscard]] std::string counted(std::uint64_t count, const char* one, const char* many);

// The texts, each after the one before with the separator between: "a, b, c".
[[nodiscard]] std::string joined(const std::vector<std::string>& texts, const char* separator);

// Appends the text as lines of at most 80 columns, each starting with two blanks, broken at
// blanks.
void wrap(std::string& out, const std::string& text);
