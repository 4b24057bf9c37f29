#pragma once

// The blank rule the controller's datagrams and the settings' numbers share: a character the
// text rules skip around a value.

#include <string_view>

// A blank of the comma-separated text rules: any character from 1 to 32, the space included.
constexpr bool IsBlankCharacter(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

// Without the blanks around it.
constexpr std::string_view WithoutBlanks(std::string_view text) {
    while (!text.empty() && IsBlankCharacter(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankCharacter(text.back()))
        text.remove_suffix(1);
    return text;
}
