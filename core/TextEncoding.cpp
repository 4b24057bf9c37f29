#include "core/TextEncoding.h"

#include <cstdint>

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The nearest byte before `i` that is no continuation byte, within the three a character may
// hold, or `i` when there is none.
std::size_t LeadBefore(std::string_view text, std::size_t i) {
    for (std::size_t k = i; k > 0 && i - k < 4;) {
        if (!IsContinuation(text[--k]))
            return k;
    }
    return i;
}

void AppendUtf16(std::string& out, std::uint32_t code) {
    const auto unit = [&](std::uint32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    if (code < 0x10000) {
        unit(code);
    } else {
        unit(0xD800 + ((code - 0x10000) >> 10));
        unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
}
} // namespace

std::uint32_t NextUtf8Char(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    // How many continuation bytes the lead announces, and the least character needing as many.
    const int extra = (lead & 0xE0) == 0xC0   ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : 0;
    static constexpr std::uint32_t kLowest[] = {0, 0x80, 0x800, 0x10000};
    std::uint32_t code = lead & (0x7Fu >> extra);
    bool wellFormed = extra > 0 && i + extra < text.size();
    for (int k = 1; wellFormed && k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        wellFormed = (next & 0xC0) == 0x80;
        code = code << 6 | (next & 0x3Fu);
    }
    if (!wellFormed || code < kLowest[extra] || code > 0x10FFFF) {
        ++i;
        return lead;
    }
    i += extra + 1;
    return code;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
        return;
    }
    static constexpr std::uint32_t kLead[] = {0, 0xC0, 0xE0, 0xF0};
    const int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    out += static_cast<char>(kLead[extra] | (code >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k)
        out += static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    const auto unitAt = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t code = unitAt(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size()) {
            const std::uint32_t next = unitAt(i + 2);
            if (next >= 0xDC00 && next < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();)
        AppendUtf16(out, NextUtf8Char(text, i));
    return out;
}

std::string WellFormedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        AppendUtf8(out, NextUtf8Char(text, i));
    return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size() + 8);
    for (const char c : latin1) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out += utf8[i++];
            continue;
        }
        const std::uint32_t code = NextUtf8Char(utf8, i);
        out += code < 0x100 ? static_cast<char>(code) : '?';
    }
    return out;
}

std::size_t Utf8CharCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count)
        NextUtf8Char(text, i);
    return count;
}

// A well-formed sequence is a lead byte and continuation bytes only, so every other byte begins a
// character, and a continuation byte ends one only where the sequence of its lead ends.
std::size_t Utf8CharStart(std::string_view text, std::size_t end) {
    if (end == 0)
        return 0;
    const std::size_t lead = LeadBefore(text, end);
    std::size_t after = lead;
    if (lead < end && (NextUtf8Char(text, after), after == end))
        return lead;
    return end - 1;
}

bool IsUtf8CharStart(std::string_view text, std::size_t i) {
    if (i == 0 || i >= text.size() || !IsContinuation(text[i]))
        return true;
    const std::size_t lead = LeadBefore(text, i);
    if (lead == i)
        return true;
    std::size_t after = lead;
    NextUtf8Char(text, after);
    return after <= i;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t bytes) {
    if (bytes >= text.size())
        return text;
    while (!IsUtf8CharStart(text, bytes))
        --bytes;
    return text.substr(0, bytes);
}

std::string WithoutLoneSurrogates(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const std::uint32_t code = NextUtf8Char(text, i);
        if (code >= 0xD800 && code < 0xE000 && i - start == 3)
            AppendUtf8(out, 0xFFFD);
        else
            out.append(text, start, i - start);
    }
    return out;
}
