#include "app/Protocol.h"

#include <algorithm>

namespace {

bool IsBlank(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

} // namespace

void SplitFields(std::span<char> text, std::vector<std::string_view>& fields) {
    fields.clear();
    char* p = text.data();
    char* const end = std::find(text.data(), text.data() + text.size(), '\0');

    auto skipBlanks = [&] {
        while (p < end && IsBlank(*p))
            ++p;
    };

    skipBlanks();
    while (p < end) {
        if (*p == '"') {
            ++p;
            char* const start = p;
            char* out = p;
            while (p < end) {
                if (*p == '"') {
                    if (p + 1 < end && p[1] == '"') {
                        *out++ = '"';
                        p += 2;
                        continue;
                    }
                    ++p; // the closing quote
                    break;
                }
                *out++ = *p++;
            }
            fields.emplace_back(start, static_cast<std::size_t>(out - start));
        } else {
            char* const start = p;
            while (p < end && *p != ',' && !IsBlank(*p))
                ++p;
            fields.emplace_back(start, static_cast<std::size_t>(p - start));
        }
        skipBlanks();
        if (p < end && *p == ',') {
            ++p;
            skipBlanks();
        }
    }
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;

    // Hexadecimal may fill all 32 bits (so $FFFFFFFF is -1); decimal must fit the signed range.
    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > limit)
            return std::nullopt;
    }

    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

TPackState PackStateOfFlags(std::int32_t flags) {
    const auto low = static_cast<std::uint32_t>(flags) & 0xFFu;
    if (low & 0x20u)
        return psPlayed;
    if (low & 0x40u)
        return psDownloaded;
    if (low & 0x80u)
        return psInUse;
    return psNotInUse;
}

TPackEntry DecodePackEntry(std::size_t fieldIndex, std::string_view field) {
    const std::size_t slot = fieldIndex - 1;
    return TPackEntry{static_cast<int>(slot % kTeamCount) + 1,
                      static_cast<int>(slot / kTeamCount) + 1,
                      PackStateOfFlags(NumberField(field))};
}

TMessageKind ClassifyMessage(std::span<const std::string_view> fields) {
    if (fields.size() < 2)
        return TMessageKind::Ignored;
    if (fields[0] == "MODE")
        return TMessageKind::Mode;
    if (fields[0] == "PACKSTATUS")
        return TMessageKind::PackStatus;
    return TMessageKind::Ignored;
}
