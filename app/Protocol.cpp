#include "app/Protocol.h"

#include <bit>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool EndsValue(char c) {
    return c == ',' || IsBlankCharacter(c);
}

// A bit per character of a 64-character block: set where a value ends (a comma or a blank),
// and for every place from the end of the text on.
std::uint64_t StopBits(const char* block, const char* end) {
    const auto available = end - block;
#if defined(__SSE2__)
    if (available >= 64) {
        const __m128i comma = _mm_set1_epi8(',');
        const __m128i one = _mm_set1_epi8(1);
        const __m128i thirtyOne = _mm_set1_epi8(31);
        std::uint64_t bits = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i));
            const __m128i lessOne = _mm_sub_epi8(chunk, one); // blanks 1..32 become 0..31
            const __m128i blank = _mm_cmpeq_epi8(_mm_min_epu8(lessOne, thirtyOne), lessOne);
            const __m128i stop = _mm_or_si128(blank, _mm_cmpeq_epi8(chunk, comma));
            bits |= static_cast<std::uint64_t>(_mm_movemask_epi8(stop) & 0xFFFF) << (16 * i);
        }
        return bits;
    }
#endif
    const int count = available < 64 ? static_cast<int>(available) : 64;
    std::uint64_t bits = count < 64 ? ~0ull << count : 0;
    for (int i = 0; i < count; ++i)
        bits |= static_cast<std::uint64_t>(EndsValue(block[i])) << i;
    return bits;
}

// Finds where unquoted values end. Values are mostly a few digits, and a loop over their
// characters would make each field wait for the previous one's loads and mispredicted exit;
// with the block's stop bits at hand, the end of a value is a shift and a bit count.
class TValueEnds {
public:
    TValueEnds(char* start, const char* end) : FEnd(end) { Load(start); }

    char* From(char* p) {
        for (;;) {
            const auto offset = static_cast<std::size_t>(p - FBlock);
            if (offset < 64) {
                if (const std::uint64_t ahead = FStops >> offset)
                    return p + std::countr_zero(ahead);
                p = FBlock + 64; // no stop in the rest of the block, so it lies before the end
            }
            Load(p);
        }
    }

private:
    void Load(char* block) {
        FBlock = block;
        FStops = StopBits(block, FEnd);
    }

    const char* const FEnd;
    char* FBlock = nullptr;
    std::uint64_t FStops = 0;
};

} // namespace

void SplitFields(std::span<char> text, std::vector<std::string_view>& fields) {
    fields.clear();
    if (text.empty())
        return;
    char* p = text.data();
    char* const zero = static_cast<char*>(std::memchr(text.data(), '\0', text.size()));
    char* const end = zero ? zero : text.data() + text.size();

    TValueEnds valueEnds(p, end);
    auto skipBlanks = [&] {
        while (p < end && IsBlankCharacter(*p))
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
            p = valueEnds.From(p);
            fields.emplace_back(start, static_cast<std::size_t>(p - start));
        }
        skipBlanks();
        if (p < end && *p == ',') {
            ++p;
            skipBlanks();
        }
    }
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

std::string PackStatusDatagram(const TPackTable& packs, int packsPerTeam) {
    std::string text = "PACKSTATUS";
    for (int pack = 1; pack <= packsPerTeam && pack <= kMaxPacksPerTeam; ++pack)
        for (int team = 1; team <= kTeamCount; ++team) {
            text += ',';
            text += std::to_string(FlagsOfPackState(packs.Get(team, pack)));
        }
    return text;
}

std::string FieldText(std::string_view value) {
    bool plain = !value.empty();
    for (char c : value)
        plain = plain && !EndsValue(c) && c != '"';
    if (plain)
        return std::string(value);
    std::string text = "\"";
    for (char c : value) {
        text += c;
        if (c == '"')
            text += '"';
    }
    text += '"';
    return text;
}
