#pragma once

// The arena's cycle as a game controller would send it, free of sockets and clocks: every
// datagram with the arena time at which it is due, for a sender to scale and keep.

#include "controls/Random.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TGameOptions {
    int Teams = 3;         // 1 .. kTeamCount
    int PacksPerTeam = 6;  // 1 .. kMaxPacksPerTeam
    int GameSeconds = 120; // where the countdown starts
    std::string GameName = "Deathmatch";
};

struct TTimedDatagram {
    std::int64_t AtMs; // arena time since the cycle began
    std::string Text;
};

struct TGameCycle {
    // From the MODE,IDLE that opens the cycle up to the last pack to arrive.
    std::vector<TTimedDatagram> Datagrams;
    // When the MODE,IDLE is due that ends the download: the next cycle's opening one, or
    // kEndOfDownload after the last cycle.
    std::int64_t LengthMs = 0;
};

inline constexpr std::string_view kEndOfDownload = "MODE,IDLE";

// Arena time of the phases around the game. Short, so that a demonstration shows every mode
// soon, yet long enough to be read on the display.
constexpr std::int64_t kIdleMs = 20'000;
constexpr std::int64_t kCalculateMs = 8'000;
constexpr std::int64_t kArrivalGapMs = 2'000;
// How long the controller waits for the packs that never arrive before it gives up on them.
constexpr std::int64_t kStragglerWaitMs = 8'000;
// Pack status repeats during the game, so that a display started late still fills its grid.
constexpr int kGameStatusEverySeconds = 30;

// Idle, a game counting down every second with its packs in use, calculating, then the
// download: the packs arrive one by one in a random order, each played or downloaded unused,
// every arrival a full pack status, and a random few never arrive. `random` decides, so a
// seed repeats a cycle; consecutive cycles from one generator differ.
TGameCycle GameCycle(const TGameOptions& options, TRandom& random);
