#include "controls/TextStamp.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

// Beyond this the stamp would cost more memory than it saves time: such a text is drawn
// directly.
constexpr qint64 kMostStampPixels = 4'000'000;

void DrawDirectly(QPainter& painter, const QString& text, int x, int baseline, const QFont& font,
                  const QColor& pen) {
    painter.save();
    painter.setFont(font);
    painter.setPen(pen);
    painter.drawText(QPoint(x, baseline), text);
    painter.restore();
}

} // namespace

bool TTextStamp::Matches(const QString& text, int height, int baseline, const QFont& font,
                         const QColor& pen, const QColor& background) const {
    return !FImage.isNull() && FImage.height() == height && FBaseline == baseline && FPen == pen &&
           FBackground == background && FText == text && FFont == font;
}

bool TTextStamp::Stamp(const QString& text, int height, int baseline, const QFont& font,
                       const QColor& pen, const QColor& background) {
    if (Matches(text, height, baseline, font, pen, background))
        return true;
    const QFontMetrics metrics(font);
    // Room for glyphs that reach past their advance on either side (italics, swashes).
    const int margin = metrics.height();
    const qint64 width = metrics.horizontalAdvance(text) + 2LL * margin;
    // The image is kept and reused while the text fits it: a new one every few steps, all
    // day, would leave the heap in pieces. Its spare columns on the right hold the background
    // only, which the band already shows.
    if (FImage.isNull() || FImage.height() != height || FImage.width() < width) {
        FImage = QImage();
        if (height > 0 && width * height <= kMostStampPixels)
            FImage = QImage(
                static_cast<int>(std::min<qint64>(width + width / 4, kMostStampPixels / height)),
                height, QImage::Format_RGB32);
    }
    if (FImage.isNull())
        return false;
    FImage.fill(background);
    const QRgb fill = FImage.pixel(0, 0);
    QPainter stamp(&FImage);
    DrawDirectly(stamp, text, margin, baseline, font, pen);
    stamp.end();
    FText = text;
    FFont = font;
    FPen = pen;
    FBackground = background;
    FBaseline = baseline;
    FMargin = margin;

    // The ink's columns, found once for each text: rows are searched from either end only as
    // far as the columns known so far.
    int left = FImage.width(), right = 0;
    for (int y = 0; y < FImage.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(FImage.constScanLine(y));
        for (int x = 0; x < left; ++x)
            if (row[x] != fill) {
                left = x;
                break;
            }
        for (int x = FImage.width() - 1; x >= std::max(left, right); --x)
            if (row[x] != fill) {
                right = x + 1;
                break;
            }
    }
    FInk = left < right ? TInk{left - margin, right - margin} : TInk{};
    return true;
}

void TTextStamp::Draw(QPainter& painter, const QString& text, int x, int top, int height,
                      int baseline, const QFont& font, const QColor& pen,
                      const QColor& background) {
    if (!Stamp(text, height, baseline, font, pen, background)) {
        DrawDirectly(painter, text, x, top + baseline, font, pen);
        return;
    }
    painter.drawImage(x - FMargin, top, FImage);
}

std::optional<TTextStamp::TInk> TTextStamp::Ink(const QString& text, int height, int baseline,
                                                const QFont& font, const QColor& pen,
                                                const QColor& background) {
    if (!Stamp(text, height, baseline, font, pen, background))
        return std::nullopt;
    return FInk;
}
