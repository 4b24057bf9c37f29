#pragma once

#include "controls/PolygonModel.h"
#include "controls/Random.h"

#include <QColor>
#include <QImage>
#include <QTimer>
#include <QWidget>

class QPainter;

// A decoration: a closed four-cornered outline whose corners wander inside the control and
// bounce off its edges, one step per timer tick. Each frame is drawn whole into an off-screen
// bitmap and copied onto the control in one go, so the outline never flickers.
class TPolygon : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDefaultSize = 50;
    static constexpr int kDefaultInterval = 100;

    explicit TPolygon(QWidget* parent = nullptr);

    // Whether the animation runs. The control's own flag: it has nothing to do with QWidget's
    // isEnabled(), and the control takes input the same either way. Repaints at once, even
    // when unchanged.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    // Milliseconds between steps; 0 or below holds the animation still. Repaints at once,
    // even when unchanged.
    int Interval() const { return FInterval; }
    void SetInterval(int interval);
    // Repaint at once, but only when the colour really changes.
    QColor LineColor() const { return FLineColor; }
    void SetLineColor(const QColor& colour);
    QColor BackColor() const { return FBackColor; }
    void SetBackColor(const QColor& colour);

    // Whether the timer is running: Enabled with an Interval above 0.
    bool Animating() const { return FTimer.isActive(); }

    // The corners as they stand. Changing them shows at the next paint.
    const TPolygonModel& Model() const { return FModel; }
    TPolygonModel& Model() { return FModel; }

    // One tick: moves the corners within the control's current size and shows the new frame
    // at once.
    void Step();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateTimer();
    void Paint(QPainter& canvas);

    TRandom FRandom;
    TPolygonModel FModel;
    QImage FBitmap;
    QTimer FTimer;
    bool FEnabled = false;
    int FInterval = kDefaultInterval;
    QColor FLineColor{0x00, 0x00, 0xFF};
    QColor FBackColor{0xFF, 0xFF, 0xFF};
};
