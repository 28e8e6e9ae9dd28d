// Reading the one message a program prints.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The number in a program's whole output, which must be exactly prefix, a signed decimal
// 32-bit number and suffix (the programs end their messages with no line end).
[[nodiscard]] std::optional<std::int32_t> parse_message(std::string_view output,
                                                        std::string_view prefix,
                                                        std::string_view suffix);
