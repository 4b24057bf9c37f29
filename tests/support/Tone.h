#pragma once

#include "support/TempFolder.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

// A 16-bit mono sine tone at 22050 Hz, so that the mixer converts it as it would a recording.
inline void WriteTone(const std::filesystem::path& file, double seconds, int amplitude) {
    const int rate = 22050;
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    std::string wav = "RIFF....WAVEfmt ";
    const auto put = [&wav](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(16, 4);
    put(1, 2); // PCM
    put(1, 2); // mono
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    wav += "data";
    put(frames * 2, 4);
    for (std::uint32_t i = 0; i < frames; ++i)
        put(static_cast<std::uint16_t>(
                static_cast<std::int16_t>(amplitude * std::sin(2 * M_PI * 441.0 * i / rate))),
            2);
    const std::uint32_t riff = static_cast<std::uint32_t>(wav.size() - 8);
    for (int i = 0; i < 4; ++i)
        wav[4 + i] = static_cast<char>((riff >> (8 * i)) & 0xFF);
    WriteBytes(file, wav);
}
