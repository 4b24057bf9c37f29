#pragma once

#include <chrono>
#include <cstdint>

// The program's pseudo-random generator: a 32-bit linear congruential sequence, seeded from the
// time of day. Deterministic for a given seed, so a test can replay exactly what the display
// would have drawn.
class TRandom {
public:
    explicit TRandom(std::uint32_t seed = 0) : FSeed(seed) {}

    std::uint32_t Seed() const { return FSeed; }
    void SetSeed(std::uint32_t seed) { FSeed = seed; }

    // Seeds from the current UTC time of day, in milliseconds since midnight.
    void Randomize();

    // Advances the seed and scales it into 0 .. range - 1. A range of 0 or below still
    // advances the seed, so the sequence stays the same, and gives 0.
    std::int32_t Random(std::int32_t range);

private:
    std::uint32_t FSeed;
};

// Milliseconds since the last UTC midnight (0 .. 86 399 999) at `now`.
std::uint32_t TimeOfDaySeed(std::chrono::system_clock::time_point now);
