#pragma once

// The program's own text is UTF-8; the controller's datagrams and single-byte settings files are
// Latin-1, Unicode settings files and Windows UTF-16. The conversions between them never drop a
// byte: UTF-8 is read leniently, a byte that begins no well-formed sequence standing for the
// Latin-1 character of its value, and a character beyond Latin-1 becomes "?" on the way to
// Latin-1.

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
// Where the character that ends at byte `end` begins, the characters being those NextUtf8Char
// reads from the text's start; `end` must be where one of them ends. 0 for 0.
std::size_t Utf8CharStart(std::string_view text, std::size_t end);
// Whether a character begins at byte `i`, or `i` is the end: never inside one.
bool IsUtf8CharStart(std::string_view text, std::size_t i);
// At most `bytes` bytes of the text's start, cut where a character ends.
std::string_view Utf8Prefix(std::string_view text, std::size_t bytes);
// Whatever is not well formed taken as Latin-1.
std::string WellFormedUtf8(std::string_view text);

std::string Latin1ToUtf8(std::string_view latin1);
std::string Utf8ToLatin1(std::string_view utf8);

// UTF-16LE without a byte-order mark; an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view text);
// Every surrogate that stands alone as U+FFFD, the replacement character, as Qt and Windows read
// it. Only UTF-16 brings such a one, which a settings file keeps so as to write it back as it came.
std::string WithoutLoneSurrogates(std::string_view text);
