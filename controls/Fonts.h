#pragma once

#include <QFont>
#include <QString>

// Makes the faces the layout was drawn for (Arial, Courier New, Tahoma) the ones text is drawn
// in wherever they can be had. Adds the Windows font files that Debian's fonts-wine installs
// without registering them (Tahoma, MS Sans Serif, Wingdings ...), where they are; then lets a
// face that is still missing stand in with a sans face of its metrics, or at least a sans face,
// that is there (Liberation Sans for Arial), instead of whatever the platform falls back to: a
// Windows without Arial (Wine's, say) would draw a serif face of other metrics, too tall for
// the layout's boxes, or nothing at all. Run once at start, before any text is laid out.
void PrepareFaces();

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
