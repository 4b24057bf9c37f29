#pragma once

#include <QFont>
#include <QString>

// Adds the Windows font files that Debian's fonts-wine installs without registering them
// (Tahoma, MS Sans Serif, Wingdings ...), so the layout gets the faces it was drawn for.
// Does nothing where they are absent. Returns how many files were added.
int RegisterWineFonts();

// A font chosen by its character cell, the way every text size of the display is given: the
// cell is `Ascent` + `Descent` pixels and a text drawn at a top edge has its baseline `Ascent`
// below it. The cell follows the face's Windows metrics (its OS/2 table), not the line metrics
// a platform may prefer, so that sizes and baselines match the layout the display was drawn
// for.
struct TCellFont {
    QFont Font;
    int Ascent = 0;
    int Descent = 0;
    int Height() const { return Ascent + Descent; }
};

// A cell height below 1 gives a 1-pixel cell. Results are cached: paints ask for the same
// few heights over and over.
TCellFont CellFont(const QString& family, int cellHeight, bool bold = false);

// The cell of a font as it is: its pixel size kept, ascent and descent from its Windows metrics
// (the platform's otherwise), as the Windows text extent of a string reports its height.
TCellFont CellOfFont(const QFont& font);
