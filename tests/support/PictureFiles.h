#pragma once

#include <cstdint>
#include <string>

// Picture files made byte by byte, to say any size in a few bytes.

// A GIF of `frames` frames of one pixel each, red and blue in turn every 20 ms, on a logical
// screen of the given size: each frame shows the whole screen, so a small file can stand for
// frames of any size.
inline std::string GifOfScreen(int width, int height, int frames) {
    std::string gif = "GIF89a";
    const auto word = [&gif](int value) {
        gif += static_cast<char>(value & 0xFF);
        gif += static_cast<char>(value >> 8 & 0xFF);
    };
    word(width);
    word(height);
    gif += std::string("\x80\0\0"
                       "\xFF\0\0"
                       "\0\0\xFF",
                       9); // two colours: red, blue
    gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\0\0\0", 19);
    for (int frame = 0; frame < frames; ++frame) {
        gif += std::string("\x21\xF9\x04\0\x02\0\0\0", 8); // 20 ms
        gif += std::string("\x2C\0\0\0\0\x01\0\x01\0\0", 10);
        // Clear, the colour, end, as 3-bit codes.
        gif += std::string(frame % 2 ? "\x02\x02\x4C\x01\0" : "\x02\x02\x44\x01\0", 5);
    }
    return gif + ";";
}

// A PNG of the given size whose pixel data is cut short: its reader finds the size first.
inline std::string PngOfSize(std::uint32_t width, std::uint32_t height) {
    std::string png("\x89PNG\r\n\x1A\n", 8);
    const auto number = [](std::string& out, std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>(value >> shift & 0xFF);
    };
    const auto chunk = [&](std::string body) {
        number(png, static_cast<std::uint32_t>(body.size() - 4));
        std::uint32_t crc = 0xFFFFFFFF;
        for (unsigned char byte : body) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit)
                crc = crc >> 1 ^ (crc & 1 ? 0xEDB88320 : 0);
        }
        png += body;
        number(png, ~crc);
    };
    std::string header = "IHDR";
    number(header, width);
    number(header, height);
    chunk(header + std::string("\x08\x02\0\0\0", 5)); // 8-bit RGB
    chunk(std::string("IDAT\x78\x9C\x63\0\0\0\x01\0\x01", 13));
    chunk("IEND");
    return png;
}
