// The controller's datagrams as anyone on the arena's network may send them: the fast splitter
// must agree with the splitting rules read one character at a time, every number field must
// read as the full parse reads it, and the pack entries, the message kinds and the encoders
// must agree with the decoder.

#include "FuzzCheck.h"
#include "ReferenceNumber.h"
#include "app/Protocol.h"
#include "support/ReferenceSplit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

TPackState ReferenceState(std::int32_t flags) {
    const int low = flags & 0xFF;
    return low & 0x20 ? psPlayed : low & 0x40 ? psDownloaded : low & 0x80 ? psInUse : psNotInUse;
}

std::vector<std::string> Split(std::string text) {
    std::vector<std::string_view> fields;
    SplitFields(text, fields);
    return {fields.begin(), fields.end()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    static std::vector<std::string_view> fields; // reused, as the listener reuses its list
    std::string buffer = text;
    SplitFields(buffer, fields);
    const std::vector<std::string> split(fields.begin(), fields.end());
    FUZZ_CHECK(split == ReferenceSplit(text));

    const TMessageKind kind = ClassifyMessage(fields);
    const TMessageKind expected = split.size() < 2           ? TMessageKind::Ignored
                                  : split[0] == "MODE"       ? TMessageKind::Mode
                                  : split[0] == "PACKSTATUS" ? TMessageKind::PackStatus
                                                             : TMessageKind::Ignored;
    FUZZ_CHECK(kind == expected);

    TPackTable packs;
    for (std::size_t i = 0; i < split.size(); ++i) {
        const std::string& field = split[i];
        const std::optional<std::int32_t> number = ReferenceNumber(field);
        FUZZ_CHECK(ParseInt32(field) == number);
        FUZZ_CHECK(NumberField(field) == number.value_or(0));
        if (i > 0) {
            const TPackEntry entry = DecodePackEntry(i, field);
            FUZZ_CHECK(entry.Team == static_cast<int>((i - 1) % 3) + 1);
            FUZZ_CHECK(entry.Pack == static_cast<int>((i - 1) / 3) + 1);
            FUZZ_CHECK(entry.State == ReferenceState(number.value_or(0)));
            packs.Set(entry.Team, entry.Pack, entry.State);
        }
        // A value, written as a field, splits back into itself alone.
        FUZZ_CHECK(Split(FieldText(field)) == std::vector<std::string>{field});
    }

    // What the simulator sends for these states decodes to the same states.
    std::string sent = PackStatusDatagram(packs, kMaxPacksPerTeam);
    std::vector<std::string_view> again;
    SplitFields(sent, again);
    FUZZ_CHECK(ClassifyMessage(again) == TMessageKind::PackStatus);
    for (std::size_t i = 1; i < again.size(); ++i) {
        const TPackEntry entry = DecodePackEntry(i, again[i]);
        FUZZ_CHECK(entry.State == packs.Get(entry.Team, entry.Pack));
    }
    return 0;
}
