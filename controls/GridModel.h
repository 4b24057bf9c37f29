#pragma once

// The pack grid's model without a screen: how the grid's box and gap sizes follow from its
// width, and where a centred text lands.

#include "core/PackTable.h"

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

// Where `DrawCellText` puts a text: the font's cell height for a scale in pitches, and the
// top-left corner of a text `textWidth` wide centred across a slot `span` columns wide at
// `column`, its cell's top half a gap below the line of `row`.
int CellTextHeight(int pitch, double scale);
int CellTextLeft(int pitch, int border, double span, double column, int textWidth);
int CellTextTop(int pitch, int border, double row);
