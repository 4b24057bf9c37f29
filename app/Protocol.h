#pragma once

// The controller's datagrams: comma-separated single-byte text, split into fields and
// decoded without a screen, a socket or any allocation per field.

#include "controls/PackTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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

// A signed 32-bit number: decimal with an optional sign, or hexadecimal after "$", "x" or "0x"
// (either case), filling at most 32 bits. Anything else, including an empty text, is no number.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// A datagram's number field: 0 when it holds no number.
inline std::int32_t NumberField(std::string_view field) {
    return ParseInt32(field).value_or(0);
}

// Only the low byte of a flag value counts; played beats downloaded beats in use.
TPackState PackStateOfFlags(std::int32_t flags);

// Field i (i >= 1) of a pack status message names pack (i-1) div 3 + 1 of team (i-1) mod 3 + 1.
TPackEntry DecodePackEntry(std::size_t fieldIndex, std::string_view field);

// Which handler a split datagram goes to; keywords match whole fields, case-sensitively.
TMessageKind ClassifyMessage(std::span<const std::string_view> fields);
