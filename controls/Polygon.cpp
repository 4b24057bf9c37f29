#include "controls/Polygon.h"

#include <QPaintEvent>
#include <QPainter>

#include <array>

TPolygon::TPolygon(QWidget* parent) : QWidget(parent) {
    // Every frame covers the whole control; erasing first would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    FRandom.Randomize();
    resize(kDefaultSize, kDefaultSize);
    FTimer.setInterval(kDefaultInterval);
    connect(&FTimer, &QTimer::timeout, this, &TPolygon::Step);
    // Placed once, at the size the control is born with; a later resize leaves them be and
    // the next steps bring any that fall outside back in.
    FModel.Place(FRandom, kDefaultSize, kDefaultSize);
    FBitmap = QImage(kDefaultSize, kDefaultSize, QImage::Format_RGB32);
}

void TPolygon::SetEnabled(bool enabled) {
    FEnabled = enabled;
    UpdateTimer();
    repaint();
}

void TPolygon::SetInterval(int interval) {
    FInterval = interval;
    UpdateTimer();
    repaint();
}

void TPolygon::SetLineColor(const QColor& colour) {
    if (colour == FLineColor)
        return;
    FLineColor = colour;
    repaint();
}

void TPolygon::SetBackColor(const QColor& colour) {
    if (colour == FBackColor)
        return;
    FBackColor = colour;
    repaint();
}

void TPolygon::UpdateTimer() {
    // A running timer keeps its phase unless the interval really changes, and a zero interval
    // is taken as "off": QTimer would fire it on every pass of the event loop.
    if (FTimer.interval() != FInterval && FInterval > 0)
        FTimer.setInterval(FInterval);
    const bool run = FEnabled && FInterval > 0;
    if (run && !FTimer.isActive())
        FTimer.start();
    else if (!run)
        FTimer.stop();
}

void TPolygon::Step() {
    FModel.Step(FRandom, width(), height());
    repaint();
}

void TPolygon::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    Paint(canvas);
}

void TPolygon::Paint(QPainter& canvas) {
    const int W = width();
    const int H = height();
    if (FBitmap.size() != size())
        FBitmap = QImage(W, H, QImage::Format_RGB32);

    // A one-pixel black frame on the outermost pixels around a field of the back colour, as a
    // stroked and filled rectangle would draw it, filled for a fraction of its cost.
    FBitmap.fill(Qt::black);
    QPainter bitmap(&FBitmap);
    if (W > 2 && H > 2)
        bitmap.fillRect(1, 1, W - 2, H - 2, FBackColor);

    std::array<QPoint, TPolygonModel::kCornerCount + 1> outline;
    for (std::size_t i = 0; i < outline.size(); ++i)
        outline[i] = QPoint(FModel.Corners()[i].X, FModel.Corners()[i].Y);
    bitmap.setPen(FLineColor);
    bitmap.drawPolyline(outline.data(), static_cast<int>(outline.size()));
    bitmap.end();

    canvas.drawImage(0, 0, FBitmap);
}
