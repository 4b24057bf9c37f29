#include "core/PackTable.h"

#include <algorithm>

int ClampPacksPerTeam(int packsPerTeam) {
    return std::clamp(packsPerTeam, 0, kMaxPacksPerTeam);
}

TPackState TPackTable::Get(int team, int pack) const {
    if (!IsValidTeam(team) || !IsValidPack(pack))
        return psNotInUse;
    return FStates[team - 1][pack - 1];
}

bool TPackTable::Set(int team, int pack, int state) {
    if (!IsValidTeam(team) || !IsValidPack(pack) || !IsValidPackState(state))
        return false;
    TPackState& stored = FStates[team - 1][pack - 1];
    if (stored == state)
        return false;
    stored = static_cast<TPackState>(state);
    return true;
}

TPackTotals TPackTable::Count(int packsPerTeam) const {
    TPackTotals totals;
    const int packs = ClampPacksPerTeam(packsPerTeam);
    for (int team = 0; team < kTeamCount; ++team) {
        for (int pack = 0; pack < packs; ++pack) {
            switch (FStates[team][pack]) {
            case psInUse:
                ++totals.InUse;
                break;
            case psPlayed:
                ++totals.InUse;
                ++totals.Downloaded;
                ++totals.Played;
                ++totals.TeamDownloaded[team];
                ++totals.TeamPlayed[team];
                break;
            case psDownloaded:
                ++totals.InUse;
                ++totals.Downloaded;
                ++totals.TeamDownloaded[team];
                break;
            default:
                break;
            }
        }
    }
    return totals;
}
