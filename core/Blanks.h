#pragma once

// The blank rule the controller's datagrams and the settings' numbers share: a character the
// text rules skip around a value.

// A blank of the comma-separated text rules: any character from 1 to 32, the space included.
constexpr bool IsBlankCharacter(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}
