#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// Where, inside `area`, the pixels differ from `background`: how text is found on a rendered
// control without depending on the rasteriser's exact glyph shapes.
inline QRect InkBounds(const QImage& image, const QRect& area, QColor background = Qt::black) {
    QRect ink;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            if (image.pixelColor(x, y) != background)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// Whether every pixel of `area` has exactly `colour`.
inline bool Filled(const QImage& image, const QRect& area, QColor colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != colour)
                return false;
    return true;
}

// Whether some pixel of `area` has exactly `colour`: smoothed text keeps its own colour in the
// core of its strokes.
inline bool Contains(const QImage& image, const QRect& area, QColor colour) {
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}
