// The display's kept state as a disk, a crash or a person may leave it. Reading any bytes ends
// in a state or in a reason; a state written back reads as the same state, so a display that
// restarts again and again keeps showing what it showed.

#include "FuzzCheck.h"
#include "app/KeptState.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string why;
    const auto state = ParseKeptState(bytes, why);
    if (!state) {
        FUZZ_CHECK(!why.empty());
        return 0;
    }
    FUZZ_CHECK(state->PacksPerTeam >= 0 && state->PacksPerTeam <= kMaxPacksPerTeam);
    const std::string written = FormatKeptState(*state);
    const auto again = ParseKeptState(written, why);
    FUZZ_CHECK(again && FormatKeptState(*again) == written);
    FUZZ_CHECK(again->ModeFields == state->ModeFields);
    // Whatever game time it holds, the countdown's arithmetic stays in range.
    ModeFieldsAfter(state->ModeFields, INT64_MAX / 2);
    return 0;
}
