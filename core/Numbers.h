#pragma once

// Numbers written as text, as the controller and the settings spell them.

#include <cstdint>
#include <optional>
#include <string_view>

// The value of a digit in `base` (2 to 16; letters in either case), or -1 for none.
int DigitValue(char c, int base);

// A signed 32-bit number: decimal with an optional sign, or hexadecimal after "$", "x" or "0x"
// (either case), filling at most 32 bits. Anything else, including an empty text, is no number
// and leaves `value` alone.
bool ParseInt32(std::string_view text, std::int32_t& value);

inline std::optional<std::int32_t> ParseInt32(std::string_view text) {
    std::int32_t value = 0;
    return ParseInt32(text, value) ? std::optional(value) : std::nullopt;
}
