#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The number rule stated over whole digit strings rather than one digit at a time: an optional
// sign, "$", "x" or "0x" for hexadecimal, at least one digit and nothing else; decimal within
// the signed range, hexadecimal within 32 bits and then taken as their two's complement.
inline std::optional<std::int32_t> ReferenceNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("$") || text.starts_with("x") || text.starts_with("X")) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    const std::string_view digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    if (text.empty() || text.find_first_not_of(digits) != text.npos)
        return std::nullopt;
    text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
    if (text.size() > (base == 16 ? 8u : 10u))
        return std::nullopt;
    const std::uint64_t magnitude =
        std::stoull(std::string(text.empty() ? "0" : text), nullptr, base);
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    if (magnitude > limit)
        return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(magnitude);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}
