#pragma once

#include <cstdint>

// A pack's place in the game, one byte as the controller's flags are reduced to it.
enum TPackState : std::uint8_t {
    psNotInUse = 0,   // takes no part in the game
    psInUse = 1,      // in the game, not downloaded yet
    psPlayed = 2,     // downloaded, and a player used it
    psDownloaded = 3, // downloaded, no player used it
};

// Index of a team's colour; the same index picks the colour word that is spoken.
enum TTeamColour : std::uint8_t {
    tcRed = 1,
    tcGreen = 2,
    tcBlue = 3,
    tcYellow = 4,
};

constexpr int kTeamCount = 3;
constexpr int kMaxPacksPerTeam = 20;

constexpr bool IsValidPackState(int state) {
    return state >= psNotInUse && state <= psDownloaded;
}
constexpr bool IsValidTeamColour(int colour) {
    return colour >= tcRed && colour <= tcYellow;
}
constexpr bool IsValidTeam(int team) {
    return team >= 1 && team <= kTeamCount;
}
constexpr bool IsValidPack(int pack) {
    return pack >= 1 && pack <= kMaxPacksPerTeam;
}
