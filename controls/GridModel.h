#pragma once

// The pack grid's model without a screen: the states of every team's packs, how the grid's
// box and gap sizes follow from its width, the totals, and where a centred text lands.

#include "controls/PackTypes.h"

#include <array>

// Box and gap sizes and the height they give a grid of a given width.
struct TGridLayout {
    int BoxSize = 0;
    int BorderSize = 0;
    int Height = 0;
};

// The columns right of the packs: 3 for the team totals, 6 for the overall totals, and one
// more to keep the two apart when both show.
int ExtraColumns(bool showTeamTotals, bool showOverallTotals);

// Packs and extra columns share two thirds of the width as boxes, a half box of gap before
// each. With nothing to show (no packs, no totals) every size is 0.
TGridLayout ComputeGridLayout(int width, int packsPerTeam, bool showTeamTotals,
                              bool showOverallTotals);

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

// Where `DrawCellText` puts a text: the font's cell height for a scale in pitches, and the
// top-left corner of a text `textWidth` wide centred across a slot `span` columns wide at
// `column`, its cell's top half a gap below the line of `row`.
int CellTextHeight(int pitch, double scale);
int CellTextLeft(int pitch, int border, double span, double column, int textWidth);
int CellTextTop(int pitch, int border, double row);
