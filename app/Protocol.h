#pragma once

// The controller's datagrams: comma-separated single-byte text (Latin-1, where a word is shown),
// split into fields and decoded without a screen, a socket or any allocation per field.

#include "core/Blanks.h"
#include "core/Numbers.h"
#include "core/PackTable.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

constexpr std::uint16_t kDatagramPort = 12001;
constexpr std::size_t kMaxDatagramBytes = 999;

enum class TMessageKind { Ignored, Mode, PackStatus };

// One entry of a pack status message: the field's pack and the state its flags give.
struct TPackEntry {
    int Team;
    int Pack; // may lie beyond the 20 packs the grid holds
    TPackState State;
};

// Splits `text`, up to its first zero byte, into `fields` (cleared first). The fields are views
// into `text`: a quoted value is unescaped in place, which is safe because unescaping never
// lengthens it. Blanks are the characters 1 to 32. `fields` keeps its capacity, so a caller that
// reuses it splits without allocating.
void SplitFields(std::span<char> text, std::vector<std::string_view>& fields);

// A datagram's number field: 0 when it holds no number. The controller's flags are one to three
// plain digits: those are read here without a call or a loop (whose varying length would cost
// a mispredicted exit per field); anything else takes the full parse.
inline std::int32_t NumberField(std::string_view field) {
    const std::size_t length = field.size();
    if (length - 1 < 3) {
        const auto* text = reinterpret_cast<const unsigned char*>(field.data());
        // Short fields read their last character again in place of the missing ones.
        const std::uint32_t a = text[0] - 48u;
        const std::uint32_t b = text[length > 1 ? 1 : 0] - 48u;
        const std::uint32_t c = text[length > 2 ? 2 : length - 1] - 48u;
        if (a <= 9 && b <= 9 && c <= 9) {
            const std::uint32_t value = length == 1   ? a
                                        : length == 2 ? a * 10 + b
                                                      : a * 100 + b * 10 + c;
            return static_cast<std::int32_t>(value);
        }
    }
    std::int32_t value = 0;
    ParseInt32(field, value);
    return value;
}

// The controller's flag bits of a pack.
constexpr std::int32_t kFlagPlayed = 0x20;
constexpr std::int32_t kFlagDownloaded = 0x40;
constexpr std::int32_t kFlagInUse = 0x80;

// Only the low byte of a flag value counts; played beats downloaded beats in use.
constexpr TPackState PackStateOfFlags(std::int32_t flags) {
    const auto low = static_cast<std::uint32_t>(flags) & 0xFFu;
    if (low & kFlagPlayed)
        return psPlayed;
    if (low & kFlagDownloaded)
        return psDownloaded;
    if (low & kFlagInUse)
        return psInUse;
    return psNotInUse;
}

// A pack keeps the bits of every stage it has passed (a played pack was downloaded, and a
// downloaded pack was in the game), so a display reading them must honour the precedence.
constexpr std::int32_t FlagsOfPackState(TPackState state) {
    switch (state) {
    case psInUse:
        return kFlagInUse;
    case psDownloaded:
        return kFlagInUse | kFlagDownloaded;
    case psPlayed:
        return kFlagInUse | kFlagDownloaded | kFlagPlayed;
    case psNotInUse:
        break;
    }
    return 0;
}

// Field i (i >= 1) of a pack status message names pack (i-1) div 3 + 1 of team (i-1) mod 3 + 1.
// Inline, as it runs for every pack of every datagram.
inline TPackEntry DecodePackEntry(std::size_t fieldIndex, std::string_view field) {
    const std::size_t slot = fieldIndex - 1;
    return TPackEntry{static_cast<int>(slot % kTeamCount) + 1,
                      static_cast<int>(slot / kTeamCount) + 1,
                      PackStateOfFlags(NumberField(field))};
}

// Which handler a split datagram goes to; keywords match whole fields, case-sensitively.
TMessageKind ClassifyMessage(std::span<const std::string_view> fields);

// A pack status message listing packs 1 to `packsPerTeam` (at most 20) of all three teams.
std::string PackStatusDatagram(const TPackTable& packs, int packsPerTeam);

// `value` written so that splitting gives it back as one field: quoted when it is empty or
// holds a blank, a comma or a double quote. A zero byte would end the datagram and cannot be
// written.
std::string FieldText(std::string_view value);
