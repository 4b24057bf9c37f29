#pragma once

// The program's own text is single-byte Latin-1; settings files and the system speak UTF-8 and
// UTF-16. The conversions between them never drop a byte: UTF-8 is read leniently, a byte that
// begins no well-formed sequence standing for the Latin-1 character of its value, and a character
// beyond Latin-1 becomes "?" on the way to Latin-1.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One character of UTF-8 text at `i`, which moves past it. A surrogate encoded on its own
// decodes as itself: a lone one read from a UTF-16 file is kept that way and goes back as it
// came.
std::uint32_t NextUtf8Char(std::string_view text, std::size_t& i);
void AppendUtf8(std::string& out, std::uint32_t code);
// Characters, not bytes: what an editor counts as a line's width.
std::size_t Utf8CharCount(std::string_view text);
// Whatever is not well formed taken as Latin-1.
std::string WellFormedUtf8(std::string_view text);

std::string Latin1ToUtf8(std::string_view latin1);
std::string Utf8ToLatin1(std::string_view utf8);

// UTF-16LE without a byte-order mark; an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view text);
