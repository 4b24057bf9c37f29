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

int CellTextHeight(int pitch, double scale) {
    return static_cast<int>(pitch * scale);
}

int CellTextLeft(int pitch, int border, double span, double column, int textWidth) {
    return static_cast<int>((span / 2 + column) * pitch + border - textWidth / 2.0);
}

int CellTextTop(int pitch, int border, double row) {
    return static_cast<int>(pitch * row + border / 2.0);
}
