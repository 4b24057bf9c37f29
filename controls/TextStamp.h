#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <optional>

class QPainter;

// A line of text drawn once and then stamped wherever it is wanted. The scroll message moves
// the same characters a few pixels at each step; copying their pixels costs a fraction of
// shaping and drawing the glyphs again, twenty times a second, all day.
class TTextStamp {
public:
    // Draws what painter.drawText(QPoint(x, top + baseline), text) would draw inside the band
    // of `height` rows from `top`, which must be filled with `background`. The painter's pen
    // and font are not used; its clipping is.
    void Draw(QPainter& painter, const QString& text, int x, int top, int height, int baseline,
              const QFont& font, const QColor& pen, const QColor& background);

    // The columns, from x, in which Draw with the same arguments leaves other than the
    // background: [Left, Right), empty for a text without ink. Outside them the band keeps the
    // background, and inside them the text covers it alone. Unknown for a text too large to
    // stamp, which is drawn directly.
    struct TInk {
        int Left = 0;
        int Right = 0;
    };
    std::optional<TInk> Ink(const QString& text, int height, int baseline, const QFont& font,
                            const QColor& pen, const QColor& background);

private:
    bool Matches(const QString& text, int height, int baseline, const QFont& font,
                 const QColor& pen, const QColor& background) const;
    // Makes the image hold the text, unless it is too large to; then false.
    bool Stamp(const QString& text, int height, int baseline, const QFont& font, const QColor& pen,
               const QColor& background);

    QImage FImage;
    QString FText;
    QFont FFont;
    QColor FPen;
    QColor FBackground;
    int FBaseline = 0;
    int FMargin = 0;
    TInk FInk;
};
