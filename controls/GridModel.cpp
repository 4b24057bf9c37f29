#include "controls/GridModel.h"

#include <algorithm>

int ExtraColumns(bool showTeamTotals, bool showOverallTotals) {
    int columns = 0;
    if (showTeamTotals)
        columns += 3;
    if (showOverallTotals)
        columns += 6;
    if (showTeamTotals && showOverallTotals)
        columns += 1;
    return columns;
}

TGridLayout ComputeGridLayout(int width, int packsPerTeam, bool showTeamTotals,
                              bool showOverallTotals) {
    const int columns =
        ClampPacksPerTeam(packsPerTeam) + ExtraColumns(showTeamTotals, showOverallTotals);
    if (columns <= 0)
        return {};
    TGridLayout layout;
    layout.BoxSize = ((std::max(width, 0) * 2) / 3) / columns;
    layout.BorderSize = layout.BoxSize / 2;
    layout.Height = 4 * layout.BorderSize + 3 * layout.BoxSize;
    return layout;
}

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

int CellTextHeight(int pitch, double scale) {
    return static_cast<int>(pitch * scale);
}

int CellTextLeft(int pitch, int border, double span, double column, int textWidth) {
    return static_cast<int>((span / 2 + column) * pitch + border - textWidth / 2.0);
}

int CellTextTop(int pitch, int border, double row) {
    return static_cast<int>(pitch * row + border / 2.0);
}
