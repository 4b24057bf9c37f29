#pragma once

// The states of every team's packs and their totals, as the display and the grid keep them.

#include "core/PackTypes.h"

#include <array>

// The packs per team a grid can hold: 0 leaves only the totals, more than 20 has no states.
int ClampPacksPerTeam(int packsPerTeam);

struct TPackTotals {
    int InUse = 0;      // states 1, 2 and 3
    int Downloaded = 0; // states 2 and 3
    int Played = 0;     // state 2
    std::array<int, kTeamCount> TeamDownloaded{};
    std::array<int, kTeamCount> TeamPlayed{};
};

// The state of packs 1..20 of teams 1..3.
class TPackTable {
public:
    // psNotInUse outside teams 1..3 and packs 1..20.
    TPackState Get(int team, int pack) const;
    // Stores a state; returns whether it differs from the stored one. Out-of-range teams,
    // packs and states are ignored and change nothing.
    bool Set(int team, int pack, int state);
    // Counts packs 1..packsPerTeam (never beyond 20) of every team.
    TPackTotals Count(int packsPerTeam) const;

private:
    std::array<std::array<TPackState, kMaxPacksPerTeam>, kTeamCount> FStates{};
};
