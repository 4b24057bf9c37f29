#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

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

private:
    bool Matches(const QString& text, int height, int baseline, const QFont& font,
                 const QColor& pen, const QColor& background) const;

    QImage FImage;
    QString FText;
    QFont FFont;
    QColor FPen;
    QColor FBackground;
    int FBaseline = 0;
    int FMargin = 0;
};
