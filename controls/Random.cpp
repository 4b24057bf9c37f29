#include "controls/Random.h"

void TRandom::Randomize() {
    FSeed = TimeOfDaySeed(std::chrono::system_clock::now());
}

std::int32_t TRandom::Random(std::int32_t range) {
    FSeed = FSeed * 134775813u + 1u; // unsigned: wraps modulo 2^32 as intended
    if (range <= 0)
        return 0;
    return static_cast<std::int32_t>((std::uint64_t{FSeed} * static_cast<std::uint64_t>(range)) >>
                                     32);
}

std::uint32_t TimeOfDaySeed(std::chrono::system_clock::time_point now) {
    using namespace std::chrono;
    constexpr milliseconds::rep kDay = 24 * 60 * 60 * 1000;
    const milliseconds::rep sinceEpoch = floor<milliseconds>(now.time_since_epoch()).count();
    // Floored, so that an instant before 1970 still lands inside its own day.
    milliseconds::rep ofDay = sinceEpoch % kDay;
    if (ofDay < 0)
        ofDay += kDay;
    return static_cast<std::uint32_t>(ofDay);
}
