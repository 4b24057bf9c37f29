#pragma once

#include <QEvent>
#include <QList>
#include <QObject>
#include <QPaintEvent>
#include <QRect>

// Counts the paints a widget receives, and the rectangle each one covers, once installed as its
// event filter.
class PaintCounter : public QObject {
public:
    int Paints = 0;
    QList<QRect> Rects;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++Paints;
            Rects << static_cast<QPaintEvent*>(event)->rect();
        }
        return false;
    }
};
